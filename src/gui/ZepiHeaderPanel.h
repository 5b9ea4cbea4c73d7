#pragma once
// The top of the entry window: where the data lie (entry file, registration master, transfer
// folder), the competition header boxes and the three option frames with the reserve-panel button.
// It shows the header; the window confirms what is typed (EntryEditRules) and writes it.
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tolv {
class EntryEditRules;
class EntryHeader;
} // namespace tolv

namespace tolv::gui {

class ZepiHeaderPanel : public QWidget {
    Q_OBJECT
public:
    // `keys` receives the key and focus events of every box.
    ZepiHeaderPanel(QObject* keys, QWidget* parent);

    void showHeader(const tolv::EntryEditRules& rules, const tolv::EntryHeader& header);

    QLabel* lblFile;
    QLabel* lblToroDr;
    QLabel* lblTrDr;
    QLineEdit* txtZigyo;
    QLineEdit* txtBasho;
    QLineEdit* txtStBi;
    QLineEdit* txtEnBi;
    QLineEdit* txtTcod;
    QLineEdit* txtKijunBi;
    QLineEdit* txtTorobi;
    std::array<QRadioButton*, 2> optSuiro;
    std::array<QRadioButton*, 3> optKubun;
    std::array<QRadioButton*, 4> optBotai;
    QPushButton* cmdYobi;
};

// A line edit of the entry window: `chars` digits wide, its events watched by `keys`.
QLineEdit* entryBox(const QString& name, int chars, QObject* keys, QWidget* parent);

} // namespace tolv::gui
