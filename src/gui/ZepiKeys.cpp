#include "gui/ZepiKeys.h"

#include "gui/FrmZepi.h"
#include "gui/ZepiHeaderPanel.h"
#include "gui/ZepiInputLine.h"
#include "gui/ZepiSwimmerPanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <tuple>

namespace tolv::gui {

namespace {

bool isEnter(const QKeyEvent* k) { return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter; }

bool isTyping(const QKeyEvent* k) { return !k->text().isEmpty() && k->text().at(0).isPrint(); }

} // namespace

ZepiKeys::ZepiKeys(FrmZepi& window) : QObject(&window), w_(window) {}

void ZepiKeys::enter(QLineEdit* box)
{
    ZepiHeaderPanel& h = *w_.header_;
    ZepiSwimmerPanel& w = *w_.swimmer_;
    QLineEdit* biko = w_.input_->txtBiko;
    if (box == biko) return w_.inputLineEnter();
    if (box == w.txtQBango) return w_.qbangoEntered();
    if (box == w.txtKana) return w_.kanaEntered();
    // Where Enter moves the focus: in browse, and in a new entry.
    const std::tuple<QLineEdit*, QLineEdit*, QLineEdit*> order[] = {{h.txtZigyo, h.txtBasho, h.txtBasho},
                                                                    {h.txtBasho, h.txtStBi, h.txtStBi},
                                                                    {h.txtStBi, h.txtEnBi, h.txtEnBi},
                                                                    {h.txtEnBi, h.txtTcod, h.txtTcod},
                                                                    {h.txtTcod, h.txtKijunBi, h.txtKijunBi},
                                                                    {h.txtKijunBi, biko, biko},
                                                                    {h.txtTorobi, h.txtKijunBi, h.txtKijunBi},
                                                                    {w.txtBango, biko, biko},
                                                                    {w.txtNamae, w.txtKen, biko},
                                                                    {w.txtKen, w.txtKenKana, w.txtKenKana},
                                                                    {w.txtKenKana, w.txtShozoku, w.txtShozoku},
                                                                    {w.txtShozoku, w.txtShozokuKana, w.txtShozokuKana},
                                                                    {w.txtShozokuKana, w.txtGakunen, w.txtGakunen},
                                                                    {w.txtGakunen, w.txtNenrei, w.txtNenrei},
                                                                    {w.txtNenrei, biko, biko}};
    if (!w_.confirmBox(box, false)) return;
    auto it = w_.boxes_.find(box);
    if (it != w_.boxes_.end() && it->second.kind == tolv::EntryBox::Kiro) {
        box->selectAll();
        return;
    }
    for (const auto& [from, browse, fresh] : order)
        if (from == box) (w_.state_ == FrmZepi::Browse ? browse : fresh)->setFocus();
}

bool ZepiKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick)
        for (int i = 0; i < 5; ++i)
            if (watched == w_.input_->lblCopy[i]) {
                w_.copyLabelToField(i);
                return true;
            }
    if (auto* button = qobject_cast<QPushButton*>(watched); button && event->type() == QEvent::KeyPress) {
        // Enter on a focused button presses it, as Space does.
        auto* k = static_cast<QKeyEvent*>(event);
        if (isEnter(k) && (k->modifiers() & ~Qt::KeypadModifier) == 0) {
            if (button->isEnabled()) button->click();
            return true;
        }
    }
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return QObject::eventFilter(watched, event);
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);

    const auto it = w_.boxes_.find(box);
    const tolv::EntryBox kind = it == w_.boxes_.end() ? tolv::EntryBox::Bango : it->second.kind;
    const bool known = it != w_.boxes_.end();
    const bool dateBox =
        known && (kind == tolv::EntryBox::StBi || kind == tolv::EntryBox::EnBi || kind == tolv::EntryBox::KijunBi);
    const bool timeBox = known && kind == tolv::EntryBox::Kiro;

    if (!isEnter(k)) {
        // A date is typed afresh as eight digits; a shown time or mark is replaced, not edited.
        if (!box->isReadOnly()) {
            if (isTyping(k) && dateBox && box->text().contains('/')) box->clear();
            if (isTyping(k) && timeBox && !box->isModified() && !box->text().isEmpty()) box->clear();
            // The grade box shows the grade's text; a code typed replaces it.
            if (isTyping(k) && known && kind == tolv::EntryBox::Gakunen && !box->isModified()) box->clear();
        }
        if (box == w_.input_->txtBiko && w_.state_ == FrmZepi::Browse) {
            if (k->key() == Qt::Key_Up) {
                w_.previous();
                return true;
            }
            if (k->key() == Qt::Key_Down) {
                w_.next();
                return true;
            }
            if (k->key() == Qt::Key_Insert) {
                w_.swimmer_->txtBango->setFocus();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

    if (!w_.store_.isOpen()) return true;
    enter(box);
    return true;
}

} // namespace tolv::gui
