#pragma once
// The command line's PDF writer: the printer interface drawn straight into a PDF file, without
// Qt's paint engine (the windows' preview and the system printer stay on the Qt printer). The
// sheets, fonts and positions are those of the Qt printer on its A4 PDF: the printable area a
// sixth of an inch inside the sheet, twips, "ＭＳ 明朝" drawn with the face Qt finds for it, text on
// the fixed pitch (gui/QtPrinter.h), pages continuing as on paper (platform/PagedPrinter.h).
//
// Each sheet is one content stream, written and compressed as soon as the sheet is complete: its
// lines and boxes as paths (lines of one width in one path), then its text row by row, one text
// operator (TJ) per row and face holding the row's codes, the gaps between its items and the
// places of characters centred in their cell as offsets. The fonts are written once, at the end,
// holding the glyphs the pages used (gui/PdfFont.h).
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
    using Shaped = std::vector<Glyph>;
    // The faces of one report font name: the face Qt finds for it, and for characters that face
    // lacks the face Qt would draw them with. Texts are shaped once (in em units, for every size).
    struct Family {
        QFont font;
        PdfFont* primary = nullptr;
        std::unordered_map<char32_t, std::pair<PdfFont*, std::uint16_t>> codes;
        std::unordered_map<std::string, Shaped> shaped;
    };
    struct Face {
        int order;
        Family* family;
        double em;      // twips
        double ascent;  // twips from the item's top to the baseline
    };
    struct Held {
        const Face* face;
        int y;
        int x;
        const Shaped* shaped;
    };

    Face& face();
    Family& family(const std::string& name);
    PdfFont& fontOf(const QRawFont& raw);
    std::pair<PdfFont*, std::uint16_t> codeOf(Family& f, char32_t c);
    const Shaped& shape(Family& f, std::string_view text);
    void writeSheet();
    void writeText();
    void usePathWidth(double width);

    PdfFile& file_;
    std::unordered_map<std::string, std::unique_ptr<Family>> families_;
    std::unordered_map<std::string, std::unique_ptr<Face>> faces_;
    Face* face_ = nullptr;
    std::vector<std::unique_ptr<PdfFont>> fonts_;
    std::vector<int> fontIds_;
    std::unordered_map<std::string, PdfFont*> fontsByFace_;

    bool sheetOpen_ = false;
    std::vector<Held> held_;
    std::string paths_;
    double pathWidth_ = -1;
    bool pathOpen_ = false;
    std::string content_;
    std::vector<int> pageIds_;
    int pagesId_ = 0;
    int resourcesId_ = 0;
};

// Writes the report as an A4 PDF the way gui::writePdf does (written whole under a temporary name;
// an error thrown by `draw` leaves no file), with this writer; when the report font's face is
// not one it can embed, with Qt's (gui/PdfWriter.h).
void printPdf(const std::filesystem::path& file, const std::function<void(tolv::Printer&)>& draw);

} // namespace tolv::gui
