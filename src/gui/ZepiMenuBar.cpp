#include "gui/ZepiMenuBar.h"

#include "checks/CheckMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

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

    QMenu* in = menu(nullptr, "mIn", "転入");
    item(in, "mInKetugo", "申込データ結合");
    item(in, "mInWeb", "Web");
    item(in, "mInNitiban", "日水登録番号");
    item(in, "mInSwm", "ＳＷＭ");
    item(in, "mInScm", "ＳＣＭ");
    item(in, "mInMcompd", "Mcompd");
    item(in, "mInResults", "Results(1)");
    item(in, "mInResults2", "Results(2)");
    item(in, "mInLenex", "Lenex");

    QMenu* out = menu(nullptr, "mOut", "転出");
    item(out, "mOutZep", "tolvzep.csv");
    item(out, "mOutQTolv", "旧とるぶしす");
    item(out, "mOutSwmKari", "SWMkari");
    item(out, "mOutSwmToro", "日水競技者登録");
    item(out, "mOutScmSys", "SCMSYS連携");
    QMenu* scm = menu(out, "mOutScm", "ＳＣＭ大会");
    item(scm, "mOutScmFd", "フロッピー作成");
    QMenu* swm = menu(out, "mOutSwmTaikai", "ＳＷＭ大会");
    item(swm, "mOutTfd", "フロッピー作成");
    item(swm, "mOutTichi", "タイム一覧表");
    item(out, "mOutSwm", "ＳＷＭ");
    item(out, "mOutKumamoto", "熊本InterHi CSV");
    item(out, "mOutSeiko", "セイコーカンマ");
    item(out, "mOutLenex", "Lenex");

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
    item(work, "mWk1", "Work1", true);  // does nothing
    item(work, "mWk2", "元に戻す");

    QAction* owari = bar.addAction("終わり");
    owari->setObjectName("mOwari");
}

} // namespace tolv::gui
