#include "gui/FrmZepiKensaku.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tolv::gui {

FrmZepiKensaku::FrmZepiKensaku(const tolv::SearchList& list, QWidget* parent) : QDialog(parent), list_(list)
{
    setObjectName("frmZepiKensaku");
    setWindowTitle("検索");
    setModal(true);
    auto* grid = new QGridLayout(this);
    lstKensaku_ = new QListWidget(this);
    lstKensaku_->setObjectName("lstKensaku");
    QFont mono = lstKensaku_->font();
    mono.setFamilies({"IPAGothic", "monospace"});
    lstKensaku_->setFont(mono);
    for (std::size_t i = 0; i < list_.lines.size(); ++i) {
        // Lines of two athlete lists (both sexes) say which one they come from.
        const int sex = list_.sexes[i];
        const QString from = sex == 1 ? "  男" : sex == 2 ? "  女" : "";
        lstKensaku_->addItem(QString::number(i + 1).rightJustified(2) + "  " + QString::fromStdString(list_.lines[i]) + from);
    }
    lstKensaku_->installEventFilter(this);
    lstKensaku_->setMinimumWidth(320);
    grid->addWidget(lstKensaku_, 0, 0, 9, 1);
    auto* hint = new QLabel("1～9 のキーかボタンで、その番号の選手を選びます。"
                            "Enter またはダブルクリックで、選択している行の選手を選びます。Esc で選ばずに戻ります。",
                            this);
    hint->setObjectName("lblKensaku");
    hint->setWordWrap(true);
    grid->addWidget(hint, 9, 0, 1, 2);
    connect(lstKensaku_, &QListWidget::itemActivated, this, [this] { pickLine(lstKensaku_->currentRow() + 1); });
    for (int i = 0; i < tolv::SearchList::kPickable; ++i) {
        auto* b = new QPushButton(QString::number(i + 1), this);
        b->setObjectName(QString("cmdNo_%1").arg(i));
        b->setAutoDefault(false);
        b->setFixedWidth(40);
        connect(b, &QPushButton::clicked, this, [this, i] { pickLine(i + 1); });
        grid->addWidget(b, i, 1);
    }
    lstKensaku_->setFocus();
    if (lstKensaku_->count() > 0) lstKensaku_->setCurrentRow(0);
}

void FrmZepiKensaku::pickLine(int line)
{
    result_ = list_.pick(line);
    line_ = result_ ? line : 0;
    accept();
}

bool FrmZepiKensaku::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstKensaku_ && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        // Keypad digits pick; the digits of the main keyboard are taken the same way, for
        // keyboards without a keypad.
        if (k->key() >= Qt::Key_1 && k->key() <= Qt::Key_9) {
            pickLine(k->key() - Qt::Key_0);
            return true;
        }
        if (k->key() == Qt::Key_Escape) return false;
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (lstKensaku_->currentRow() >= 0) pickLine(lstKensaku_->currentRow() + 1);
            else pickLine(0);
            return true;
        }
        // The arrows move the highlighted line; they do not clear a choice.
        if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down || k->key() == Qt::Key_PageUp || k->key() == Qt::Key_PageDown ||
            k->key() == Qt::Key_Home || k->key() == Qt::Key_End)
            return false;
        // Any other key clears the choice; the arrows still move through the list.
        result_ = 0;
        line_ = 0;
    }
    return QDialog::eventFilter(watched, event);
}

int FrmZepiKensaku::pick(const tolv::SearchList& list, QWidget* parent) { return list.pick(pickLine(list, parent)); }

int FrmZepiKensaku::pickLine(const tolv::SearchList& list, QWidget* parent)
{
    FrmZepiKensaku dlg(list, parent);
    // The choice must not wait behind a busy pointer.
    bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    dlg.exec();
    if (busy) QGuiApplication::restoreOverrideCursor();
    return dlg.pickedLine();
}

} // namespace tolv::gui
