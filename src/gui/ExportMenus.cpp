#include "gui/ExportMenus.h"

#include "exchange/ExportMenu.h"
#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "reports/ReportMenu.h"

namespace tolv::gui {

void wireExportMenus(FrmZepi& w)
{
    // The exports the core runs on the entry data; the others open their own forms and are wired
    // by their menus.
    for (const tolv::exchange::ExportMenuItem& item : tolv::exchange::exportMenuItems()) {
        if (!item.run || !item.objectName) continue;
        const tolv::exchange::ExportFn run = item.run;
        connectMenuItem(w, item.objectName, [&w, run] {
            runCommand(
                w.context().ask(),
                [&w, run] {
                    tolv::exchange::ExportTarget target;
                    target.transfer = w.transferFolder();
                    target.ctl = tolv::ctlDir();
                    target.master = tolv::reports::masterSourceFor(w.context().session);
                    target.prompt = &w.context().ask();
                    target.mediaQuestion = true;
                    target.when = tolv::now();
                    const auto data = tolv::exchange::EntryData::read(w.store());
                    return tolv::exchange::summaryText(
                        tolv::exchange::runExportItem(run, data, target),
                        [](const std::filesystem::path& p) { return tolv::toStoredPath(p, false); });
                },
                [&w] { w.refreshCurrent(); });
        });
    }
}

} // namespace tolv::gui
