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
#include <unistd.h>
#include <ostream>
#include <streambuf>

namespace tolv::gui {

namespace {

constexpr double kPdfMargin = 1.0 / 6.0;  // inches

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

void ensureGuiApplication()
{
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime folder; without a session there is none.
        std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tolv-runtime-" + std::to_string(::getuid()));
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir.string()));
    }
    static int argc = 1;
    static char name[] = "tolv";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
    installFontSubstitutions();
}

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

void writePdf(const std::filesystem::path& file, const DrawReport& draw)
{
    ensureGuiApplication();
    installFontSubstitutions();
    const std::filesystem::path temp = file.string() + ".tmp";
    {
        QPdfWriter writer(QString::fromStdString(temp.string()));
        writer.setResolution(1440);
        writer.setPageSize(QPageSize(QPageSize::A4));
        // Positions count from the printable area, as on a printer: a sixth of an inch all round.
        writer.setPageMargins(QMarginsF(kPdfMargin, kPdfMargin, kPdfMargin, kPdfMargin), QPageLayout::Inch);
        writer.setCreator(QStringLiteral("tolvsys"));
        QPainter painter;
        if (!painter.begin(&writer)) throw TolvError("PDFファイルを作成できません: " + file.string());
        try {
            QtPrinter p(painter, writer);
            draw(p);
        } catch (...) {
            if (painter.isActive()) painter.end();
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            throw;
        }
        if (painter.isActive()) painter.end();
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw TolvError("PDFファイルを作成できません: " + file.string());
    }
}

} // namespace tolv::gui
