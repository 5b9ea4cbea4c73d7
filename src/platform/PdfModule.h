#pragma once
// The PDF writer as a module the command line loads only when a PDF is asked for: everything else
// the command line does runs without Qt. The module (tolvpdf.so, built from print/PdfModule.cpp)
// lies beside the tolv binary and exports one C function, kPdfEntryPoint, of type WritePdfFn. It
// draws the report onto an A4 PDF written whole under a temporary name, and no exception crosses
// its boundary in either direction: the caller's drawing reports a failure by its return value
// (keeping its own error), and the module returns how the job ended with its error as a value.
#include <cstddef>

namespace tolv {

class Printer;

// How a PDF job ended.
enum PdfStatus : int {
    kPdfWritten = 0,    // the file is in place
    kPdfDrawFailed = 1, // the caller's drawing returned a failure; no file is left
    kPdfFailed = 2,     // the writer failed: PdfError says why; no file is left
};

inline constexpr std::size_t kPdfMessageBytes = 16384;

// The writer's failure as the user reads it: the message (UTF-8, NUL-terminated, cut at a whole
// character when longer than the buffer), its ErrorKind and the system's code, as in TolvError.
struct PdfError {
    int kind;
    int systemCode;
    char message[kPdfMessageBytes];
};

// Draws the report on `printer`; 0 when it drew, anything else when it failed.
using DrawReportFn = int(void* context, Printer* printer) noexcept;

// Writes `file` (UTF-8 path) from `draw`; `error` is filled when kPdfFailed is returned.
using WritePdfFn = int(const char* file, DrawReportFn* draw, void* context, PdfError* error) noexcept;

#ifdef _WIN32
inline constexpr const char* kPdfModuleFile = "tolvpdf.dll";
#define TOLV_MODULE_EXPORT __declspec(dllexport)
#else
inline constexpr const char* kPdfModuleFile = "tolvpdf.so";
#define TOLV_MODULE_EXPORT __attribute__((visibility("default")))
#endif
// Named for its contract: a module of the earlier contract (exceptions through the boundary) has no
// such symbol and is refused when loaded, not called with the wrong arguments.
inline constexpr const char* kPdfEntryPoint = "tolvWritePdfJob";

} // namespace tolv
