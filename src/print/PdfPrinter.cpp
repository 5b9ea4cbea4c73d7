#include "print/PdfPrinter.h"

#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "platform/Error.h"
#include "print/Fonts.h"
#include "print/PdfFile.h"
#include "print/PdfFont.h"
#include "print/PdfWriter.h"
#include "print/QtPrinter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <charconv>
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
            out += "\\r"; // a bare carriage return would be read as a line feed
        } else {
            out += byte;
        }
    }
}

// Content is drawn in twips from the printable area's top-left, y upwards (a sheet's y negated):
// the one transformation of a sheet puts that origin a sixth of an inch inside the sheet's top-left
// corner, so every position of a line or box is an integer.
std::string sheetTransform()
{
    // to_chars, not printf: the windows run under the user's locale, whose decimal mark may be a comma.
    std::string s = ".05 0 0 .05 ";
    char buf[32];
    for (const double v : {kMargin / 20.0, (kPaperHeight - kMargin) / 20.0}) {
        s.append(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6).ptr);
        s += ' ';
    }
    return s + "cm 2 J 0 j\n";
}

// The characters of a UTF-8 text; false (and `out` unusable) on a malformed sequence.
bool decodeUtf8(std::string_view text, std::u32string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        const std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        if (n == 0 || i + n > text.size()) return false;
        char32_t c = b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        out.push_back(c);
        i += n;
    }
    return true;
}

} // namespace

PdfPrinter::PdfPrinter(PdfFile& file) : file_(file)
{
    installFontSubstitutions();
    pagesId_ = file_.reserve();
    resourcesId_ = file_.reserve();
    fontDictId_ = file_.reserve();
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
    // Asked once per character of a family (shapeOf keeps the answer).
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
    return found;
}

const PdfPrinter::CharShape& PdfPrinter::shapeOf(Family& f, char32_t c)
{
    CharShape* slot;
    if (c < 0x10000) {
        if (f.bmp.empty()) f.bmp.resize(0x10000);
        slot = &f.bmp[c];
    } else {
        slot = &f.beyond[c];
    }
    if (slot->columns) return *slot;
    CharShape sh;
    const int cols = cp932Columns(c);
    sh.columns = static_cast<std::uint8_t>(std::clamp(cols, 1, 255));
    if (c == U' ' || c == U'\u3000') {
        sh.blank = true;
    } else {
        const auto [font, code] = codeOf(f, c);
        const double advance = font->advance(code);
        const double cell = cols * 500.0;
        // A glyph of another width than its cell is centred in it; the pitch stays.
        sh.font = font;
        sh.code = code;
        sh.advance = static_cast<float>(advance);
        sh.inset = static_cast<float>(std::abs(advance - cell) > 1000.0 / 64.0 ? (cell - advance) / 2.0 : 0.0);
    }
    *slot = sh;
    return *slot;
}

void PdfPrinter::addText(Canvas& canvas, const Face& f, int x, int y, std::string_view text)
{
    std::u32string& chars = chars_;
    if (!decodeUtf8(text, chars)) chars = toUtf32(text);
    const auto first = static_cast<std::uint32_t>(canvas.glyphs.size());
    int columns = 0;
    for (const char32_t c : chars) {
        const CharShape& sh = shapeOf(*f.family, c);
        if (!sh.blank)
            canvas.glyphs.push_back(Glyph{sh.font, sh.code, static_cast<float>(columns * 500.0 + sh.inset), sh.advance});
        columns += sh.columns;
    }
    const auto count = static_cast<std::uint32_t>(canvas.glyphs.size()) - first;
    if (count) canvas.held.push_back(Held{&f, y, x, first, count});
}

void PdfPrinter::Canvas::clear()
{
    held.clear();
    glyphs.clear();
    paths.clear();
    pathWidth = -1;
    pathOpen = false;
    forms.clear();
}

void PdfPrinter::sheetBegin(int)
{
    // A fixed part running onto a new sheet is drawn as it is, on the sheets it lands on.
    if (recording_ && !marks_.empty()) {
        drawMarks();
        recording_ = false;
    }
    writeSheet();
    sheetOpen_ = true;
}

void PdfPrinter::sheetText(int x, int y, std::string_view text)
{
    if (!sheetOpen_) return;
    Face& f = face();
    if (recording_) {
        marks_.push_back(Mark{&f, false, x, y, 0, 0, 0, std::string(text)});
        return;
    }
    addText(sheet_, f, x, y, text);
}

void PdfPrinter::usePathWidth(Canvas& canvas, double width)
{
    if (width == canvas.pathWidth) return;
    if (canvas.pathOpen) canvas.paths += "S\n";
    canvas.pathOpen = false;
    appendNumber(canvas.paths, width);
    canvas.paths += " w\n";
    canvas.pathWidth = width;
}

void PdfPrinter::addLine(Canvas& canvas, int x1, int y1, int x2, int y2, int width)
{
    usePathWidth(canvas, QtPrinter::penWidth(width));
    std::string& p = canvas.paths;
    appendInt(p, x1);
    p += ' ';
    appendInt(p, -y1);
    p += " m ";
    appendInt(p, x2);
    p += ' ';
    appendInt(p, -y2);
    p += " l\n";
    canvas.pathOpen = true;
}

void PdfPrinter::addBox(Canvas& canvas, int x1, int y1, int x2, int y2, int width)
{
    usePathWidth(canvas, QtPrinter::penWidth(width));
    std::string& p = canvas.paths;
    appendInt(p, std::min(x1, x2));
    p += ' ';
    appendInt(p, -std::max(y1, y2));
    p += ' ';
    appendInt(p, std::abs(x2 - x1));
    p += ' ';
    appendInt(p, std::abs(y2 - y1));
    p += " re\n";
    canvas.pathOpen = true;
}

void PdfPrinter::sheetLine(int x1, int y1, int x2, int y2, int width)
{
    if (!sheetOpen_) return;
    if (recording_) {
        marks_.push_back(Mark{nullptr, false, x1, y1, x2, y2, width, {}});
        return;
    }
    addLine(sheet_, x1, y1, x2, y2, width);
}

void PdfPrinter::sheetBox(int x1, int y1, int x2, int y2, int width)
{
    if (!sheetOpen_) return;
    if (recording_) {
        marks_.push_back(Mark{nullptr, true, x1, y1, x2, y2, width, {}});
        return;
    }
    addBox(sheet_, x1, y1, x2, y2, width);
}

void PdfPrinter::sheetEnd() { writeSheet(); }

void PdfPrinter::drawMarks()
{
    for (const Mark& m : marks_) {
        if (m.face) addText(sheet_, *m.face, m.x1, m.y1, m.text);
        else if (m.box) addBox(sheet_, m.x1, m.y1, m.x2, m.y2, m.width);
        else addLine(sheet_, m.x1, m.y1, m.x2, m.y2, m.width);
    }
    marks_.clear();
}

void PdfPrinter::doBeginFixedPart(std::string_view key)
{
    if (recording_) return; // a part inside a part is the outer one's
    recording_ = true;
    recordKey_.assign(key);
    marks_.clear();
}

void PdfPrinter::doEndFixedPart()
{
    if (!recording_) return;
    recording_ = false;
    if (!sheetOpen_ || marks_.empty()) {
        marks_.clear();
        return;
    }
    auto known = forms_.find(recordKey_);
    if (known == forms_.end()) {
        // The first time: the part becomes the document's form of that name.
        Form form;
        form.id = file_.reserve();
        form.resource = "X" + std::to_string(forms_.size() + 1);
        Canvas canvas;
        for (const Mark& m : marks_) {
            if (m.face) addText(canvas, *m.face, m.x1, m.y1, m.text);
            else if (m.box) addBox(canvas, m.x1, m.y1, m.x2, m.y2, m.width);
            else addLine(canvas, m.x1, m.y1, m.x2, m.y2, m.width);
        }
        std::string content = "2 J 0 j\n";
        render(canvas, content);
        std::string entries = "/Type/XObject/Subtype/Form/BBox[";
        appendInt(entries, -kMargin);
        entries += ' ';
        appendInt(entries, -static_cast<long long>(std::ceil(kPaperHeight)));
        entries += ' ';
        appendInt(entries, static_cast<long long>(std::ceil(kPaperWidth)));
        entries += ' ';
        appendInt(entries, kMargin);
        entries += "]/Resources<</Font ";
        appendInt(entries, fontDictId_);
        entries += " 0 R>>";
        file_.stream(form.id, entries, content, kPageLevel);
        form.marks = std::move(marks_);
        known = forms_.emplace(recordKey_, std::move(form)).first;
    } else if (known->second.marks != marks_) {
        // Drawn otherwise than the form: drawn as it is.
        drawMarks();
        return;
    }
    sheet_.forms.push_back(&known->second.resource);
    marks_.clear();
}

void PdfPrinter::writeText(Canvas& canvas, std::string& out)
{
    std::vector<Held>& held = canvas.held;
    std::stable_sort(held.begin(), held.end(), [](const Held& a, const Held& b) {
        if (a.face != b.face) return a.face->order < b.face->order;
        if (a.y != b.y) return a.y < b.y;
        return a.x < b.x;
    });
    out += "BT\n";
    double lineX = 0, lineY = 0; // where the last row began (the text line matrix)
    const PdfFont* font = nullptr;
    double fontEm = 0;
    for (std::size_t i = 0; i < held.size();) {
        const Face& f = *held[i].face;
        const int rowY = held[i].y;
        const double baseline = -(rowY + f.ascent);
        const double perUnit = f.em / 1000.0;
        bool rowBegun = false, inArray = false, inString = false;
        double pen = 0;
        for (; i < held.size() && held[i].face == &f && held[i].y == rowY; ++i) {
            const Held& item = held[i];
            for (std::uint32_t k = item.first; k < item.first + item.count; ++k) {
                const Glyph& g = canvas.glyphs[k];
                const double x = item.x + g.at * perUnit;
                if (g.font != font || f.em != fontEm) {
                    if (inString) out += ')';
                    if (inArray) out += "]TJ\n";
                    inArray = inString = false;
                    out += '/';
                    out += g.font->resource();
                    out += ' ';
                    appendNumber(out, f.em);
                    out += " Tf\n";
                    font = g.font;
                    fontEm = f.em;
                }
                if (!rowBegun) {
                    // Td moves by whole hundredths; what it lands on is where the row begins.
                    const double dx = std::round((x - lineX) * 100.0) / 100.0;
                    const double dy = std::round((baseline - lineY) * 100.0) / 100.0;
                    appendNumber(out, dx);
                    out += ' ';
                    appendNumber(out, dy);
                    out += " Td\n";
                    lineX += dx;
                    lineY += dy;
                    pen = lineX;
                    rowBegun = true;
                }
                if (!inArray) {
                    out += '[';
                    inArray = true;
                }
                const double shift = std::round((pen - x) / perUnit * 100.0) / 100.0;
                if (shift != 0.0) {
                    if (inString) out += ')';
                    inString = false;
                    appendNumber(out, shift);
                    pen -= shift * perUnit;
                }
                if (!inString) out += '(';
                inString = true;
                appendCode(out, g.code);
                pen += g.advance * perUnit;
            }
        }
        if (inString) out += ')';
        if (inArray) out += "]TJ\n";
    }
    out += "ET\n";
}

void PdfPrinter::render(Canvas& canvas, std::string& out)
{
    out += canvas.paths;
    if (canvas.pathOpen) out += "S\n";
    if (!canvas.held.empty()) writeText(canvas, out);
}

void PdfPrinter::writeSheet()
{
    if (!sheetOpen_) return;
    sheetOpen_ = false;
    content_.clear();
    if (!sheet_.paths.empty() || !sheet_.held.empty() || !sheet_.forms.empty()) {
        static const std::string transform = sheetTransform();
        content_ = transform;
    }
    for (const std::string* form : sheet_.forms) {
        content_ += '/';
        content_ += *form;
        content_ += " Do\n";
    }
    render(sheet_, content_);
    const int contents = file_.reserve(), page = file_.reserve();
    file_.stream(contents, "", content_, kPageLevel);
    std::string dict = "<</Type/Page/Parent ";
    appendInt(dict, pagesId_);
    dict += " 0 R/Contents ";
    appendInt(dict, contents);
    dict += " 0 R>>";
    file_.object(page, dict);
    pageIds_.push_back(page);
    sheet_.clear();
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

    std::string s = "<<";
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        s += '/';
        s += fonts_[i]->resource();
        s += ' ';
        appendInt(s, fontIds_[i]);
        s += " 0 R";
    }
    s += ">>";
    file_.object(fontDictId_, s);
    s = "<</Font ";
    appendInt(s, fontDictId_);
    s += " 0 R";
    if (!forms_.empty()) {
        // By resource name, so the file is the same from run to run.
        std::vector<const Form*> forms;
        for (const auto& [key, form] : forms_) forms.push_back(&form);
        std::sort(forms.begin(), forms.end(), [](const Form* a, const Form* b) { return a->id < b->id; });
        s += "/XObject<<";
        for (const Form* form : forms) {
            s += '/';
            s += form->resource;
            s += ' ';
            appendInt(s, form->id);
            s += " 0 R";
        }
        s += ">>";
    }
    s += ">>";
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
