#include "gui/ExportMenus.h"

#include "exchange/Exports.h"
#include "gui/AppContext.h"
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "reports/ReportMenu.h"

#include <QAction>
#include <QApplication>

namespace tolv::gui {

void wireExportMenus(FrmZepi& w)
{
    for (const tolv::exchange::ExportItem& item : tolv::exchange::exportItems()) {
        QAction* a = w.menuAction(item.objectName);
        if (!a) continue;
        a->setEnabled(true);
        const tolv::exchange::ExportFn run = item.run;
        QObject::connect(a, &QAction::triggered, &w, [&w, run] {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            std::string message;
            try {
                tolv::exchange::ExportTarget target;
                target.transfer = w.transferFolder();
                target.ctl = tolv::ctlDir();
                target.master = tolv::reports::masterSourceFor(w.context().session);
                target.prompt = &w.context().ask();
                target.mediaQuestion = true;
                target.when = tolv::now();
                const auto data = tolv::exchange::EntryData::read(w.store());
                message = tolv::exchange::summaryText(run(data, target), [](const std::filesystem::path& p) {
                    return tolv::toStoredPath(p, false);
                });
            } catch (const std::exception& e) {
                message = e.what();
            }
            QApplication::restoreOverrideCursor();
            w.context().ask().tell(message);
            w.refreshCurrent();
        });
    }
}

} // namespace tolv::gui
