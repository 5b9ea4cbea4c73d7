#pragma once
// The PDF writer as a module the command line loads only when a PDF is asked for: everything else
// the command line does runs without Qt. The module (tolvpdf.so, built from gui/PdfModule.cpp) lies
// beside the tolv binary and exports one function, kPdfEntryPoint, of type WritePdfFn. It draws the
// report onto an A4 PDF written whole under a temporary name; an exception thrown by `draw` (or by
// the writer: "PDFファイルを作成できません") passes through to the caller and leaves no file.
#include <functional>

namespace tolv {

class Printer;

using WritePdfFn = void(const char* file, const std::function<void(Printer&)>& draw);

#ifdef _WIN32
inline constexpr const char* kPdfModuleFile = "tolvpdf.dll";
#define TOLV_MODULE_EXPORT __declspec(dllexport)
#else
inline constexpr const char* kPdfModuleFile = "tolvpdf.so";
#define TOLV_MODULE_EXPORT __attribute__((visibility("default")))
#endif
inline constexpr const char* kPdfEntryPoint = "tolvWritePdf";

} // namespace tolv
