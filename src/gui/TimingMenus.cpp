#include "gui/TimingMenus.h"

#include "gui/AppContext.h"
#include "gui/FrmSeiko.h"
#include "gui/FrmZepi.h"
#include "platform/Paths.h"

#include <QAction>

namespace tolv::gui {

void wireTimingMenus(FrmZepi& w)
{
    QAction* seiko = w.menuAction("mOutSeiko");
    if (!seiko) return;
    seiko->setEnabled(true);
    QObject::connect(seiko, &QAction::triggered, &w, [&w] {
        if (!w.store().isOpen()) return;
        w.handOverTo(new FrmSeiko(w.store().path(), w.transferFolder(), tolv::ctlDir(), w.context().ask()));
    });
}

} // namespace tolv::gui
