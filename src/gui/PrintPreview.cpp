#include "gui/PrintPreview.h"

#include "gui/Fonts.h"
#include "gui/QtPrinter.h"
#include "platform/Error.h"
#include "platform/Printer.h"

#include <QActionGroup>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QPrinter>

#include <memory>
#include <ostream>
#include <streambuf>

namespace tolv::gui {

namespace {

// Discards the print log of a trial run.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

void showError(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString::fromStdString(message),
                    QMessageBox::Ok, parent);
    box.setObjectName("MsgBox");
    box.exec();
}

// The dialog's own "fit width" tool, so that its tool bar shows the mode in use: the first of its
// two-way exclusive groups (fit width / fit page; then portrait / landscape). The view is set
// directly when the dialog is built otherwise.
void fitToWidth(QPrintPreviewDialog& dialog)
{
    auto* view = dialog.findChild<QPrintPreviewWidget*>();
    for (QActionGroup* group : dialog.findChildren<QActionGroup*>()) {
        if (group->actions().size() != 2 || !group->isExclusive()) continue;
        group->actions().first()->trigger();
        break;
    }
    if (view && view->zoomMode() != QPrintPreviewWidget::FitToWidth) view->setZoomMode(QPrintPreviewWidget::FitToWidth);
}

} // namespace

bool printWithPreview(QWidget* parent, const DrawReport& draw)
{
    try {
        NullBuffer nothing;
        std::ostream sink(&nothing);
        tolv::PrintLog trial(sink);
        draw(trial);
    } catch (const std::exception& e) {
        showError(parent, e.what());
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName("PrintPreview");
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        QPainter painter(target);
        QtPrinter p(painter, *target);
        try {
            draw(p);
        } catch (const std::exception&) {
            // The trial run passed; a failure now only cuts the preview short.
        }
        if (painter.isActive()) painter.end();
    });
    // Readable at once: most of the screen, the page as wide as the window.
    QSize size(1100, 900);
    if (QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = QSize(free.width() * 9 / 10, free.height() * 9 / 10);
        dialog.move(free.left() + (free.width() - size.width()) / 2, free.top() + (free.height() - size.height()) / 2);
    }
    dialog.resize(size);
    fitToWidth(dialog);
    dialog.exec();
    return true;
}

} // namespace tolv::gui
