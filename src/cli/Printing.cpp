// Where the report commands print: --print-log FILE and/or --pdf FILE, by default the print log on
// stdout. The PDF writer is a module loaded only here (platform/PdfModule.h), so the command line
// starts without Qt.
#include "cli/Cli.h"

#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/PdfModule.h"
#include "platform/Printer.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;

// Beside the tolv binary (the build), else in ../lib/tolvsys (an installed package).
fs::path pdfModulePath()
{
    std::error_code ec;
    const fs::path bin = runningProgramPath().parent_path();
    const fs::path beside = bin / kPdfModuleFile;
    const fs::path installed = bin.parent_path() / "lib" / "tolvsys" / kPdfModuleFile;
    return fs::exists(beside, ec) || !fs::exists(installed, ec) ? beside : installed;
}

WritePdfFn* loadPdfWriter()
{
    const fs::path module = pdfModulePath();
    // Kept loaded for the rest of the run: Qt's application object lives in it.
    std::string why;
    void* fn = loadModuleSymbol(module, kPdfEntryPoint, why);
    if (!fn) throw TolvError("PDF出力モジュールを読み込めません: " + module.string() + (why.empty() ? "" : " (" + why + ")"));
    return reinterpret_cast<WritePdfFn*>(fn);
}

// The report drawn for the module: a failure is kept here, to be thrown again once the module has
// returned, and the module only learns that the drawing failed.
struct DrawCall {
    const std::function<void(tolv::Printer&)>& draw;
    std::exception_ptr failure;
};

int drawForModule(void* context, tolv::Printer* printer) noexcept
{
    auto* call = static_cast<DrawCall*>(context);
    try {
        call->draw(*printer);
        return 0;
    } catch (...) {
        call->failure = std::current_exception();
        return 1;
    }
}

// Writes the PDF through the module; its errors come back as values and are thrown here as the
// user's message, as the drawing's own error or as the writer's.
void writePdfFile(WritePdfFn* writePdf, const std::string& file, const std::function<void(tolv::Printer&)>& draw)
{
    DrawCall call{draw, nullptr};
    PdfError error{};
    const int status = writePdf(file.c_str(), &drawForModule, &call, &error);
    if (status == kPdfWritten) return;
    if (status == kPdfDrawFailed && call.failure) std::rethrow_exception(call.failure);
    error.message[kPdfMessageBytes - 1] = '\0';
    if (status != kPdfFailed || error.message[0] == '\0') throw TolvError("PDFファイルを作成できません: " + file);
    throw TolvError(error.message, static_cast<ErrorKind>(error.kind), error.systemCode);
}

} // namespace

void withPrinter(Context& ctx, const std::function<void(tolv::Printer&)>& draw)
{
    auto logPath = ctx.args.option("--print-log");
    auto pdfPath = ctx.args.option("--pdf");
    std::ofstream logFile;
    if (logPath) {
        logFile.open(*logPath, std::ios::binary | std::ios::trunc);
        enforce(bool(logFile), "印刷ログを作成できません: " + *logPath);
    }
    if (pdfPath) {
        WritePdfFn* writePdf = loadPdfWriter();
        writePdfFile(writePdf, *pdfPath, [&](tolv::Printer& pdf) {
            if (!logPath) {
                draw(pdf);
                return;
            }
            PrintLog log(logFile);
            TeePrinter both(pdf, log);
            draw(both);
        });
        return;
    }
    PrintLog log(logPath ? static_cast<std::ostream&>(logFile) : ctx.out);
    draw(log);
}

} // namespace tolv::cli
