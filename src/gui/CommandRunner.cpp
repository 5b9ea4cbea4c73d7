#include "gui/CommandRunner.h"

#include "gui/ErrNo.h"

#include "gui/FrmZepi.h"
#include "gui/MessagePrompt.h"
#include "platform/SystemErrors.h"

#include <QAction>

#include <stdexcept>

namespace tolv::gui {

bool runCommand(tolv::Prompt& prompt, const std::function<std::string()>& command, const std::function<void()>& refresh)
{
    std::string message;
    bool done = true;
    {
        BusyCursor busy;
        try {
            message = command();
        } catch (const std::exception& e) {
            message = errorText(e);
            done = false;
        }
    }
    if (refresh) refresh();
    if (!message.empty()) prompt.tell(message);
    return done;
}

void connectMenuItem(FrmZepi& w, const char* objectName, const std::function<void()>& action)
{
    QAction* a = w.menuAction(objectName);
    if (!a) throw std::logic_error(std::string("the entry window has no menu item ") + objectName);
    a->setEnabled(true);
    QObject::connect(a, &QAction::triggered, &w, action);
}

} // namespace tolv::gui
