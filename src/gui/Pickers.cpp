#include "gui/Pickers.h"

#include "platform/Paths.h"
#include "platform/Prompt.h"

#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace tolv::gui {

namespace fs = std::filesystem;

namespace {
QString qpath(const fs::path& p) { return QString::fromStdString(p.string()); }
fs::path fpath(const QString& s) { return fs::path(s.toStdString()); }
} // namespace

// --- DrivePicker ---------------------------------------------------------------------------------

DrivePicker::DrivePicker(tolv::Prompt& prompt, QWidget* parent) : QComboBox(parent), prompt_(prompt)
{
    for (char letter : tolv::mappedDrives())
        if (auto root = tolv::driveRoot(letter)) addItem(QString(QChar(letter)) + ":", qpath(*root));
    addItem("/", "/");
    connect(this, &QComboBox::activated, this, &DrivePicker::onActivated);
}

QString DrivePicker::drive() const { return currentText(); }

fs::path DrivePicker::root() const { return fpath(currentData().toString()); }

void DrivePicker::setDrive(const QString& stored)
{
    QString want = stored.trimmed().toLower();
    if (want.size() > 2 && want[1] == ':') want = want.left(2);
    int i = findText(want);
    if (i < 0) i = 0;
    setCurrentIndex(i);
    previous_ = i;
}

void DrivePicker::setDriveOf(const fs::path& folder)
{
    std::error_code ec;
    fs::path f = fs::weakly_canonical(folder, ec);
    int best = count() - 1; // the host root
    std::size_t bestLength = 0;
    for (int i = 0; i < count() - 1; ++i) {
        fs::path root = fs::weakly_canonical(fpath(itemData(i).toString()), ec);
        auto rel = f.lexically_relative(root);
        if (!rel.empty() && *rel.begin() != ".." && root.string().size() > bestLength) {
            best = i;
            bestLength = root.string().size();
        }
    }
    setCurrentIndex(best);
    previous_ = best;
}

void DrivePicker::onActivated(int index)
{
    fs::path root = fpath(itemData(index).toString());
    std::error_code ec;
    while (!fs::is_directory(root, ec)) {
        std::string letter = itemText(index).left(1).toStdString();
        if (!prompt_.ask(letter + " にフロッピーを入れてください。\nドライブ変更はキャンセル")) {
            setCurrentIndex(previous_);
            return;
        }
    }
    previous_ = index;
    emit driveChanged(qpath(root));
}

// --- DirPicker -----------------------------------------------------------------------------------

DirPicker::DirPicker(QWidget* parent) : QWidget(parent)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(2);
    current_ = new QLabel(this);
    current_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view_ = new QTreeView(this);
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    view_->setModel(model_);
    view_->setHeaderHidden(true);
    for (int c = 1; c < model_->columnCount(); ++c) view_->hideColumn(c);
    box->addWidget(current_);
    box->addWidget(view_, 1);
    connect(view_, &QTreeView::clicked, this, [this](const QModelIndex& i) { choose(fpath(model_->filePath(i))); });
    // The highlighted folder is the chosen one, whether a click, an arrow, Home/End, a page key or
    // the first letters of its name moved the highlight there.
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!placing_ && i.isValid() && fpath(model_->filePath(i)) != path_) choose(fpath(model_->filePath(i)));
    });
}

void DirPicker::setRoot(const fs::path& root)
{
    root_ = root;
    model_->setRootPath(qpath(root));
    view_->setRootIndex(model_->index(qpath(root)));
    choose(root);
}

void DirPicker::setPath(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        choose(root_);
        return;
    }
    QModelIndex i = model_->index(qpath(folder));
    if (i.isValid()) {
        placing_ = true;
        view_->setCurrentIndex(i);
        placing_ = false;
        view_->scrollTo(i);
    }
    choose(folder);
}

void DirPicker::choose(const fs::path& folder)
{
    path_ = folder;
    current_->setText(qpath(folder));
    emit pathChanged(qpath(folder));
}

// --- FilePicker ----------------------------------------------------------------------------------

FilePicker::FilePicker(QWidget* parent) : QListView(parent)
{
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::Files);
    model_->setNameFilterDisables(false);
    setModel(model_);
    connect(this, &QListView::clicked, this, [this](const QModelIndex& i) {
        fileName_ = model_->fileName(i);
        emit fileClicked(fileName_);
    });
    // The highlighted file is the chosen one, whether a click, an arrow, Home/End, a page key or
    // the first letters of its name moved the highlight there (a click chooses it on its release).
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!i.isValid() || QGuiApplication::mouseButtons() != Qt::NoButton) return;
        fileName_ = model_->fileName(i);
        emit fileClicked(fileName_);
    });
}

void FilePicker::setFolder(const fs::path& folder)
{
    folder_ = folder;
    fileName_.clear();
    model_->setRootPath(qpath(folder));
    setRootIndex(model_->index(qpath(folder)));
    // By name, so that the keys step through the files in the order the list shows.
    model_->sort(0, Qt::AscendingOrder);
}

void FilePicker::setPatterns(const QStringList& patterns) { model_->setNameFilters(patterns); }

QModelIndex FilePicker::indexOf(const QString& name) const { return model_->index(qpath(folder_ / fpath(name))); }

} // namespace tolv::gui
