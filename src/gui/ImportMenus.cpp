#include "gui/ImportMenus.h"

#include "exchange/ImportMenu.h"
#include "exchange/ResultsImport.h"
#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/FrmMcompd.h"
#include "gui/FrmZepi.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"

#include <QAction>

#include <functional>

namespace tolv::gui {
namespace {

using Import = std::function<tolv::ImportReport(tolv::EntryStore&, tolv::Prompt&, const tolv::ImportFolder&)>;

// The transfer folder as the window shows it (dr_ten.ctl), for the floppy question.
tolv::ImportFolder transferFolderOf(FrmZepi& w)
{
    return tolv::ImportFolder{w.transferFolder(), tolv::loadTenControl(tolv::ctlDir()).folder};
}

// Runs an import on the open entry file with the busy pointer, shows the last swimmer when the file
// changed and ends with what was done; a failure is told and leaves the file as it was.
void runImport(FrmZepi& w, const Import& import)
{
    bool changed = false;
    runCommand(
        w.context().ask(),
        [&w, &import, &changed] {
            try {
                const tolv::ImportReport report = import(w.store(), w.context().ask(), transferFolderOf(w));
                changed = report.changed;
                return report.message();
            } catch (const tolv::ImportCancelled&) {
                return std::string(); // the user said so: nothing more to tell
            }
        },
        [&w, &changed] {
            if (changed) w.refreshAt(w.store().header().total());
            else w.refreshCurrent();
        });
}

} // namespace

void wireImportMenus(FrmZepi& w)
{
    // The imports the core runs on the open entry file; the others have their own forms (the
    // Lenex file dialog, the merge window) and are wired by their menus.
    for (const tolv::ImportMenuItem& item : tolv::importMenuItems()) {
        if (!item.run) continue;
        const tolv::ImportFn run = item.run;
        connectMenuItem(w, item.objectName, [&w, run] {
            runImport(w, [run](auto& store, auto& prompt, const auto& folder) { return run(store, folder, prompt); });
        });
    }
    connectMenuItem(w, "mInResults2", [&w] {
        // Works beside the entry file and leaves the open file as it is.
        runImport(w, [&w](auto&, auto&, const auto&) {
            tolv::ImportReport r = tolv::combineResults(w.entryFolder());
            r.changed = false;
            return r;
        });
    });
    connectMenuItem(w, "mInMcompd", [&w] {
        // The entry window closes its file behind the Mcompd window and takes it back when that closes.
        if (!w.store().isOpen()) return;
        w.handOverTo(new FrmMcompd(w.context(), w.store().path(), w.transferFolder()));
    });
}

} // namespace tolv::gui
