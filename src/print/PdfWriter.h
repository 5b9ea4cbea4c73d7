#pragma once
// A report written as a PDF file. Needs only Qt GUI (no widgets), so that it also builds into the
// PDF module the command line loads for --pdf (print/PdfModule.cpp).
#include <filesystem>
#include <functional>

namespace tolv {
class Printer;
}

namespace tolv::gui {

using DrawReport = std::function<void(tolv::Printer&)>;

// Writes the report as an A4 PDF at 1440 dots per inch (device units are twips), with the origin a
// sixth of an inch inside the sheet's corner like a printer's printable area. The file is
// written under a temporary name and renamed when the report is complete; an error thrown by
// `draw` leaves no file behind. Creates an offscreen QGuiApplication when none exists.
void writePdf(const std::filesystem::path& file, const DrawReport& draw);

// A QGuiApplication for drawing without a window system (the command line's --pdf).
void ensureGuiApplication();

} // namespace tolv::gui
