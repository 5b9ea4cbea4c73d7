#pragma once
// What the user sees of a download: while a TransferDialog lives, every transfer repaints the
// windows as it runs, and one that takes longer than about a second shows a progress dialog
// (`dlgTransfer`) naming the file, with "中止" to cancel it. The busy pointer carries one.
#include "platform/Download.h"

#include <QElapsedTimer>
#include <QPointer>

#include <string>

class QProgressDialog;

namespace tolv::gui {

class TransferDialog : public tolv::TransferProgress {
public:
    TransferDialog();
    ~TransferDialog() override;
    TransferDialog(const TransferDialog&) = delete;
    TransferDialog& operator=(const TransferDialog&) = delete;

    bool transferring(const std::string& url, long long received, long long total) override;
    void finished(const std::string& url) override;

    // How long a transfer runs before the dialog shows (tests make it 0).
    static int& delayMs();

private:
    tolv::TransferProgress* previous_;
    std::string url_;
    QElapsedTimer running_, ticked_;
    QPointer<QProgressDialog> dialog_;
};

} // namespace tolv::gui
