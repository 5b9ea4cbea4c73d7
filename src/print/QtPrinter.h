#pragma once
// The printer interface drawn on a QPainter: a QPrinter (system printer), a QPdfWriter, or the
// sheets of the print preview. Positions are twips from the top-left of the printable area; the
// painter is scaled so that one logical unit is one twip. Text is placed on the fixed pitch the
// reports are laid out in (a half-width character half the font size wide, a full-width one the
// whole size), so columns line up whatever advance widths the substituted face has.
//
// Pages continue as on paper (platform/PagedPrinter.h): a line past the bottom of the printable
// area goes on at the top of the next sheet.
#include "platform/PagedPrinter.h"

#include <QFont>
#include <QLineF>
#include <QGlyphRun>
#include <QRawFont>
#include <QHash>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QFontMetricsF;

namespace tolv::gui {

class QtPrinter : public tolv::PagedPrinter {
public:
    // The sheets are the pages of `device`; `painter` must be active on it. The painter's transform
    // is set to twips.
    QtPrinter(QPainter& painter, QPagedPaintDevice& device);
    // Sheets given one by one: `sheet(page)` returns a painter, active and transformed to twips,
    // for the page of the job that begins (the preview draws only the pages it shows).
    using SheetFn = std::function<QPainter*(int page)>;
    QtPrinter(SheetFn sheet, int pageWidth, int pageHeight);
    ~QtPrinter() override;

    int pageWidth() const override { return pageWidth_; }
    int pageHeight() const override { return pageHeight_; }
    // Sheets of the job so far.
    int pagesDrawn() const { return pages(); }

    // Draws the text items held back for the current sheet. The sheet's text is drawn when the
    // sheet is complete; a caller that ends the painter itself (a run stopped early) calls this first.
    void flush();

    // Pen width in twips of a line of the given platform width (printer pixels).
    static double penWidth(int width);
    // The Qt font standing for a report font name and size in points, sized in twips.
    static QFont reportFont(const std::string& name, double size);

protected:
    void doFont(const std::string& name, double size) override;
    void sheetBegin(int page) override;
    void sheetText(int x, int y, std::string_view text) override;
    void sheetLine(int x1, int y1, int x2, int y2, int width) override;
    void sheetBox(int x1, int y1, int x2, int y2, int width) override;
    void sheetEnd() override;

private:
    // A text as the sheet draws it, made once per face and text: its glyphs on the pitch relative
    // to the item's top-left, or none when a character needs a cell of its own (drawRun).
    struct Shaped {
        int columns = 0;
        bool glyphRun = false;
        QString text;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    // The font of the current report font, made when first drawn with.
    struct Face {
        QFont font;
        std::unique_ptr<QFontMetricsF> metrics;
        double ascentShare = 0.8; // of the character cell above the baseline
        QHash<char16_t, double> advance;
        // Runs drawn before, as glyphs placed on the pitch: a sheet repeats its template's
        // texts on every page, so they are shaped once.
        QRawFont raw;
        QHash<QString, QGlyphRun> runs;
        // The glyphs of the sheet being flushed, placed on the page: drawn in one call per face,
        // as a PDF writes every call as a text object of its own.
        QList<quint32> glyphs;
        QList<QPointF> positions;
        std::unordered_map<std::string, Shaped> shaped;
    };
    void drawGlyphs(Face& f);
    const Shaped& shape(Face& f, std::string_view text);
    Face& face();
    void drawRun(Face& f, double x, int y, const QString& s);
    // A text item of the current sheet, drawn when the sheet is complete: the glyphs of one face
    // in one call, row by row.
    struct Held {
        Face* face;
        int y;
        int x;
        const Shaped* shaped;
    };
    std::vector<Held> held_;
    // Lines of the current pen width not yet drawn: drawn in one call, one path in a PDF.
    QList<QLineF> lines_;
    double linesWidth_ = 0;
    void drawLines();
    void usePen(double width, bool forText);

    QPainter* painter_ = nullptr;
    QPagedPaintDevice* device_ = nullptr;
    SheetFn sheet_;
    int sheetsBegun_ = 0;
    int pageWidth_ = 11906;
    int pageHeight_ = 16838;
    QHash<QString, std::shared_ptr<Face>> faces_;
    Face* face_ = nullptr;
    QString faceKey_;
    const QFont* painterFont_ = nullptr;
    double penWidth_ = -1;
};

} // namespace tolv::gui
