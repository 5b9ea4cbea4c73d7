#include "gui/ZepiInputLine.h"

#include "gui/ZepiHeaderPanel.h"
#include "storage/EntryEditRules.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tolv::gui {
namespace {

const char* const kCopyTips[5] = {"ダブルクリック・名前コピー", "ダブルクリック・フリカナコピー", "ダブルクリック・・所属コピー",
                                  "ダブルクリック・・所属カナコピー", "ダブルクリック・登録日コピー"};

} // namespace

ZepiInputLine::ZepiInputLine(QObject* keys, QWidget* parent) : QWidget(parent)
{
    setObjectName("fraBiko");
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(9, 4, 9, 4);
    lblBiko = new QLabel(this);
    lblBiko->setObjectName("lblBiko");
    lblBiko->setMinimumWidth(fontMetrics().horizontalAdvance('0') * 7);
    txtBiko = entryBox("txtBiko", 12, keys, this);
    auto button = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->installEventFilter(this);
        return b;
    };
    cmdShinki = button("新規入力", "cmdShinki");
    cmdMae = button("前データ", "cmdMae");
    cmdTugi = button("次データ", "cmdTugi");
    cmdSakuzo = button("表示データ削除", "cmdSakuzo");
    line->addWidget(lblBiko);
    line->addWidget(txtBiko);
    line->addSpacing(20);
    for (QPushButton* b : {cmdShinki, cmdMae, cmdTugi, cmdSakuzo}) line->addWidget(b);
    line->addSpacing(20);
    const int digit = fontMetrics().horizontalAdvance('0');
    for (int i = 0; i < 5; ++i) {
        lblCopy[i] = new QLabel(this);
        lblCopy[i]->setObjectName(QString("lblCopy_%1").arg(i));
        lblCopy[i]->setToolTip(kCopyTips[i]);
        lblCopy[i]->setFrameShape(QFrame::Panel);
        lblCopy[i]->setFrameShadow(QFrame::Sunken);
        lblCopy[i]->setMinimumWidth(digit * (i == 3 || i == 4 ? 9 : 15));
        lblCopy[i]->installEventFilter(keys);
        line->addWidget(lblCopy[i]);
    }
    line->addStretch();
}

void ZepiInputLine::enableButtons(bool on)
{
    for (QPushButton* b : {cmdShinki, cmdMae, cmdTugi, cmdSakuzo}) b->setEnabled(on);
}

void ZepiInputLine::fillCopyLabels(const tolv::EntryEditRules& rules)
{
    using B = tolv::EntryBox;
    const B kinds[5] = {B::Namae, B::Kana, B::Shozoku, B::ShozokuKana, B::Torobi};
    for (int i = 0; i < 5; ++i) lblCopy[i]->setText(QString::fromStdString(rules.shown(kinds[i])));
}

bool ZepiInputLine::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        auto* b = qobject_cast<QPushButton*>(watched);
        if (b && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && (k->modifiers() & ~Qt::KeypadModifier) == 0) {
            if (b->isEnabled()) b->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tolv::gui
