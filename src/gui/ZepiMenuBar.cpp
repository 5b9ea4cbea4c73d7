#include "gui/ZepiMenuBar.h"

#include "checks/CheckMenu.h"
#include "exchange/ExportMenu.h"
#include "exchange/ImportMenu.h"
#include "reports/ReportMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <stdexcept>
#include <string>

namespace tolv::gui {

void buildEntryMenuBar(QMenuBar& bar)
{
    auto menu = [&bar](QMenu* parentMenu, const char* name, const char* caption) {
        QMenu* m = parentMenu ? parentMenu->addMenu(caption) : bar.addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    auto item = [](QMenu* m, const char* name, const char* caption, bool enabled = false) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        a->setEnabled(enabled);
        return a;
    };

    // The imports and exports take their captions from the registries of the core; a name that
    // is not in them is a fault of this program.
    auto importItem = [&item](QMenu* m, const char* name) {
        const tolv::ImportMenuItem* i = tolv::findImportMenuItem(name);
        if (!i) throw std::logic_error(std::string("no import ") + name);
        item(m, name, i->caption);
    };
    auto exportItem = [&item](QMenu* m, const char* name) {
        const tolv::exchange::ExportMenuItem* i = tolv::exchange::findExportMenuItem(name);
        if (!i) throw std::logic_error(std::string("no export ") + name);
        item(m, name, i->caption);
    };

    QMenu* in = menu(nullptr, "mIn", "転入");
    for (const char* name : {"mInKetugo", "mInWeb", "mInNitiban", "mInSwm", "mInScm", "mInMcompd", "mInResults", "mInResults2",
                             "mInLenex", "mInLenexMeet"})
        importItem(in, name);

    QMenu* out = menu(nullptr, "mOut", "転出");
    for (const char* name : {"mOutZep", "mOutQTolv", "mOutSwmKari", "mOutSwmToro", "mOutScmSys"}) exportItem(out, name);
    QMenu* scm = menu(out, "mOutScm", "ＳＣＭ大会");
    exportItem(scm, "mOutScmFd");
    QMenu* swm = menu(out, "mOutSwmTaikai", "ＳＷＭ大会");
    exportItem(swm, "mOutTfd");
    const tolv::reports::ListItem* timeList = tolv::reports::findListMenuItem("mOutTichi");
    if (!timeList) throw std::logic_error("no list mOutTichi");
    item(swm, "mOutTichi", timeList->caption);
    for (const char* name : {"mOutSwm", "mOutKumamoto", "mOutSeiko", "mOutLenex"}) exportItem(out, name);

    QMenu* sot = menu(nullptr, "mSot", "索引");
    item(sot, "mSotSei", "性別");
    item(sot, "mSotClb", "クラブ");

    QMenu* shu = menu(nullptr, "mShu", "集計");
    item(shu, "mShuKei", "集計");
    item(shu, "mShuIchi", "団体申込");
    item(shu, "mShuKozin", "個人一覧");

    QMenu* check = menu(nullptr, "mCheck", "チェック");
    bool rewrites = false;
    for (const tolv::CheckMenuItem& c : tolv::checkMenuItems()) {
        if (c.kind == tolv::CheckKind::Rewrite && !rewrites) {
            check->addSeparator();
            rewrites = true;
        }
        item(check, c.objectName, c.caption);
    }

    QMenu* work = menu(nullptr, "mWk", "Work");
    item(work, "mWk1", "Work1", true); // does nothing
    item(work, "mWk2", "元に戻す");

    QAction* owari = bar.addAction("終わり");
    owari->setObjectName("mOwari");
}

} // namespace tolv::gui
