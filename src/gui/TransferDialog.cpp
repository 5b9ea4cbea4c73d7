#include "gui/TransferDialog.h"

#include "gui/WindowPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProgressDialog>

namespace tolv::gui {

namespace {

QString fileOf(const std::string& url)
{
    const QString u = QString::fromStdString(url);
    return u.section('/', -1);
}

} // namespace

int& TransferDialog::delayMs()
{
    static int ms = 1000;
    return ms;
}

TransferDialog::TransferDialog() : previous_(tolv::setTransferProgress(this)) {}

TransferDialog::~TransferDialog()
{
    tolv::setTransferProgress(previous_);
    delete dialog_.data();
}

bool TransferDialog::transferring(const std::string& url, long long received, long long total)
{
    if (url != url_ || !running_.isValid()) {
        url_ = url;
        running_.start();
    }
    if (!dialog_ && running_.elapsed() >= delayMs()) {
        auto* d = new QProgressDialog(QApplication::activeWindow());
        d->setObjectName("dlgTransfer");
        d->setWindowTitle(QApplication::applicationName());
        d->setCancelButtonText("中止");
        d->setWindowModality(Qt::ApplicationModal);
        d->setAutoClose(false);
        d->setAutoReset(false);
        d->setMinimumDuration(0);
        d->setMinimumWidth(420);
        dialog_ = d;
    }
    // Fast transfers call often: the windows are served about every 40 ms.
    if (ticked_.isValid() && ticked_.elapsed() < 40) return !(dialog_ && dialog_->wasCanceled());
    ticked_.start();
    if (dialog_) {
        dialog_->setLabelText(
            QString("%1 を受け取っています（%2 バイト）\n%3").arg(fileOf(url)).arg(received).arg(QString::fromStdString(url)));
        // An unknown length shows a moving bar.
        dialog_->setMaximum(total > 0 ? 1000 : 0);
        if (total > 0) dialog_->setValue(int(received * 1000 / total));
        if (!dialog_->isVisible()) {
            // The waiting pointer is not what one clicks 中止 with.
            dialog_->show();
            placeOnScreen(dialog_);
        }
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        QApplication::processEvents(QEventLoop::AllEvents, 30);
        QGuiApplication::restoreOverrideCursor();
        return !(dialog_ && dialog_->wasCanceled());
    }
    // Before the dialog shows, the windows are repainted but take no input.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 30);
    return true;
}

void TransferDialog::finished(const std::string& url)
{
    (void)url;
    running_.invalidate();
    ticked_.invalidate();
    url_.clear();
    if (dialog_) dialog_->hide();
    delete dialog_.data();
}

} // namespace tolv::gui
