#pragma once
// Messages and questions as message boxes: OK only, or OK and Cancel for a question; the
// application's name as the title.
#include "platform/Prompt.h"

#include <memory>

class QWidget;

namespace tolv::gui {

class MessagePrompt : public tolv::Prompt {
public:
    void tell(const std::string& message) override;
    bool ask(const std::string& message) override;
    // A question whose OK would drop work: Cancel is the default button, so Enter keeps the work.
    bool askCancelFirst(const std::string& message);
    // Enter and Escape (closing the box) both give the first button: callers put the careful
    // choice first.
    int choose(const std::string& message, const std::vector<std::string>& buttons) override;
};

// Asks through `prompt`; message boxes get Cancel as their default button.
bool askCancelFirst(tolv::Prompt& prompt, const std::string& message);

class TransferDialog;

// The busy mouse pointer for the length of a scope; a download meanwhile shows its progress and
// can be cancelled (TransferDialog).
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    std::unique_ptr<TransferDialog> transfer_;
};

} // namespace tolv::gui
