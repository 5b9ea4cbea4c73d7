// Where the report commands print: --print-log FILE and/or --pdf FILE, by default the print log on
// stdout.
#include "cli/Cli.h"

#include "gui/PrintPreview.h"
#include "platform/Error.h"
#include "platform/Printer.h"

#include <fstream>

namespace tolv::cli {

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
        // Qt is started only here, offscreen, for drawing the PDF.
        tolv::gui::writePdf(*pdfPath, [&](tolv::Printer& pdf) {
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
