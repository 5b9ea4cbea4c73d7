#pragma once
// The individual lists window (frmKIchi): a range of swimmer records of the open entry file and
// the two lists "個 人 一 覧" and "個人種目一覧". It reads the swimmer records and changes nothing.
#include "gui/PrintPreview.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace tolv::reports {
struct ListItem;
}

class QLineEdit;
class QStatusBar;

namespace tolv {
class EntryStore;
}

namespace tolv::gui {

class BoxConfirmer;

class FrmKIchi : public QWidget {
    Q_OBJECT
public:
    using PrintFn = std::function<bool(const DrawReport&)>;

    explicit FrmKIchi(tolv::EntryStore& store, QWidget* parent = nullptr);
    ~FrmKIchi() override;
    void setPrintFunction(PrintFn fn) { print_ = std::move(fn); }

public slots:
    // Prints a list of the entry file over the range the window shows.
    void printList(const tolv::reports::ListItem& list);

private:
    void lastEntered();
    void firstChanged(const QString& text);
    int first() const;
    int last() const;

    tolv::EntryStore& store_;
    PrintFn print_;
    QLineEdit* txtLpSt_ = nullptr;
    QLineEdit* txtLpEd_ = nullptr;
    QStatusBar* status_ = nullptr;
    std::unique_ptr<BoxConfirmer> boxes_;
};

} // namespace tolv::gui
