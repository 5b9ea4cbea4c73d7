#pragma once
// The swimmer of the entry window: personal boxes, sex and registration lists, discipline and card
// boxes and the 44 event slots with their times and marks. It shows a swimmer record; the window confirms what is typed
// (EntryEditRules) and writes it.
//
// Control arrays are single widgets named <array>_<index>: txtKiro_0 … txtKiro_43, lblKiro_i,
// chkShubetu_0 … chkShubetu_5, chkNissui_0 / chkNissui_1, lblMark_0 … lblMark_21.
#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tolv {
class EntryEditRules;
class SwimmerRecord;
} // namespace tolv

namespace tolv::gui {

class ZepiSwimmerPanel : public QWidget {
    Q_OBJECT
public:
    // `keys` receives the key and focus events of every box.
    ZepiSwimmerPanel(QObject* keys, QWidget* parent);

    // Shows the record; `number` and `total` go to "順(総数)".
    void showSwimmer(const tolv::EntryEditRules& rules, const tolv::SwimmerRecord& r, int number, int total);
    // Shows the reserve event names as tips of their slots.
    void setReserveTip(int row, const QString& name);

    QLineEdit* txtJun;
    QLineEdit* txtBango;
    QLineEdit* txtQBango;
    QLineEdit* txtKana;
    QLineEdit* txtNamae;
    QLineEdit* txtKen;
    QLineEdit* txtKenKana;
    QLineEdit* txtShozoku;
    QLineEdit* txtShozokuKana;
    QLineEdit* txtGakunen;
    QLineEdit* txtNenrei;
    QComboBox* cboSei;
    QComboBox* cboShuFuku;
    std::array<QCheckBox*, 6> chkShubetu;
    std::array<QCheckBox*, 2> chkNissui;
    std::array<QLineEdit*, 44> txtKiro;
    std::array<QLabel*, 44> lblKiro;
    std::array<QLabel*, 22> lblMark;
};

} // namespace tolv::gui
