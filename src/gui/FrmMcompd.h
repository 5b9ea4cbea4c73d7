#pragma once
// The Mcompd window (frmMcompd, caption "Form1"): a drive picker Drive1 and a folder picker Dir1
// choose the folder of Mcompd.dat; "Command1" (cmdZikko) appends its swimmers to the entry file;
// "終わり" (cmdOwari) closes the window. The entry window hands its file over while this window is
// open (FrmZepi::handOverTo) and reopens it when this window closes.
#include <QWidget>

#include <filesystem>

class QPushButton;

namespace tolv::gui {

struct AppContext;
class DirPicker;
class DrivePicker;

class FrmMcompd : public QWidget {
    Q_OBJECT
public:
    // entryFile: the entry file the swimmers go to; folder: the folder shown first.
    FrmMcompd(AppContext& ctx, const std::filesystem::path& entryFile, const std::filesystem::path& folder,
              QWidget* parent = nullptr);

    std::filesystem::path folder() const;
    // Imports Mcompd.dat of the chosen folder and tells what was appended (or why not).
    void execute();

private:
    AppContext& ctx_;
    std::filesystem::path entryFile_;
    DrivePicker* drive1_;
    DirPicker* dir1_;
    QPushButton* cmdZikko_;
    QPushButton* cmdOwari_;
};

} // namespace tolv::gui
