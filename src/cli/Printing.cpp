// Where the report commands print: --print-log FILE and/or --pdf FILE, by default the print log on
// stdout. The PDF writer is a module loaded only here (platform/PdfModule.h), so the command line
// starts without Qt.
#include "cli/Cli.h"

#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/PdfModule.h"
#include "platform/Printer.h"


#include <filesystem>
#include <fstream>

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
        writePdf(pdfPath->c_str(), [&](tolv::Printer& pdf) {
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
