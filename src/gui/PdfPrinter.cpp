#include "gui/PdfPrinter.h"

#include "gui/Fonts.h"
#include "gui/PdfFile.h"
#include "gui/PdfFont.h"
#include "gui/PdfWriter.h"
#include "gui/QtPrinter.h"
#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "platform/Error.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace tolv::gui {

namespace {

// A4 in twips (210 × 297 mm) and the printable area a sixth of an inch inside it, as on the Qt
// printer's PDF.
constexpr double kPaperWidth = 210.0 / 25.4 * 1440.0;
constexpr double kPaperHeight = 297.0 / 25.4 * 1440.0;
constexpr int kMargin = 240;
constexpr int kAreaWidth = 11426;
constexpr int kAreaHeight = 16358;

// Page content is compressed for speed: the fastest level already takes a sheet's content to a
// fifth, and the document's size is mostly its fonts.
constexpr int kPageLevel = 1;


// The two bytes of a code in a literal string.
void appendCode(std::string& out, std::uint16_t code)
{
    for (const char byte : {char(code >> 8), char(code & 0xFF)}) {
        if (byte == '(' || byte == ')' || byte == '\\') {
            out += '\\';
            out += byte;
        } else if (byte == '\r') {
            out += "\\r";  // a bare carriage return would be read as a line feed
        } else {
            out += byte;
        }
    }
}

// Positions from the report's (twips from the printable area's top-left) to the page's (twips
// from the sheet's bottom-left, y upwards).
double pageX(double x) { return kMargin + x; }
double pageY(double y) { return kPaperHeight - kMargin - y; }

} // namespace

PdfPrinter::PdfPrinter(PdfFile& file) : file_(file)
{
    installFontSubstitutions();
    pagesId_ = file_.reserve();
    resourcesId_ = file_.reserve();
}

PdfPrinter::~PdfPrinter() = default;

int PdfPrinter::pageWidth() const { return kAreaWidth; }
int PdfPrinter::pageHeight() const { return kAreaHeight; }

bool PdfPrinter::canEmbed(const std::string& name)
{
    installFontSubstitutions();
    return PdfFont::embeddable(QRawFont::fromFont(QtPrinter::reportFont(name, 10)));
}

PdfFont& PdfPrinter::fontOf(const QRawFont& raw)
{
    const std::string key = (raw.familyName() + QChar('\t') + raw.styleName()).toStdString();
    auto& slot = fontsByFace_[key];
    if (!slot) {
        fonts_.push_back(std::make_unique<PdfFont>(raw, "F" + std::to_string(fonts_.size() + 1)));
        fontIds_.push_back(file_.reserve());
        slot = fonts_.back().get();
    }
    return *slot;
}

PdfPrinter::Family& PdfPrinter::family(const std::string& name)
{
    auto& slot = families_[name];
    if (!slot) {
        auto f = std::make_unique<Family>();
        f->font = QtPrinter::reportFont(name, 10);
        const QRawFont raw = QRawFont::fromFont(f->font);
        PdfFont& primary = fontOf(raw);
        if (!primary.embeddable())
            throw TolvError("PDFに埋め込めるTrueTypeフォントがありません: " + name + " (" + raw.familyName().toStdString() + ")");
        f->primary = &primary;
        slot = std::move(f);
    }
    return *slot;
}

void PdfPrinter::doFont(const std::string&, double) { face_ = nullptr; }

PdfPrinter::Face& PdfPrinter::face()
{
    if (face_) return *face_;
    const std::string key = fontName() + '\t' + std::to_string(fontSize());
    auto& slot = faces_[key];
    if (!slot) {
        slot = std::make_unique<Face>();
        slot->order = static_cast<int>(faces_.size());
        slot->family = &family(fontName());
        const QFont font = QtPrinter::reportFont(fontName(), fontSize());
        const QFontMetricsF metrics(font);
        const double a = metrics.ascent(), d = metrics.descent();
        slot->em = font.pixelSize();
        slot->ascent = slot->em * (a / std::max(1.0, a + d));
    }
    face_ = slot.get();
    return *face_;
}

std::pair<PdfFont*, std::uint16_t> PdfPrinter::codeOf(Family& f, char32_t c)
{
    auto known = f.codes.find(c);
    if (known != f.codes.end()) return known->second;
    std::pair<PdfFont*, std::uint16_t> found{f.primary, 0};
    if (const std::uint32_t glyph = f.primary->glyphOf(c)) {
        found.second = f.primary->code(c, glyph);
    } else {
        // The face Qt falls back to for the character, when it is one this writer embeds; else the
        // report face's own mark of a missing character.
        found.second = f.primary->code(c, 0);
        QTextLayout layout(QString::fromUcs4(&c, 1), f.font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QList<quint32> glyphs = run.glyphIndexes();
            if (glyphs.isEmpty() || glyphs.front() == 0 || !PdfFont::embeddable(run.rawFont())) continue;
            PdfFont& other = fontOf(run.rawFont());
            if (!other.embeddable()) continue;
            found = {&other, other.code(c, glyphs.front())};
            break;
        }
    }
    f.codes.emplace(c, found);
    return found;
}

const PdfPrinter::Shaped& PdfPrinter::shape(Family& f, std::string_view text)
{
    auto hit = f.shaped.find(std::string(text));
    if (hit != f.shaped.end()) return hit->second;
    Shaped& sh = f.shaped[std::string(text)];
    int columns = 0;
    for (char32_t c : toUtf32(text)) {
        const int cols = cp932Columns(c);
        if (c != U' ' && c != U'\u3000') {
            const auto [font, code] = codeOf(f, c);
            const double advance = font->advance(code);
            const double cell = cols * 500.0;
            // A glyph of another width than its cell is centred in it; the pitch stays.
            const double inset = std::abs(advance - cell) > 1000.0 / 64.0 ? (cell - advance) / 2.0 : 0.0;
            sh.push_back(Glyph{font, code, static_cast<float>(columns * 500.0 + inset), static_cast<float>(advance)});
        }
        columns += cols;
    }
    return sh;
}

void PdfPrinter::sheetBegin(int)
{
    writeSheet();
    sheetOpen_ = true;
}

void PdfPrinter::sheetText(int x, int y, std::string_view text)
{
    if (!sheetOpen_) return;
    Face& f = face();
    const Shaped& sh = shape(*f.family, text);
    if (!sh.empty()) held_.push_back(Held{&f, y, x, &sh});
}

void PdfPrinter::usePathWidth(double width)
{
    if (width == pathWidth_) return;
    if (pathOpen_) paths_ += "S\n";
    pathOpen_ = false;
    appendNumber(paths_, width);
    paths_ += " w\n";
    pathWidth_ = width;
}

void PdfPrinter::sheetLine(int x1, int y1, int x2, int y2, int width)
{
    if (!sheetOpen_) return;
    usePathWidth(QtPrinter::penWidth(width));
    appendNumber(paths_, pageX(x1));
    paths_ += ' ';
    appendNumber(paths_, pageY(y1));
    paths_ += " m ";
    appendNumber(paths_, pageX(x2));
    paths_ += ' ';
    appendNumber(paths_, pageY(y2));
    paths_ += " l\n";
    pathOpen_ = true;
}

void PdfPrinter::sheetBox(int x1, int y1, int x2, int y2, int width)
{
    if (!sheetOpen_) return;
    usePathWidth(QtPrinter::penWidth(width));
    appendNumber(paths_, pageX(std::min(x1, x2)));
    paths_ += ' ';
    appendNumber(paths_, pageY(std::max(y1, y2)));
    paths_ += ' ';
    appendInt(paths_, std::abs(x2 - x1));
    paths_ += ' ';
    appendInt(paths_, std::abs(y2 - y1));
    paths_ += " re\n";
    pathOpen_ = true;
}

void PdfPrinter::sheetEnd() { writeSheet(); }

void PdfPrinter::writeText()
{
    std::stable_sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
        if (a.face != b.face) return a.face->order < b.face->order;
        if (a.y != b.y) return a.y < b.y;
        return a.x < b.x;
    });
    content_ += "BT\n";
    double lineX = 0, lineY = 0;  // where the last row began (the text line matrix)
    const PdfFont* font = nullptr;
    double fontEm = 0;
    for (std::size_t i = 0; i < held_.size();) {
        const Face& f = *held_[i].face;
        const int rowY = held_[i].y;
        const double baseline = pageY(rowY + f.ascent);
        bool rowBegun = false, inArray = false, inString = false;
        double pen = 0;
        for (; i < held_.size() && held_[i].face == &f && held_[i].y == rowY; ++i) {
            const Held& item = held_[i];
            for (const Glyph& g : *item.shaped) {
                const double x = pageX(item.x + g.at * f.em / 1000.0);
                if (g.font != font || f.em != fontEm) {
                    if (inString) content_ += ')';
                    if (inArray) content_ += "]TJ\n";
                    inArray = inString = false;
                    content_ += '/';
                    content_ += g.font->resource();
                    content_ += ' ';
                    appendNumber(content_, f.em);
                    content_ += " Tf\n";
                    font = g.font;
                    fontEm = f.em;
                }
                if (!rowBegun) {
                    // Td moves by whole hundredths; what it lands on is where the row begins.
                    const double dx = std::round((x - lineX) * 100.0) / 100.0;
                    const double dy = std::round((baseline - lineY) * 100.0) / 100.0;
                    appendNumber(content_, dx);
                    content_ += ' ';
                    appendNumber(content_, dy);
                    content_ += " Td\n";
                    lineX += dx;
                    lineY += dy;
                    pen = lineX;
                    rowBegun = true;
                }
                if (!inArray) {
                    content_ += '[';
                    inArray = true;
                }
                const double shift = std::round((pen - x) * 1000.0 / f.em * 100.0) / 100.0;
                if (shift != 0.0) {
                    if (inString) content_ += ')';
                    inString = false;
                    appendNumber(content_, shift);
                    pen -= shift * f.em / 1000.0;
                }
                if (!inString) content_ += '(';
                inString = true;
                appendCode(content_, g.code);
                pen += g.advance * f.em / 1000.0;
            }
        }
        if (inString) content_ += ')';
        if (inArray) content_ += "]TJ\n";
    }
    content_ += "ET\n";
}

void PdfPrinter::writeSheet()
{
    if (!sheetOpen_) return;
    sheetOpen_ = false;
    content_.clear();
    // Units of a twip from the sheet's bottom-left corner; lines with square ends and mitred corners.
    if (!paths_.empty() || !held_.empty()) content_ = ".05 0 0 .05 0 0 cm 2 J 0 j\n";
    content_ += paths_;
    if (pathOpen_) content_ += "S\n";
    if (!held_.empty()) writeText();
    const int contents = file_.reserve(), page = file_.reserve();
    file_.stream(contents, "", content_, kPageLevel);
    std::string dict = "<</Type/Page/Parent ";
    appendInt(dict, pagesId_);
    dict += " 0 R/Contents ";
    appendInt(dict, contents);
    dict += " 0 R>>";
    file_.object(page, dict);
    pageIds_.push_back(page);
    held_.clear();
    paths_.clear();
    pathOpen_ = false;
    pathWidth_ = -1;
    // Texts met on earlier sheets stay shaped; a job of ever new texts is not kept whole.
    for (auto& [name, f] : families_)
        if (f->shaped.size() > 20000) f->shaped.clear();
}

void PdfPrinter::finish()
{
    writeSheet();
    // A job that drew nothing is one empty sheet, as on a printer.
    if (pageIds_.empty()) {
        sheetOpen_ = true;
        writeSheet();
    }
    for (std::size_t i = 0; i < fonts_.size(); ++i) fonts_[i]->write(file_, fontIds_[i]);

    std::string s = "<</Font<<";
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        s += '/';
        s += fonts_[i]->resource();
        s += ' ';
        appendInt(s, fontIds_[i]);
        s += " 0 R";
    }
    s += ">>>>";
    file_.object(resourcesId_, s);

    s = "<</Type/Pages/MediaBox[0 0 ";
    appendNumber(s, kPaperWidth / 20.0);
    s += ' ';
    appendNumber(s, kPaperHeight / 20.0);
    s += "]/Resources ";
    appendInt(s, resourcesId_);
    s += " 0 R/Count ";
    appendInt(s, static_cast<long long>(pageIds_.size()));
    s += "/Kids[";
    for (std::size_t i = 0; i < pageIds_.size(); ++i) {
        if (i) s += i % 10 ? " " : "\n";
        appendInt(s, pageIds_[i]);
        s += " 0 R";
    }
    s += "]>>";
    file_.object(pagesId_, s);

    const int catalog = file_.reserve(), info = file_.reserve();
    s = "<</Type/Catalog/Pages ";
    appendInt(s, pagesId_);
    s += " 0 R>>";
    file_.object(catalog, s);
    file_.object(info, "<</Creator(tolvsys)/Producer(tolvsys)>>");
    file_.finish(catalog, info);
}

void printPdf(const std::filesystem::path& file, const std::function<void(tolv::Printer&)>& draw)
{
    ensureGuiApplication();
    if (!PdfPrinter::canEmbed("ＭＳ 明朝")) {
        writePdf(file, draw);
        return;
    }
    PdfFile pdf(file, file.string());
    PdfPrinter printer(pdf);
    draw(printer);
    printer.finish();
}

} // namespace tolv::gui
