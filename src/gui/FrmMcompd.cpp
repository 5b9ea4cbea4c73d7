#include "gui/FrmMcompd.h"

#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/Pickers.h"
#include "platform/Error.h"
#include "storage/EntryStore.h"
#include "timing/McompdImport.h"

#include <QGridLayout>
#include <QPushButton>

namespace tolv::gui {

FrmMcompd::FrmMcompd(AppContext& ctx, const std::filesystem::path& entryFile, const std::filesystem::path& folder,
                     QWidget* parent)
    : QWidget(parent), ctx_(ctx), entryFile_(entryFile)
{
    setObjectName("frmMcompd");
    setWindowTitle("Form1");
    auto* grid = new QGridLayout(this);
    drive1_ = new DrivePicker(ctx_.ask(), this);
    drive1_->setObjectName("Drive1");
    dir1_ = new DirPicker(this);
    dir1_->setObjectName("Dir1");
    cmdZikko_ = new QPushButton("Command1", this);
    cmdZikko_->setObjectName("cmdZikko");
    cmdOwari_ = new QPushButton("終わり", this);
    cmdOwari_->setObjectName("cmdOwari");
    grid->addWidget(drive1_, 0, 0);
    grid->addWidget(dir1_, 1, 0, 3, 1);
    grid->addWidget(cmdZikko_, 1, 1);
    grid->addWidget(cmdOwari_, 2, 1);
    grid->setRowStretch(3, 1);

    // The folder picker follows the drive; choosing a folder does nothing else.
    connect(drive1_, &DrivePicker::driveChanged, this,
            [this](const QString& root) { dir1_->setRoot(std::filesystem::path(root.toStdString())); });
    connect(cmdZikko_, &QPushButton::clicked, this, &FrmMcompd::execute);
    connect(cmdOwari_, &QPushButton::clicked, this, &QWidget::close);

    drive1_->setDriveOf(folder);
    dir1_->setRoot(drive1_->root());
    dir1_->setPath(folder);
    resize(460, 320);
}

std::filesystem::path FrmMcompd::folder() const { return dir1_->path(); }

void FrmMcompd::execute()
{
    runCommand(ctx_.ask(), [this] {
        tolv::EntryStore store;
        tolv::enforce(std::filesystem::is_regular_file(entryFile_), "申込ファイルがありません: " + entryFile_.string());
        store.openEntryFile(entryFile_);
        return tolv::importMcompd(store, folder()).message();
    });
}

} // namespace tolv::gui
