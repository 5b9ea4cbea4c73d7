#include "gui/SafetyMenus.h"

#include "gui/AppContext.h"
#include "gui/FrmZepi.h"
#include "storage/Backups.h"

#include <QAction>

namespace tolv::gui {

void wireSafetyMenus(FrmZepi& w)
{
    QAction* undo = w.menuAction("mWk2");
    if (!undo) return;
    undo->setEnabled(true);
    QObject::connect(undo, &QAction::triggered, &w, [&w] {
        Prompt& ask = w.context().ask();
        try {
            if (!w.store().isOpen()) return;
            const std::vector<BackupInfo> backups = listBackups(w.store().path());
            if (backups.empty()) {
                ask.tell("元に戻せるバックアップがありません: " + w.store().path().string());
                return;
            }
            const BackupInfo& last = backups.front();
            if (!ask.ask("申込ファイルを " + last.stamp + " の「" + last.command + "」の前の状態に戻します。よろしいですか？"))
                return;
            w.store().undoLastChange();
        } catch (const std::exception& e) {
            ask.tell(e.what());
        }
        w.refreshCurrent();
    });
}

} // namespace tolv::gui
