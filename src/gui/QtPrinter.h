#pragma once
// The printer interface drawn on a QPainter: a QPrinter (print preview, system printer) or a
// QPdfWriter. Positions are twips from the top-left of the printable area; the painter is scaled
// so that one logical unit is one twip. Text is placed character by character on the fixed pitch
// the reports are laid out in (a half-width character half the font size wide, a full-width one
// the whole size), so columns line up whatever advance widths the substituted face has.
//
// A new page is started only when something is drawn on it, so a job whose last command is a new
// page does not end with an empty sheet.
#include "platform/Printer.h"

#include <QFont>

class QPainter;
class QPagedPaintDevice;

namespace tolv::gui {

class QtPrinter : public tolv::Printer {
public:
    // `painter` must be active on `device`. The painter's transform is set to twips.
    QtPrinter(QPainter& painter, QPagedPaintDevice& device);

    int pageWidth() const override { return pageWidth_; }
    int pageHeight() const override { return pageHeight_; }
    // Sheets of the job so far.
    int pagesDrawn() const { return pagesDrawn_; }

    // Pen width in twips of a line of the given platform width (printer pixels).
    static double penWidth(int width);
    // The Qt font standing for a report font name and size in points, sized in twips.
    static QFont reportFont(const std::string& name, double size);

protected:
    void doFont(const std::string& name, double size) override;
    void doText(int x, int y, std::string_view text) override;
    void doLine(int x1, int y1, int x2, int y2, int width) override;
    void doBox(int x1, int y1, int x2, int y2, int width) override;
    void doNewPage() override;
    void doEnd() override;

private:
    void beginDrawing();

    QPainter& painter_;
    QPagedPaintDevice& device_;
    QFont font_;
    int pageWidth_ = 11906;
    int pageHeight_ = 16838;
    int pendingPages_ = 0;
    int pagesDrawn_ = 1;
};

} // namespace tolv::gui
