#include "gui/BoxConfirmer.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

#include <vector>

namespace tolv::gui {

namespace {

const char* const kCovered = "tolvBoxConfirmerCovered";

bool isEnterKey(const QKeyEvent* k)
{
    return (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && (k->modifiers() & ~Qt::KeypadModifier) == 0;
}

} // namespace

BoxConfirmer::BoxConfirmer(QWidget* window) : window_(window) { window_->installEventFilter(this); }

BoxConfirmer::~BoxConfirmer() = default; // Qt drops a deleted object from the event filters

void BoxConfirmer::add(QLineEdit* box, Check check, Stored stored, Then then)
{
    boxes_[box] = Box{std::move(check), std::move(stored), std::move(then)};
    box->installEventFilter(this);
    connect(box, &QObject::destroyed, this, [this](QObject* gone) { boxes_.erase(static_cast<QLineEdit*>(gone)); });
}

void BoxConfirmer::addLeaving(QLineEdit* box, Check check, Stored stored)
{
    add(box, std::move(check), std::move(stored));
    boxes_[box].enter = false;
}

void BoxConfirmer::coverControls()
{
    covered_ = true;
    for (QAbstractButton* b : window_->findChildren<QAbstractButton*>()) {
        if (b->property(kCovered).toBool()) continue;
        b->setProperty(kCovered, true);
        // Pressed comes before clicked, also for a button pressed by its shortcut or one that
        // takes no focus.
        connect(b, &QAbstractButton::pressed, this, [this] { confirmAll(); });
    }
    for (QMenu* m : window_->findChildren<QMenu*>()) {
        if (m->property(kCovered).toBool()) continue;
        m->setProperty(kCovered, true);
        connect(m, &QMenu::aboutToShow, this, [this] { confirmAll(); });
    }
}

bool BoxConfirmer::confirm(QLineEdit* box, bool leaving)
{
    const auto it = boxes_.find(box);
    if (it == boxes_.end() || confirming_) return true;
    if (leaving && !box->isModified()) return true;
    const Box& b = it->second;
    confirming_ = true;
    bool stored = false;
    try {
        stored = b.check(leaving);
    } catch (...) {
        confirming_ = false;
        throw;
    }
    confirming_ = false;
    if (stored) {
        if (!leaving && b.then) b.then();
    } else if (leaving) {
        box->setText(b.stored());
        box->setCursorPosition(0);
    } else {
        box->setFocus();
        box->selectAll();
    }
    return stored;
}

bool BoxConfirmer::confirmAll()
{
    bool all = true;
    // A copy: a confirmed value may rebuild what the window shows.
    std::vector<QLineEdit*> pending;
    for (const auto& [box, b] : boxes_)
        if (box->isModified()) pending.push_back(box);
    for (QLineEdit* box : pending)
        if (boxes_.count(box) && !confirm(box, true)) all = false;
    return all;
}

bool BoxConfirmer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Show:
            if (!covered_) coverControls();
            break;
        case QEvent::Close:
        case QEvent::Hide: confirmAll(); break;
        default: break;
        }
        return false;
    }
    auto* box = static_cast<QLineEdit*>(watched);
    if (!boxes_.count(box)) return false;
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) confirm(box, true);
        return false;
    }
    if (event->type() == QEvent::KeyPress && boxes_[box].enter && isEnterKey(static_cast<QKeyEvent*>(event))) {
        confirm(box, false);
        return true;
    }
    return false;
}

} // namespace tolv::gui
