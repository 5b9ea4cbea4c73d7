#include "gui/SafetyMenus.h"

#include "gui/ErrNo.h"
#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/FrmZepi.h"
#include "storage/Backups.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolv::gui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QString stepText(const BackupInfo& b) { return q(b.stamp + "　" + b.caption()); }

// The steps newest first; the chosen index, or -1 when cancelled.
int chooseStep(QWidget* parent, const std::vector<BackupInfo>& steps)
{
    QDialog d(parent);
    d.setObjectName("frmUndo");
    d.setWindowTitle("元に戻す");
    auto* layout = new QVBoxLayout(&d);
    auto* list = new QListWidget(&d);
    list->setObjectName("lstUndo");
    for (const BackupInfo& b : steps) list->addItem(stepText(b));
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(&d);
    QPushButton* ok = buttons->addButton("元に戻す", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdUndoOk");
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton("キャンセル", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdUndoCancel");
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &d, &QDialog::accept);
    d.resize(420, 300);
    if (d.exec() != QDialog::Accepted) return -1;
    return list->currentRow();
}

} // namespace

void wireSafetyMenus(FrmZepi& w)
{
    connectMenuItem(w, "mWk2", [&w] {
        Prompt& ask = w.context().ask();
        QString restored;
        try {
            if (!w.store().isOpen()) return;
            const std::vector<BackupInfo> backups = listBackups(w.store().path());
            if (backups.empty()) {
                ask.tell("元に戻せるバックアップがありません: " + w.store().path().string());
                return;
            }
            const int step = chooseStep(&w, backups);
            if (step < 0) return;
            const UndoCheck check = checkUndo(w.store().path(), static_cast<std::size_t>(step));
            if (check.changedSince && !ask.ask(changedSinceQuestion(w.store().path()))) return;
            const std::string what = check.step.stamp + " の「" + check.step.caption() + "」";
            if (!ask.ask("申込ファイルを " + what + "の前の状態に戻します。よろしいですか？")) return;
            w.store().undoLastChange(check);
            restored = q("元に戻しました: " + what + "の前の状態");
        } catch (const std::exception& e) {
            tellError(ask, e);
        }
        w.refreshCurrent();
        if (!restored.isEmpty()) w.say(restored);
    });
}

} // namespace tolv::gui
