#pragma once
// The search dialog: candidate athletes of the registration master, of which the first nine are
// picked with the buttons "1" … "9" (cmdNo_0 … cmdNo_8) or the keypad keys 1 … 9 in the list.
// Its result is an athlete number, 0 when nothing was picked.
#include "storage/AthleteLookup.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace tolv::gui {

class FrmZepiKensaku : public QDialog {
    Q_OBJECT
public:
    FrmZepiKensaku(const tolv::SearchList& list, QWidget* parent = nullptr);

    int picked() const { return result_; }
    // The line picked (1 … 9), 0 for none.
    int pickedLine() const { return line_; }
    // Opens the dialog modally over the list and returns the athlete picked (0 for none).
    static int pick(const tolv::SearchList& list, QWidget* parent);
    // The same, returning the line picked (1 … 9, 0 for none) for lists of more than one file.
    static int pickLine(const tolv::SearchList& list, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pickLine(int line);

    tolv::SearchList list_;
    QListWidget* lstKensaku_;
    int result_ = 0;
    int line_ = 0;
};

} // namespace tolv::gui
