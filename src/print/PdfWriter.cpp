#include "print/PdfWriter.h"

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/Printer.h"
#include "print/Fonts.h"
#include "print/PdfFile.h"
#include "print/QtPrinter.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <memory>

namespace tolv::gui {

namespace {

constexpr double kPdfMargin = 1.0 / 6.0; // inches

} // namespace

void ensureGuiApplication()
{
    if (QGuiApplication::instance()) return;
#ifndef Q_OS_WIN
    // No display is needed for a file: the offscreen platform (fontconfig's fonts). On Windows the
    // system's own platform draws on no window either and gives the system's fonts ("ＭＳ 明朝");
    // the installed program ships no other.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime folder; without a session there is none.
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("tolv-runtime-" + std::to_string(currentUserNumber()));
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

void writePdf(const std::filesystem::path& file, const DrawReport& draw)
{
    ensureGuiApplication();
    installFontSubstitutions();
    // Drawn in memory and put in place through the atomic writer, so a job that fails or stops
    // leaves the old file as it was.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
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
            p.flush();
        } catch (...) {
            if (painter.isActive()) painter.end();
            throw;
        }
        if (painter.isActive()) painter.end();
    }
    try {
        replaceFile(file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const TolvError& e) {
        throw TolvError(pdfFailureText(file.string(), e));
    }
}

} // namespace tolv::gui
