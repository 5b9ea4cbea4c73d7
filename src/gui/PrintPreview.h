#pragma once
// Where a report goes in the program and from the command line: Qt's print preview (from which the
// user prints on the system printer or saves a PDF), and a PDF file written directly.
#include <filesystem>
#include <functional>

class QWidget;

namespace tolv {
class Printer;
}

namespace tolv::gui {

using DrawReport = std::function<void(tolv::Printer&)>;

// Draws the report once without output to catch its errors (shown as a message box, then false),
// then opens the preview dialog on an A4 portrait page. Returns true when the preview was shown.
bool printWithPreview(QWidget* parent, const DrawReport& draw);

// Writes the report as an A4 PDF at 1440 dots per inch (device units are twips), with the origin a
// sixth of an inch inside the sheet's corner like a printer's printable area. The file is
// written under a temporary name and renamed when the report is complete; an error thrown by
// `draw` leaves no file behind. Creates an offscreen QGuiApplication when none exists.
void writePdf(const std::filesystem::path& file, const DrawReport& draw);

// A QGuiApplication for drawing without a window system (the command line's --pdf).
void ensureGuiApplication();

} // namespace tolv::gui
