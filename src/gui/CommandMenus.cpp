#include "gui/CommandMenus.h"

#include "checks/CheckMenu.h"
#include "gui/AppContext.h"
#include "gui/FrmIchiran.h"
#include "gui/FrmKIchi.h"
#include "gui/FrmZepi.h"
#include "gui/PrintPreview.h"
#include "platform/Error.h"
#include "reports/ReportMenu.h"

#include <QAction>
#include <QApplication>
#include <QCursor>

namespace tolv::gui {
namespace {

// Runs a command on the open entry file with the busy pointer; a failure is told, never swallowed.
void runCommand(FrmZepi& w, const std::function<void()>& action)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        action();
        QApplication::restoreOverrideCursor();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        w.context().ask().tell(e.what());
    }
    w.refreshCurrent();
}

void print(FrmZepi& w, const std::function<void(tolv::Printer&)>& draw)
{
    if (w.context().print) w.context().print(&w, draw);
    else printWithPreview(&w, draw);
}

void connectItem(FrmZepi& w, const char* name, const std::function<void()>& action)
{
    QAction* a = w.menuAction(name);
    if (!a) return;
    a->setEnabled(true);
    QObject::connect(a, &QAction::triggered, &w, action);
}

} // namespace

void wireCommandMenus(FrmZepi& w)
{
    for (const tolv::CheckMenuItem& c : tolv::checkMenuItems()) {
        const tolv::CheckMenuItem* item = &c;
        connectItem(w, c.objectName, [&w, item] {
            if (item->kind == tolv::CheckKind::Report) {
                print(w, [&w, item](tolv::Printer& p) { item->run(w.store(), &p, w.context().ask()); });
                w.refreshCurrent();
            } else {
                runCommand(w, [&w, item] { item->run(w.store(), nullptr, w.context().ask()); });
            }
        });
    }
    connectItem(w, "mSotSei", [&w] {
        runCommand(w, [&w] { tolv::reports::sortEntries(w.store(), tolv::reports::SortOrder::Sex, w.store().header().botai()); });
    });
    connectItem(w, "mSotClb", [&w] {
        runCommand(w, [&w] { tolv::reports::sortEntries(w.store(), tolv::reports::SortOrder::Club, w.store().header().botai()); });
    });
    connectItem(w, "mShuKei", [&w] {
        runCommand(w, [&w] {
            tolv::reports::tallyEntries(w.store(), w.store().header().botai(), w.context().session, w.context().ask());
        });
    });
    connectItem(w, "mOutTichi", [&w] {
        print(w, [&w](tolv::Printer& p) {
            tolv::reports::printEntryTimeList(p, w.store(), w.store().header().botai());
        });
    });
    connectItem(w, "mShuIchi", [&w] {
        try {
            auto* lists = new FrmIchiran(w.store(), w.context().ask(), &w);
            lists->setAttribute(Qt::WA_DeleteOnClose);
            lists->setWindowFlag(Qt::Window);
            lists->show();
        } catch (const std::exception& e) {
            w.context().ask().tell(e.what());
        }
    });
    connectItem(w, "mShuKozin", [&w] {
        try {
            auto* lists = new FrmKIchi(w.store(), &w);
            lists->setAttribute(Qt::WA_DeleteOnClose);
            lists->setWindowFlag(Qt::Window);
            lists->show();
        } catch (const std::exception& e) {
            w.context().ask().tell(e.what());
        }
    });
}

} // namespace tolv::gui
