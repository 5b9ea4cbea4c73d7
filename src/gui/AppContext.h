#pragma once
// What every window of the program shares: the session of the start-up window, the way messages
// reach the user, and how the program ends. Tests build one with their own prompt and end hook.
#include "platform/Prompt.h"
#include "storage/Session.h"

#include <functional>

namespace tolv {
class Printer;
}

class QWidget;

namespace tolv::gui {

struct AppContext {
    tolv::Session session;
    tolv::Prompt* prompt = nullptr;
    // Closes every window (and with them every file) and ends the program.
    std::function<void()> endProgram;
    // Draws a report for the user: the print preview unless a test puts its own printer here.
    std::function<void(QWidget*, const std::function<void(tolv::Printer&)>&)> print;
    // Set once endProgram has been asked for.
    bool ending = false;

    tolv::Prompt& ask() { return *prompt; }
    void end()
    {
        ending = true;
        if (endProgram) endProgram();
    }
};

} // namespace tolv::gui
