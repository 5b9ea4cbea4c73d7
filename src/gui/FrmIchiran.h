#pragma once
// The lists window "団体" (frmIchiran): one team of the team totals file at a time, its fee grid,
// and the buttons that print the team lists, the fee list, receipts, the issuer sample and the
// entry form. It works on whatever the last tally wrote and keeps the file open until it closes.
//
// Control arrays are single widgets named <array>_<index>: txtKoumoku_0 … _14, txtKazu_0 … _14,
// txtTanka_0 … _14, lblKingaku_0 … _14, lblZusho_0 / _1, txtLpS_0 … _3, txtLpP_0 … _3.
#include "gui/PrintPreview.h"
#include "reports/ReportMenu.h"
#include "storage/TeamTotalsFile.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace tolv {
class EntryStore;
class Prompt;
} // namespace tolv

namespace tolv::gui {

class BoxConfirmer;

// Sizes a window to its content but within the available screen (its content scrolls beyond).
void fitToScreen(QWidget* window, QWidget* content);

class FrmIchiran : public QWidget {
    Q_OBJECT
public:
    // Where a drawn report goes; by default the print preview over this window. Returns false
    // when the report could not be drawn (its error has been shown).
    using PrintFn = std::function<bool(const DrawReport&)>;

    // Loads the window on the totals file beside the open entry file (TolvError when that file is
    // damaged).
    FrmIchiran(tolv::EntryStore& store, tolv::Prompt& prompt, QWidget* parent = nullptr);
    ~FrmIchiran() override;

    void setPrintFunction(PrintFn fn) { print_ = std::move(fn); }
    int shownTeam() const { return shown_; }
    const tolv::TeamTotalsFile& totals() const { return totals_; }

public slots:
    void nextTeam();
    void previousTeam();
    // Prints a list of the team totals file (or the issuer sample) with the range and the issuer
    // lines of the window; the team list writes its HTML copy first.
    void printList(const tolv::reports::ListItem& list);

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    void buildWindow();
    void showTeam();
    void readShown();
    // Runs an edit; its error is shown (followed by `field`, what the field takes) and nothing
    // more happens.
    bool attempt(const std::function<void()>& edit, const std::string& field = std::string(), bool leaving = false);
    // The same for an edit of the control record, which goes back to the stored one when not written.
    bool writeControl(const std::function<void()>& edit, const std::string& field, bool leaving);
    // Each box of the fee grid is confirmed (checked and written) on Enter and when it is left.
    void wireBoxes();
    // Tells the user something in the status bar (stbIchiran), without a box.
    void say(const QString& message);
    bool feeNameConfirmed(int k, bool leaving);
    bool priceConfirmed(int k, bool leaving);
    bool quantityConfirmed(int k, bool leaving);
    bool receivedConfirmed(bool leaving);
    bool print(const DrawReport& draw);
    int rangeFirst() const;
    int rangeLast() const;

    tolv::EntryStore& store_;
    tolv::Prompt& prompt_;
    tolv::TeamTotalsFile totals_;
    int shown_ = 0;
    PrintFn print_;
    // Declared after the totals file: gone before it, and before the widgets.
    std::unique_ptr<BoxConfirmer> boxes_;

    QStatusBar* status_ = nullptr;
    QLabel* lblDat_ = nullptr;
    QLabel* lblBango_ = nullptr;
    QLabel* lblDantai_ = nullptr;
    QLabel* lblRyaku_ = nullptr;
    QLabel* lblRyakuKana_ = nullptr;
    QLabel* lblNamae_ = nullptr;
    QLabel* lblYubin_ = nullptr;
    std::array<QLabel*, 2> lblZusho_{};
    QLabel* lblTel_ = nullptr;
    std::array<QLineEdit*, tolv::kFeeItems> txtKoumoku_{};
    std::array<QLineEdit*, tolv::kFeeItems> txtKazu_{};
    std::array<QLineEdit*, tolv::kFeeItems> txtTanka_{};
    std::array<QLabel*, tolv::kFeeItems> lblKingaku_{};
    QLabel* lblGokei_ = nullptr;
    QLineEdit* txtNyukin_ = nullptr;
    QLabel* lblSagaku_ = nullptr;
    QLineEdit* txtLpSt_ = nullptr;
    QLineEdit* txtLpEd_ = nullptr;
    std::array<QLineEdit*, 4> txtLpS_{};
    std::array<QLineEdit*, 4> txtLpP_{};
};

} // namespace tolv::gui
