// The entry point of the PDF module the command line loads for --pdf (platform/PdfModule.h). Every
// failure ends here as a value: nothing thrown leaves the module.
#include "platform/Error.h"
#include "platform/PdfModule.h"
#include "platform/SystemErrors.h"
#include "print/PdfPrinter.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

namespace {

// Unwinds the writer when the caller's drawing failed: the writer leaves no file, and the caller
// still holds the drawing's own error.
struct DrawFailed {};

void report(tolv::PdfError* error, const std::string& message, tolv::ErrorKind kind, int systemCode)
{
    error->kind = static_cast<int>(kind);
    error->systemCode = systemCode;
    std::size_t n = std::min(message.size(), tolv::kPdfMessageBytes - 1);
    // Cut before a continuation byte, so the text ends with a whole character.
    while (n < message.size() && n > 0 && (static_cast<unsigned char>(message[n]) & 0xC0) == 0x80) --n;
    std::memcpy(error->message, message.data(), n);
    error->message[n] = '\0';
}

} // namespace

extern "C" TOLV_MODULE_EXPORT int tolvWritePdfJob(const char* file, tolv::DrawReportFn* draw, void* context,
                                                  tolv::PdfError* error) noexcept
{
    try {
        tolv::gui::printPdf(file, [&](tolv::Printer& printer) {
            if (draw(context, &printer) != 0) throw DrawFailed();
        });
        return tolv::kPdfWritten;
    } catch (const DrawFailed&) {
        return tolv::kPdfDrawFailed;
    } catch (const tolv::TolvError& e) {
        report(error, tolv::userMessage(e), e.kind(), e.systemCode());
    } catch (const std::exception& e) {
        report(error, tolv::userMessage(e), tolv::ErrorKind::Other, 0);
    } catch (...) {
        report(error, std::string("PDFファイルを作成できません: ") + file, tolv::ErrorKind::Other, 0);
    }
    return tolv::kPdfFailed;
}

// The module's type must stay the one the command line expects.
static_assert(std::is_same_v<decltype(tolvWritePdfJob), tolv::WritePdfFn>);
