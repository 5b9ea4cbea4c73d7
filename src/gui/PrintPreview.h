#pragma once
// Where a report goes in the program: the print preview (from which the user prints on the system
// printer), and a PDF file written directly (print/PdfWriter.h).
//
// A report is first run once without output to count its pages and catch its errors; the preview
// then opens at once and draws only the pages it shows, running the report again up to them.
// Every long run (counting, printing) shows the busy pointer at once and, when it lasts longer
// than a moment, a progress dialog with "中止".
#include "print/PdfWriter.h"

#include <filesystem>
#include <functional>

class QWidget;
class QPrinter;

namespace tolv::gui {

// Counts the report's pages (errors shown as a message box, then false; "中止" gives false too),
// then opens the preview dialog on an A4 portrait page. Returns true when the preview was shown.
bool printWithPreview(QWidget* parent, const DrawReport& draw);

// Prints every page of the report on `printer` (its page range, when one is set) with the
// progress dialog. False when "中止" ended it: the job is discarded and an output file removed.
// A report's error passes through.
bool printPages(QWidget* parent, QPrinter& printer, const DrawReport& draw, int pageCount);

// How long a run goes before its progress dialog shows, in milliseconds (tests set 0).
void setProgressDelay(int milliseconds);
// Asks for the printer of the preview's "印刷" (by default the system's print dialog); tests
// point it at a PDF file.
void setPrinterChooser(std::function<bool(QWidget* parent, QPrinter& printer)> choose);

} // namespace tolv::gui
