#pragma once
// The command line's PDF writer: the printer interface drawn straight into a PDF file, without
// Qt's paint engine (the windows' preview and the system printer stay on the Qt printer). The
// sheets, fonts and positions are those of the Qt printer on its A4 PDF: the printable area a
// sixth of an inch inside the sheet, twips, "ＭＳ 明朝" drawn with the face Qt finds for it, text on
// the fixed pitch (print/QtPrinter.h), pages continuing as on paper (platform/PagedPrinter.h).
//
// Each sheet is one content stream, written and compressed as soon as the sheet is complete: its
// lines and boxes as paths (lines of one width in one path), then its text row by row, one text
// operator (TJ) per row and face holding the row's codes, the gaps between its items and the
// places of characters centred in their cell as offsets. A part the report marks as fixed (a
// form's template, Printer::beginFixedPart) is written once as a Form XObject and placed on every
// sheet that draws it the same way. The fonts are written once, at the end, holding the glyphs
// the pages used (print/PdfFont.h).
#include "platform/PagedPrinter.h"

#include <QFont>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QRawFont;

namespace tolv::gui {

class PdfFile;
class PdfFont;

class PdfPrinter : public tolv::PagedPrinter {
public:
    explicit PdfPrinter(PdfFile& file);
    ~PdfPrinter() override;

    int pageWidth() const override;
    int pageHeight() const override;

    // Writes the sheet not yet written, the fonts, the page tree and the end of the file.
    void finish();

    // Whether this writer can embed the face Qt draws the report font `name` with.
    static bool canEmbed(const std::string& name);

protected:
    void doFont(const std::string& name, double size) override;
    void sheetBegin(int page) override;
    void sheetText(int x, int y, std::string_view text) override;
    void sheetLine(int x1, int y1, int x2, int y2, int width) override;
    void sheetBox(int x1, int y1, int x2, int y2, int width) override;
    void sheetEnd() override;

private:
    // A character of a text as drawn: its font and code, and where its glyph stands relative to
    // the item's start, in thousandths of the em (its cell's start on the pitch, or the cell
    // centred on a glyph of another width).
    struct Glyph {
        PdfFont* font;
        std::uint16_t code;
        float at;
        float advance;
    };
    // A character of a report font as shaped once (in em units, for every size): its glyph and
    // where it stands in its cell, and the columns of the pitch it takes.
    struct CharShape {
        PdfFont* font = nullptr;
        std::uint16_t code = 0;
        std::uint8_t columns = 0; // 0: not shaped yet
        bool blank = false;       // a blank takes its columns and draws nothing
        float inset = 0;
        float advance = 0;
    };
    // The faces of one report font name: the face Qt finds for it, and for characters that face
    // lacks the face Qt would draw them with. The cache is per character (BMP by index), so its
    // size is bounded by the characters a document uses, not by its texts.
    struct Family {
        QFont font;
        PdfFont* primary = nullptr;
        std::vector<CharShape> bmp;
        std::unordered_map<char32_t, CharShape> beyond;
    };
    struct Face {
        int order;
        Family* family;
        double em;     // twips
        double ascent; // twips from the item's top to the baseline
    };
    struct Held {
        const Face* face;
        int y;
        int x;
        std::uint32_t first; // its glyphs in the canvas
        std::uint32_t count;
    };
    // What one content stream draws: a sheet's, or a fixed part's (a Form XObject).
    struct Canvas {
        std::vector<Held> held;
        std::vector<Glyph> glyphs;
        std::string paths;
        double pathWidth = -1;
        bool pathOpen = false;
        std::vector<const std::string*> forms; // the fixed parts placed on it
        void clear();
    };
    // An operation of a fixed part as the report drew it, in sheet twips.
    struct Mark {
        const Face* face; // texts; null for lines and boxes
        bool box;
        int x1, y1, x2, y2, width;
        std::string text;
        bool operator==(const Mark&) const = default;
    };
    struct Form {
        std::vector<Mark> marks;
        std::string resource;
        int id;
    };

    Face& face();
    Family& family(const std::string& name);
    PdfFont& fontOf(const QRawFont& raw);
    std::pair<PdfFont*, std::uint16_t> codeOf(Family& f, char32_t c);
    const CharShape& shapeOf(Family& f, char32_t c);
    void addText(Canvas& canvas, const Face& f, int x, int y, std::string_view text);
    void addLine(Canvas& canvas, int x1, int y1, int x2, int y2, int width);
    void addBox(Canvas& canvas, int x1, int y1, int x2, int y2, int width);
    static void usePathWidth(Canvas& canvas, double width);
    void render(Canvas& canvas, std::string& out);
    void writeText(Canvas& canvas, std::string& out);
    void writeSheet();
    void drawMarks();
    void doBeginFixedPart(std::string_view key) override;
    void doEndFixedPart() override;

    PdfFile& file_;
    std::unordered_map<std::string, std::unique_ptr<Family>> families_;
    std::unordered_map<std::string, std::unique_ptr<Face>> faces_;
    Face* face_ = nullptr;
    std::vector<std::unique_ptr<PdfFont>> fonts_;
    std::vector<int> fontIds_;
    std::unordered_map<std::string, PdfFont*> fontsByFace_;

    bool sheetOpen_ = false;
    Canvas sheet_;
    std::u32string chars_; // the characters of the text being shaped
    std::string content_;
    std::vector<int> pageIds_;
    int pagesId_ = 0;
    int resourcesId_ = 0;
    int fontDictId_ = 0;

    // The fixed part being drawn: its operations are kept until its end, then placed as the form
    // drawn the first time they came (when they are the same) or drawn on the sheet.
    bool recording_ = false;
    std::string recordKey_;
    std::vector<Mark> marks_;
    std::unordered_map<std::string, Form> forms_;
};

// Writes the report as an A4 PDF the way gui::writePdf does (written whole under a temporary name;
// an error thrown by `draw` leaves no file), with this writer; when the report font's face is
// not one it can embed, with Qt's (print/PdfWriter.h).
void printPdf(const std::filesystem::path& file, const std::function<void(tolv::Printer&)>& draw);

} // namespace tolv::gui
