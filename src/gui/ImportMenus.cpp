#include "gui/ImportMenus.h"

#include "exchange/NitibanImport.h"
#include "exchange/ResultsImport.h"
#include "exchange/ScmSwmImport.h"
#include "exchange/WebImport.h"
#include "gui/AppContext.h"
#include "gui/FrmMcompd.h"
#include "gui/FrmZepi.h"
#include "gui/MessagePrompt.h"
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
    tolv::ImportReport report;
    std::string failure;
    bool cancelled = false;
    {
        BusyCursor busy;
        try {
            report = import(w.store(), w.context().ask(), transferFolderOf(w));
        } catch (const tolv::ImportCancelled&) {
            cancelled = true;
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    if (report.changed) w.refreshAt(w.store().header().total());
    else w.refreshCurrent();
    if (cancelled) return;
    w.context().ask().tell(failure.empty() ? report.message() : failure);
}

void connectItem(FrmZepi& w, const char* name, const std::function<void()>& action)
{
    QAction* a = w.menuAction(name);
    if (!a) return;
    a->setEnabled(true);
    QObject::connect(a, &QAction::triggered, &w, action);
}

} // namespace

void wireImportMenus(FrmZepi& w)
{
    connectItem(w, "mInScm", [&w] {
        runImport(w, [](auto& store, auto& prompt, const auto& folder) {
            return tolv::importMeetSystem(store, tolv::MeetSystem::Scm, folder, prompt);
        });
    });
    connectItem(w, "mInSwm", [&w] {
        runImport(w, [](auto& store, auto& prompt, const auto& folder) {
            return tolv::importMeetSystem(store, tolv::MeetSystem::Swm, folder, prompt);
        });
    });
    connectItem(w, "mInWeb", [&w] {
        runImport(w, [](auto& store, auto& prompt, const auto& folder) { return tolv::importWebEntries(store, folder, prompt); });
    });
    connectItem(w, "mInNitiban", [&w] {
        runImport(w, [](auto& store, auto& prompt, const auto& folder) {
            return tolv::importRegistrationNumbers(store, folder, prompt);
        });
    });
    connectItem(w, "mInResults", [&w] {
        runImport(w, [](auto& store, auto& prompt, const auto& folder) {
            return tolv::importResultsReplacing(store, folder, prompt);
        });
    });
    connectItem(w, "mInResults2", [&w] {
        // Works beside the entry file and leaves the open file as it is.
        runImport(w, [&w](auto&, auto&, const auto&) {
            tolv::ImportReport r = tolv::combineResults(w.entryFolder());
            r.changed = false;
            return r;
        });
    });
    connectItem(w, "mInMcompd", [&w] {
        // The entry window closes its file behind the Mcompd window and takes it back when that closes.
        if (!w.store().isOpen()) return;
        w.handOverTo(new FrmMcompd(w.context(), w.store().path(), w.transferFolder()));
    });
}

} // namespace tolv::gui
