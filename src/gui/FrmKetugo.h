#pragma once
// The merge window "申込結合": appends the swimmers of another entry file, or of a comma-separated
// file read through a reading format, to the entry file of the entry window, and keeps the reading
// formats of yomi.dat. The entry window hands its file over (FrmZepi::handOverTo) and hides while this
// window is open; this window holds the entry file under its own lock and releases it when it closes.
//
// Control arrays are single widgets named <array>_<index>: optShumoku_0/1, txtIchi_0/1,
// lblSno_0 … 69, lblSdat_0 … 69, lblTolv_0 … 34, txtSno_0 … 34, lblKakutei_0 … 34.
#include "merge/ReadingFormats.h"
#include "storage/EntryStore.h"

#include <QWidget>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tolv {
class AthleteLookup;
}

namespace tolv::gui {

struct AppContext;
class DirPicker;
class DrivePicker;
class FilePicker;

class FrmKetugo : public QWidget {
    Q_OBJECT
public:
    // The window for the entry file; openEntry() takes the file once the entry window has let it go.
    FrmKetugo(AppContext& ctx, const std::filesystem::path& entryFile, tolv::AthleteLookup& lookup, QWidget* parent = nullptr);
    // Opens the entry file for writing under its lock (TolvError when it cannot be).
    void openEntry();
    ~FrmKetugo() override;

    tolv::EntryStore& store() { return store_; }
    bool reading() const { return reading_; }
    // The reading format the controls show.
    tolv::merge::ReadingFormat formatFromControls() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void fillFormatList();
    void loadFormat(int position);
    void showFormat(const tolv::merge::ReadingFormat& f);
    void fileClicked(const QString& name);
    void classify();
    void toggleDirection();
    void registerFormat();
    void modifyFormat();
    void deleteFormat();
    void execute();
    void preview();
    void previewCsv(const std::filesystem::path& source);
    void previewEntry(const std::filesystem::path& source);
    void columnRefEdited(int field);
    void refreshTargetPreviews();
    std::filesystem::path selectedFile() const;
    bool guard(const std::function<void()>& action);

    AppContext& ctx_;
    tolv::AthleteLookup& lookup_;
    tolv::EntryStore store_;
    std::filesystem::path entryFile_;
    bool reading_ = true;
    std::filesystem::path folder_;       // folder of the selected file
    QString fileName_;                   // selected file ("" while none)
    std::vector<std::string> previewed_; // items of the comma-separated record previewed last

    DrivePicker* drive1_;
    DirPicker* dir1_;
    FilePicker* file1_;
    QLabel* lblYomiFile_;
    QLabel* lblKakiFile_;
    QLabel* lblSys_;
    QLabel* lblChuui_;
    QLabel* lblShori_;
    QLabel* lblKekka_;
    // The data findings of the sources merged while the window is open, one line per source.
    std::vector<std::string> findings_;
    QPushButton* cmdKetugo_;
    QPushButton* cmdKakunin_;
    QPushButton* cmdOwari_;
    QListWidget* lstKeisiki_;
    QLineEdit* txtKeisiki_;
    QLineEdit* txtFileNa_;
    QPushButton* cmdTouroku_;
    QPushButton* cmdShusei_;
    QPushButton* cmdSakujo_;
    QLineEdit* txtTitle_;
    std::array<QRadioButton*, 2> optShumoku_;
    std::array<QLineEdit*, 2> txtIchi_;
    QCheckBox* chkGenpon_;
    QLabel* lblKoumokuSuu_;
    std::array<QLabel*, 70> lblSno_;
    std::array<QLabel*, 70> lblSdat_;
    std::array<QLabel*, tolv::merge::kTargetFields> lblTolv_;
    std::array<QLineEdit*, tolv::merge::kTargetFields> txtSno_;
    std::array<QLabel*, tolv::merge::kTargetFields> lblKakutei_;
};

} // namespace tolv::gui
