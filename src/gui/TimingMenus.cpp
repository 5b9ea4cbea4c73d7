#include "gui/TimingMenus.h"

#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/FrmNichi.h"
#include "gui/FrmSeiko.h"
#include "gui/FrmZepi.h"
#include "platform/SystemErrors.h"
#include "gui/WindowPlacement.h"
#include "platform/Paths.h"
#include "reports/ReportMenu.h"

namespace tolv::gui {

void wireTimingMenus(FrmZepi& w)
{
    connectMenuItem(w, "mOutSeiko", [&w] {
        if (!w.store().isOpen()) return;
        w.handOverTo(new FrmSeiko(w.store().path(), w.transferFolder(), tolv::ctlDir(), w.context().ask()));
    });
    connectMenuItem(w, "mOutSwmToro", [&w] {
        if (!w.store().isOpen()) return;
        try {
            auto* nichi = new FrmNichi(w.store(), w.transferFolder(), tolv::ctlDir(),
                                       tolv::reports::masterSourceFor(w.context().session), w.context().ask(), &w);
            nichi->setAttribute(Qt::WA_DeleteOnClose);
            nichi->setWindowFlag(Qt::Window);
            showPlaced(nichi);
        } catch (const std::exception& e) {
            w.context().ask().tell(tolv::userMessage(e));
        }
    });
}

} // namespace tolv::gui
