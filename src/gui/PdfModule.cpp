// The entry point of the PDF module the command line loads for --pdf (platform/PdfModule.h).
#include "gui/PdfPrinter.h"
#include "platform/PdfModule.h"

extern "C" TOLV_MODULE_EXPORT void tolvWritePdf(const char* file, const std::function<void(tolv::Printer&)>& draw)
{
    tolv::gui::printPdf(file, draw);
}

// The module's type must stay the one the command line expects.
static_assert(std::is_same_v<decltype(tolvWritePdf), tolv::WritePdfFn>);
