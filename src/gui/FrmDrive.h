#pragma once
// The start-up window: where the entry files, the registration data and the transfer files lie,
// which entry file to open, and local or internet mode with the club login. "申込" saves the
// choices to the control files, opens the entry window and closes itself; "終" ends the program.
#include <QWidget>

#include <filesystem>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tolv::gui {

struct AppContext;
class DirPicker;
class DrivePicker;
class FilePicker;
class FrmZepi;

class FrmDrive : public QWidget {
    Q_OBJECT
public:
    explicit FrmDrive(AppContext& ctx, QWidget* parent = nullptr);
    ~FrmDrive() override;

    // The entry window opened by the last "申込" (nullptr while none was opened).
    FrmZepi* openedEntryWindow() const { return opened_; }

public slots:
    void openEntry(); // "申込"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void presetFromControlFiles();
    void fillWebFromControl();
    // Rewrites dr_web.ctl from the address list; the club code and password are those last
    // accepted by a login unless storeLogin (after an accepted login) stores the boxes' ones.
    void writeWebControl(bool storeLogin = false);
    void chooseMode(int mode);
    void chooseUnit(const QString& unit);
    // The radio buttons, the unit list and the folder label as the session stands.
    void showSession();
    // Internet mode: the unit list of the address and year in the boxes (false: back to local).
    bool loadUnits();
    void backToLocal();
    // Address or year changed in internet mode: their unit list replaces the old one.
    void reloadWhenChanged();
    // The downloads the entry window needs; false when it is not to open.
    bool downloadForEntryWindow();
    bool checkLogin();
    void fileTypeChanged(int index);
    void fileNameEntered();

    AppContext& ctx_;
    DrivePicker* drive1_;
    DirPicker* dir1_;
    FilePicker* file1_;
    QComboBox* cboPatt_;
    QLineEdit* txtFile_;
    DrivePicker* drive2_;
    DirPicker* dir2_;
    DrivePicker* drive3_;
    DirPicker* dir3_;
    QRadioButton* optWeb_[2];
    QComboBox* cboWeb_;
    QLineEdit* txtNendo_;
    QListWidget* lstKen_;
    QLabel* lblWeb_;
    QLineEdit* txtPassO_;
    QLineEdit* txtPassW_;
    QLabel* lblVersion_;
    QPushButton* cmdZepi_;
    QPushButton* cmdOwari_;
    FrmZepi* opened_ = nullptr;
    bool switchingMode_ = false;
};

} // namespace tolv::gui
