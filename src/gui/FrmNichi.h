#pragma once
// The federation registration window (frmNichi): swimmer and team counts of the open entry file,
// the media of the swimmer transfer file (1360 swimmers each), the transfer files ("作成(FD)",
// "一括作成") and the two registration documents with the printed team list ("印刷(csv)").
// It opens beside the entry window and reads the entry window's open file.
#include "gui/PrintPreview.h"
#include "storage/MasterSource.h"

#include <QWidget>

#include <filesystem>
#include <functional>

class QLabel;
class QPushButton;

namespace tolv {
class EntryStore;
class Prompt;
} // namespace tolv

namespace tolv::gui {

class FrmNichi : public QWidget {
    Q_OBJECT
public:
    using PrintFn = std::function<bool(const DrawReport&)>;

    FrmNichi(tolv::EntryStore& store, const std::filesystem::path& transferFolder, const std::filesystem::path& ctlFolder,
             const tolv::MasterSource& master, tolv::Prompt& prompt, QWidget* parent = nullptr);
    void setPrintFunction(PrintFn fn) { print_ = std::move(fn); }
    int medium() const { return medium_; }

public slots:
    void previousMedium();
    void nextMedium();
    void writeTransfer(bool perMedium);
    void writeDocuments();

private:
    void showMedium();

    tolv::EntryStore& store_;
    std::filesystem::path transfer_, ctl_;
    tolv::MasterSource master_;
    tolv::Prompt& prompt_;
    PrintFn print_;
    int swimmers_ = 0;
    int media_ = 1;
    int medium_ = 1;
    QLabel* lblMai_ = nullptr;
    QLabel* lblSohsu_ = nullptr;
    QLabel* lblHazime_ = nullptr;
    QLabel* lblOwari_ = nullptr;
    QPushButton* cmdUp_ = nullptr;
    QPushButton* cmdDown_ = nullptr;
};

} // namespace tolv::gui
