#pragma once
// The input line of the entry window and its buttons: "種目No" label, the line txtBiko (swimmer
// number in browse, event code and time in a new entry), "新規入力", "前データ", "次データ",
// "表示データ削除". Enter on a focused button presses it, as Space does. Beside them the five copy
// labels lblCopy_0 … lblCopy_4: name, reading, affiliation, its reading and registration date of the
// swimmer shown before, copied into the current one by a double click.
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tolv {
class EntryEditRules;
}

namespace tolv::gui {

class ZepiInputLine : public QWidget {
    Q_OBJECT
public:
    // `keys` receives the key and focus events of the input line and the copy labels' double clicks.
    ZepiInputLine(QObject* keys, QWidget* parent);

    // The four buttons on or off (off while a new swimmer is typed).
    void enableButtons(bool on);
    // Keeps the copied fields of the record being left.
    void fillCopyLabels(const tolv::EntryEditRules& rules);

    QLabel* lblBiko;
    QLineEdit* txtBiko;
    QPushButton* cmdShinki;
    QPushButton* cmdMae;
    QPushButton* cmdTugi;
    QPushButton* cmdSakuzo;
    std::array<QLabel*, 5> lblCopy;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tolv::gui
