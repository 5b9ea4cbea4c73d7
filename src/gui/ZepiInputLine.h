#pragma once
// The input line of the entry window and its buttons: "種目No" label, the line txtBiko (swimmer
// number in browse, event code and time in a new entry), "新規入力", "前データ", "次データ",
// "表示データ削除". Enter on a focused button presses it, as Space does.
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tolv::gui {

class ZepiInputLine : public QWidget {
    Q_OBJECT
public:
    // `keys` receives the key and focus events of the input line.
    ZepiInputLine(QObject* keys, QWidget* parent);

    // The four buttons on or off (off while a new swimmer is typed).
    void enableButtons(bool on);

    QLabel* lblBiko;
    QLineEdit* txtBiko;
    QPushButton* cmdShinki;
    QPushButton* cmdMae;
    QPushButton* cmdTugi;
    QPushButton* cmdSakuzo;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tolv::gui
