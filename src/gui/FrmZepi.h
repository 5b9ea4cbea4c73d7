#pragma once
// The entry window: the competition header, the reserve events, one swimmer record at a time, the
// input line with its browse, new-entry and time states, look-ups in the registration master, and
// the menus that reach every other part of the program. Every confirmed change is written to the
// entry file at once; there is no save.
//
// Control arrays are single widgets named <array>_<index>: txtKiro_0 … txtKiro_43,
// chkShubetu_0 … chkShubetu_5, chkNissui_0 / chkNissui_1, optSuiro_0/1, optKubun_0 … 2,
// optBotai_0 … 3, txtYobiKubun_0 … 14, txtYobi_0 … 14, cboYobiF_0 … 14, lblKiro_i (slot labels),
// lblMark_0 … lblMark_21, lblCopy_0 … lblCopy_4.
#include "storage/AthleteLookup.h"
#include "storage/EntryStore.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tolv::gui {

struct AppContext;
class DirPicker;
class DrivePicker;
class FilePicker;

class FrmZepi : public QMainWindow {
    Q_OBJECT
public:
    // The editing states of the window.
    enum State { Browse = 1, NewEntry = 2, NewTime = 3 };

    // Loads the window: control files, (internet mode) downloads, unit flags, the entry file, and
    // the last swimmer shown. isLoaded() tells whether the entry file could be opened.
    explicit FrmZepi(AppContext& ctx, QWidget* parent = nullptr);
    ~FrmZepi() override;

    bool isLoaded() const { return store_.isOpen(); }
    int state() const { return state_; }
    int current() const { return current_; }

    // For the commands of other parts that work on the open entry file.
    tolv::EntryStore& store() { return store_; }
    tolv::AthleteLookup& lookup() { return *lookup_; }
    AppContext& context() { return ctx_; }
    const std::filesystem::path& entryFolder() const { return entryFolder_; }
    const std::filesystem::path& transferFolder() const { return transferFolder_; }
    // A menu item by its name (mCheck1, mSotSei, mOutTichi …); nullptr for an unknown name.
    QAction* menuAction(const QString& name) const;
    // Tells the user something in the status bar (stbZepi): no box, the focus stays where it is.
    void say(const QString& message);

public slots:
    // Reads the header and the current swimmer again and shows them (after a command changed the
    // file). The count may have changed: the current number is kept within 0 … total.
    void refreshCurrent();
    // The same, then shows swimmer n (kept within 0 … total): an import shows its last swimmer.
    void refreshAt(int n);
    // Closes the entry file and empties the temp folder (once); the window stays.
    void closeEntry();
    // Shows `child`, a window that works on the entry file itself (merge, Mcompd, timing export),
    // with the entry window closed behind it: the entry file and its lock are released meanwhile.
    // When the child closes (it is deleted on close), the entry window reopens the entry file,
    // shows the current swimmer and comes back.
    void handOverTo(QWidget* child);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildWindow();
    void load();

    // Header
    void showHeader();
    void headerEntered(QLineEdit* box);
    void saveHeader();
    void copyReserveEvents();
    void toggleReservePanel();
    // "終わり" and closing the window: true when nothing is being typed or the user drops it.
    bool mayLeave();

    // Swimmer area
    void showSwimmer(int n);   // reads swimmer n (0 = empty) and shows it
    void showBuffer();         // shows the buffer as it is
    void showInfoLines();
    void fillCopyLabels();
    void swimmerEntered(QLineEdit* box);
    void qbangoEntered();
    void kanaEntered();
    void timeEntered(int slot);
    void swimmerChanged();     // state 1: writes the record; otherwise the buffer waits
    void copyLabelToField(int i);

    // Input line and buttons
    void inputLineEnter();
    void previous();
    void next();
    void moveTo(int n);
    void startNewEntry();
    void endNewEntry();
    void deleteShown();
    void setState(State s, const char* title);
    void enableButtons(bool on);

    bool guard(const std::function<void()>& action);  // runs, tells a failure, true when done
    int pickAthlete(const tolv::SearchList& list);

    AppContext& ctx_;
    tolv::EntryStore store_;
    std::unique_ptr<tolv::AthleteLookup> lookup_;
    std::unique_ptr<tolv::NewEntryRun> run_;
    std::filesystem::path entryFolder_, transferFolder_;
    std::string entryName_;
    std::string entryStored_;        // the entry folder as dr_zep.ctl names it
    std::string registrationStored_;
    int state_ = Browse;
    int current_ = 0;
    int slot_ = -1;   // event slot waiting for its time (state 3)
    bool closed_ = false;
    int widthBeforeReserve_ = 0;  // the window's size before the reserve panel opened
    int heightBeforeReserve_ = 0;

    // Information lines
    QLabel* lblFile_;
    QLabel* lblToroDr_;
    QLabel* lblTrDr_;
    // Header
    QLineEdit* txtZigyo_;
    QLineEdit* txtBasho_;
    QLineEdit* txtStBi_;
    QLineEdit* txtEnBi_;
    QLineEdit* txtTcod_;
    QLineEdit* txtKijunBi_;
    QLineEdit* txtTorobi_;
    std::array<QRadioButton*, 2> optSuiro_;
    std::array<QRadioButton*, 3> optKubun_;
    std::array<QRadioButton*, 4> optBotai_;
    QPushButton* cmdYobi_;
    QWidget* reservePanel_;
    std::array<QLineEdit*, 15> txtYobiKubun_;
    std::array<QLineEdit*, 15> txtYobi_;
    std::array<QComboBox*, 15> cboYobiF_;
    DrivePicker* drive1_;
    DirPicker* dir1_;
    FilePicker* file1_;
    QPushButton* cmdKakutei_;
    // Swimmer
    QLineEdit* txtJun_;
    QLineEdit* txtBango_;
    QLineEdit* txtQBango_;
    QLineEdit* txtKana_;
    QLineEdit* txtNamae_;
    QLineEdit* txtKen_;
    QLineEdit* txtKenKana_;
    QLineEdit* txtShozoku_;
    QLineEdit* txtShozokuKana_;
    QLineEdit* txtGakunen_;
    QLineEdit* txtNenrei_;
    QComboBox* cboSei_;
    QComboBox* cboShuFuku_;
    std::array<QCheckBox*, 6> chkShubetu_;
    std::array<QCheckBox*, 2> chkNissui_;
    std::array<QLineEdit*, 44> txtKiro_;
    std::array<QLabel*, 44> lblKiro_;
    std::array<QLabel*, 22> lblMark_;
    std::array<QLabel*, 5> lblCopy_;
    QLabel* lblBiko_;
    QLineEdit* txtBiko_;
    QPushButton* cmdShinki_;
    QPushButton* cmdMae_;
    QPushButton* cmdTugi_;
    QPushButton* cmdSakuzo_;
};

} // namespace tolv::gui
