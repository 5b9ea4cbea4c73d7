#include "gui/CommandMenus.h"

#include "checks/CheckMenu.h"
#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/FrmIchiran.h"
#include "gui/FrmKIchi.h"
#include "gui/FrmZepi.h"
#include "platform/SystemErrors.h"
#include "gui/PrintPreview.h"
#include "gui/WindowPlacement.h"
#include "platform/Error.h"
#include "reports/ReportMenu.h"
#include "storage/TeamTotalsFile.h"

#include <QAction>

namespace tolv::gui {
namespace {

// Runs a command on the open entry file; the window shows its record again afterwards.
bool runOnEntry(FrmZepi& w, const std::function<void()>& action)
{
    return runCommand(
        w.context().ask(),
        [&action] {
            action();
            return std::string();
        },
        [&w] { w.refreshCurrent(); });
}

// A command that changes many records runs only when the user says so.
bool confirmed(FrmZepi& w, const std::string& what) { return w.context().ask().ask(what + "を実行しますか？"); }

// Records that differ between two readings of the swimmers.
int changedRecords(const std::vector<tolv::SwimmerRecord>& before, const std::vector<tolv::SwimmerRecord>& after)
{
    int n = 0;
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i)
        if (i >= before.size() || i >= after.size() || !(before[i] == after[i])) ++n;
    return n;
}

void tally(FrmZepi& w)
{
    tolv::reports::TallyResult result;
    bool done = runOnEntry(w, [&w, &result] {
        result = tolv::reports::tallyEntries(w.store(), w.store().header().botai(), w.context().session, w.context().ask());
    });
    if (done) w.say(QString("集計しました: %1団体").arg(result.teams.size()));
}

void openLists(FrmZepi& w)
{
    // The lists window works on what the tally wrote; without it there is nothing to show.
    if (!std::filesystem::exists(tolv::teamTotalsPath(w.store().path()))) {
        if (!w.context().ask().ask("団体別の集計ファイルがありません。先に「集計」を実行する必要があります。\n"
                                   "今すぐ集計を実行しますか？"))
            return;
        tally(w);
        if (!std::filesystem::exists(tolv::teamTotalsPath(w.store().path()))) return;
    }
    try {
        auto* lists = new FrmIchiran(w.store(), w.context().ask(), &w);
        lists->setAttribute(Qt::WA_DeleteOnClose);
        lists->setWindowFlag(Qt::Window);
        showPlaced(lists);
    } catch (const std::exception& e) {
        w.context().ask().tell(tolv::userMessage(e));
    }
}

void print(FrmZepi& w, const std::function<void(tolv::Printer&)>& draw)
{
    if (w.context().print) w.context().print(&w, draw);
    else printWithPreview(&w, draw);
}

} // namespace

void wireCommandMenus(FrmZepi& w)
{
    for (const tolv::CheckMenuItem& c : tolv::checkMenuItems()) {
        const tolv::CheckMenuItem* item = &c;
        connectMenuItem(w, c.objectName, [&w, item] {
            if (item->kind == tolv::CheckKind::Report) {
                print(w, [&w, item](tolv::Printer& p) { item->run(w.store(), &p, w.context().ask()); });
                w.refreshCurrent();
            } else {
                if (!confirmed(w, item->caption)) return;
                std::vector<tolv::SwimmerRecord> before, after;
                bool done = runOnEntry(w, [&w, item, &before, &after] {
                    before = w.store().readAllSwimmers();
                    item->run(w.store(), nullptr, w.context().ask());
                    after = w.store().readAllSwimmers();
                });
                if (done) w.say(QString("%1件を書き直しました").arg(changedRecords(before, after)));
            }
        });
    }
    const std::pair<const char*, tolv::reports::SortOrder> sorts[] = {{"mSotSei", tolv::reports::SortOrder::Sex},
                                                                      {"mSotClb", tolv::reports::SortOrder::Club}};
    for (const auto& [name, order] : sorts) {
        const tolv::reports::SortOrder o = order;
        const QString caption = w.menuAction(name) ? w.menuAction(name)->text() : QString();
        connectMenuItem(w, name, [&w, o, caption] {
            if (!confirmed(w, "並べ替え（" + caption.toStdString() + "）")) return;
            bool done = runOnEntry(w, [&w, o] { tolv::reports::sortEntries(w.store(), o, w.store().header().botai()); });
            if (done) w.say(QString("%1人を%2順に並べ替えました").arg(w.store().header().total()).arg(caption));
        });
    }
    connectMenuItem(w, "mShuKei", [&w] {
        if (confirmed(w, "集計")) tally(w);
    });
    // The lists of the entry file that the entry window's menu prints (the time list).
    for (const tolv::reports::ListItem& list : tolv::reports::listItems()) {
        if (list.objectName[0] != 'm') continue; // the others are buttons of the lists windows
        const tolv::reports::ListItem* item = &list;
        connectMenuItem(w, list.objectName, [&w, item] {
            tolv::reports::ListRequest request;
            request.store = &w.store();
            print(w, [item, request](tolv::Printer& p) { item->draw(p, request); });
        });
    }
    connectMenuItem(w, "mShuIchi", [&w] { openLists(w); });
    connectMenuItem(w, "mShuKozin", [&w] {
        try {
            auto* lists = new FrmKIchi(w.store(), &w);
            lists->setAttribute(Qt::WA_DeleteOnClose);
            lists->setWindowFlag(Qt::Window);
            showPlaced(lists);
        } catch (const std::exception& e) {
            w.context().ask().tell(tolv::userMessage(e));
        }
    });
}

} // namespace tolv::gui
