#pragma once
// How a window runs a command: the busy pointer while it works (a download meanwhile shows its
// progress), its failure told in a message box in Japanese and never swallowed, and the window
// brought up to date afterwards.
#include <functional>
#include <string>

namespace tolv {
class Prompt;
}

namespace tolv::gui {

class FrmZepi;

// Runs `command`; what it returns is told when not empty. A failure is told instead (filesystem
// errors and the system's reasons in Japanese). `refresh` runs once the pointer is back, before
// the message. Returns true when the command ran to its end.
bool runCommand(tolv::Prompt& prompt, const std::function<std::string()>& command, const std::function<void()>& refresh = {});

// Enables the entry window's menu item `objectName` and runs `action` when it is chosen. A name the
// menu bar does not have is a fault of this program: std::logic_error, so the window cannot open
// with a command silently missing.
void connectMenuItem(FrmZepi& w, const char* objectName, const std::function<void()>& action);

} // namespace tolv::gui
