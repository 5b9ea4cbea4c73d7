#pragma once
// The fifteen reserve events of the entry file (category, name, individual or relay) and the
// pickers that copy them from another entry file; hidden until "予 >> 備".
#include <QWidget>

#include <array>

class QComboBox;
class QLineEdit;
class QMainWindow;
class QPushButton;

namespace tolv {
class EntryEditRules;
class ReserveEvents;
class Prompt;
} // namespace tolv

namespace tolv::gui {

class DirPicker;
class DrivePicker;
class FilePicker;

class ZepiReservePanel : public QWidget {
    Q_OBJECT
public:
    ZepiReservePanel(tolv::Prompt& prompt, QObject* keys, QWidget* parent);

    // An empty name shows its row number as a grey hint, never as text.
    void showReserve(const tolv::EntryEditRules& rules, const tolv::ReserveEvents& reserve);
    // Opens the panel beside the window's content (the window grows, within the screen) or closes
    // it (the window goes back to its size before); `toggle` says which it does next.
    void toggleBeside(QMainWindow& window, QPushButton* toggle);

    std::array<QLineEdit*, 15> txtYobiKubun;
    std::array<QLineEdit*, 15> txtYobi;
    std::array<QComboBox*, 15> cboYobiF;
    DrivePicker* drive1;
    DirPicker* dir1;
    FilePicker* file1;
    QPushButton* cmdKakutei;

private:
    int widthBefore_ = 0; // the window's size before the panel opened
    int heightBefore_ = 0;
};

} // namespace tolv::gui
