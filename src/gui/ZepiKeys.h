#pragma once
// The keys of the entry window: Enter confirms a box and moves the focus on (in browse and in a new
// entry each box has its next one), Enter on a focused button presses it, Up and Down on the input
// line page through the swimmers and Insert jumps to the number box; a date, a shown time or a grade
// is typed afresh rather than edited; a double click on a copy label copies it into the swimmer.
// The panels send their boxes' key events here.
#include <QObject>

class QLineEdit;

namespace tolv::gui {

class FrmZepi;

class ZepiKeys : public QObject {
    Q_OBJECT
public:
    explicit ZepiKeys(FrmZepi& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enter(QLineEdit* box);

    FrmZepi& w_;
};

} // namespace tolv::gui
