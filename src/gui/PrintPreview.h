#pragma once
// Where a report goes in the program: Qt's print preview (from which the user prints on the system
// printer or saves a PDF), and a PDF file written directly (gui/PdfWriter.h).
#include "gui/PdfWriter.h"

#include <filesystem>
#include <functional>

class QWidget;

namespace tolv::gui {

// Draws the report once without output to catch its errors (shown as a message box, then false),
// then opens the preview dialog on an A4 portrait page. Returns true when the preview was shown.
bool printWithPreview(QWidget* parent, const DrawReport& draw);

} // namespace tolv::gui
