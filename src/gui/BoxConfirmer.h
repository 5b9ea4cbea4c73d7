#pragma once
// One rule for the text boxes of every window: a box is confirmed when Enter is pressed in it and
// when it is left in any other way (Tab, a click elsewhere, a button, a menu, closing or hiding the
// window), with the same check and the same write. The window gives, per box, the function that
// checks the typed text and writes it (and tells a refusal), and the text of what is stored.
//
// Enter confirms the box even when nothing was typed (the window then moves on, as its Enter order
// says); leaving confirms only a box with typed text not yet confirmed. A value refused on Enter
// stays in the box, selected, for correcting; a box left with a refused value shows the stored value
// again. While a box is being confirmed (a message box may take the focus) nothing else is.
//
// A focus lost to a message box, a menu or another application's window is not leaving: the box is
// confirmed when it is really left, when a menu is opened, a button pressed or the window closed.
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>

class QLineEdit;
class QWidget;

namespace tolv::gui {

class BoxConfirmer : public QObject {
    Q_OBJECT
public:
    // Checks and writes the box's text; false when refused (the refusal has been told). `leaving`
    // is true when the box is confirmed because it was left, false for Enter. A stored value is
    // shown again by the window (setText, or setModified(false)): a box still marked modified is
    // confirmed again when it is next left (a check that could not run yet returns true so).
    using Check = std::function<bool(bool leaving)>;
    // The text the box shows for what is stored.
    using Stored = std::function<QString()>;
    // What follows a confirmed Enter (usually the focus moving to the next box).
    using Then = std::function<void()>;

    // Watches `window`: closing or hiding it confirms its boxes first, and so does pressing any of
    // its buttons or opening any of its menus (those present when it is first shown). The window
    // owns it as a member (not as a Qt child), so that it is gone before the window's base class
    // hides and deletes the widgets: no box is confirmed into a window being destroyed.
    explicit BoxConfirmer(QWidget* window);
    ~BoxConfirmer() override;

    void add(QLineEdit* box, Check check, Stored stored, Then then = {});
    // A box whose Enter the window handles itself (an Enter order with more than a next box): only
    // leaving it is confirmed here.
    void addLeaving(QLineEdit* box, Check check, Stored stored);

    // Confirms the box as Enter (leaving = false) or as leaving it. Returns false when refused.
    bool confirm(QLineEdit* box, bool leaving);
    // Confirms every box holding typed text not yet confirmed; false when one was refused.
    bool confirmAll();
    // Buttons and menus created after the window was first shown are covered by calling this.
    void coverControls();
    bool confirming() const { return confirming_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Box {
        Check check;
        Stored stored;
        Then then;
        bool enter = true; // Enter is confirmed here too
    };
    QWidget* window_;
    std::map<QLineEdit*, Box> boxes_;
    bool confirming_ = false;
    bool covered_ = false;
};

} // namespace tolv::gui
