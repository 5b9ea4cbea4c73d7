#include "gui/MergeMenus.h"

#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/FrmKetugo.h"
#include "gui/FrmZepi.h"
#include "platform/SystemErrors.h"

namespace tolv::gui {

void wireMergeMenus(FrmZepi& w)
{
    connectMenuItem(w, "mInKetugo", [&w] {
        if (!w.store().isOpen()) return;
        auto* merge = new FrmKetugo(w.context(), w.store().path(), w.lookup(), &w);
        // The entry window lets the file go and hides; the merge window takes the file. When it
        // closes, the entry window opens the file again as the merge left it.
        w.handOverTo(merge);
        try {
            merge->openEntry();
        } catch (const std::exception& e) {
            w.context().ask().tell(tolv::userMessage(e));
            merge->close();
        }
    });
}

} // namespace tolv::gui
