#pragma once
// Drive, folder and file pickers on Qt's file-system model. In the folder and file pickers the
// highlighted entry is the chosen one: a click, the arrow keys, Home/End, the page keys and typing a
// name's first letters all choose.
//
// The drive picker lists the mapped drives of the working tree ("c:" and every TOLVSYS_DRIVE_<L>)
// and the host root "/". A mapped drive whose folder does not exist is a drive that is not ready:
// choosing it asks for a floppy, OK tries again, Cancel keeps the previous drive.
#include <QComboBox>
#include <QListView>
#include <QWidget>

#include <filesystem>

class QFileSystemModel;
class QLabel;
class QTreeView;

namespace tolv {
class Prompt;
}

namespace tolv::gui {

class DrivePicker : public QComboBox {
    Q_OBJECT
public:
    DrivePicker(tolv::Prompt& prompt, QWidget* parent = nullptr);

    // "c:", "d:" … or "/".
    QString drive() const;
    std::filesystem::path root() const;
    // Selects a drive by its stored text (any letter case; "" and unknown ones give "c:").
    void setDrive(const QString& stored);
    // The drive holding a host folder (the longest matching root).
    void setDriveOf(const std::filesystem::path& folder);

signals:
    void driveChanged(const QString& hostRoot);

private:
    void onActivated(int index);

    tolv::Prompt& prompt_;
    int previous_ = 0;
};

class DirPicker : public QWidget {
    Q_OBJECT
public:
    explicit DirPicker(QWidget* parent = nullptr);

    // Shows the folders under a drive root and makes the root the current folder.
    void setRoot(const std::filesystem::path& root);
    // Makes a folder current (its drive root must have been set); a missing folder gives the root.
    void setPath(const std::filesystem::path& folder);
    std::filesystem::path path() const { return path_; }
    QTreeView* view() const { return view_; }
    QFileSystemModel* model() const { return model_; }

signals:
    void pathChanged(const QString& folder);

private:
    void choose(const std::filesystem::path& folder);

    QLabel* current_;
    QTreeView* view_;
    QFileSystemModel* model_;
    std::filesystem::path root_, path_;
    bool placing_ = false; // setPath moves the highlight itself
};

class FilePicker : public QListView {
    Q_OBJECT
public:
    explicit FilePicker(QWidget* parent = nullptr);

    void setFolder(const std::filesystem::path& folder);
    std::filesystem::path folder() const { return folder_; }
    void setPatterns(const QStringList& patterns);
    // The file chosen last, by a click or by moving the highlight with the keys ("" when none).
    QString fileName() const { return fileName_; }
    QFileSystemModel* fileModel() const { return model_; }
    // Index of a listed file (invalid until the folder is loaded).
    QModelIndex indexOf(const QString& name) const;

signals:
    void fileClicked(const QString& name);

private:
    QFileSystemModel* model_;
    std::filesystem::path folder_;
    QString fileName_;
};

} // namespace tolv::gui
