#include "print/PdfFont.h"

#include "platform/Error.h"
#include "print/PdfFile.h"

#include <QChar>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tolv::gui {

namespace {

// Faces and the PDF keep their numbers big-endian.
unsigned u16(const QByteArray& t, qsizetype at)
{
    if (at < 0 || at + 2 > t.size()) return 0;
    return (unsigned(uchar(t[at])) << 8) | uchar(t[at + 1]);
}
int s16(const QByteArray& t, qsizetype at) { return static_cast<std::int16_t>(u16(t, at)); }
std::uint32_t u32(const QByteArray& t, qsizetype at) { return (std::uint32_t(u16(t, at)) << 16) | u16(t, at + 2); }

void put16(QByteArray& t, unsigned v)
{
    t.append(char((v >> 8) & 0xFF));
    t.append(char(v & 0xFF));
}
void put32(QByteArray& t, std::uint32_t v)
{
    put16(t, v >> 16);
    put16(t, v & 0xFFFF);
}
void set32(QByteArray& t, qsizetype at, std::uint32_t v)
{
    t[at] = char(v >> 24);
    t[at + 1] = char((v >> 16) & 0xFF);
    t[at + 2] = char((v >> 8) & 0xFF);
    t[at + 3] = char(v & 0xFF);
}

// The sum of a table's four-byte words, the last padded with zeros.
std::uint32_t checksum(const QByteArray& t)
{
    std::uint32_t sum = 0;
    for (qsizetype i = 0; i < t.size(); i += 4) {
        std::uint32_t word = 0;
        for (int k = 0; k < 4; ++k) word = (word << 8) | (i + k < t.size() ? uchar(t[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

void appendHex16(std::string& out, unsigned v)
{
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(v >> shift) & 0xF];
}

} // namespace

PdfFont::PdfFont(const QRawFont& raw, std::string resource) : raw_(raw), resource_(std::move(resource))
{
    head_ = raw_.fontTable("head");
    hhea_ = raw_.fontTable("hhea");
    maxp_ = raw_.fontTable("maxp");
    hmtx_ = raw_.fontTable("hmtx");
    loca_ = raw_.fontTable("loca");
    glyf_ = raw_.fontTable("glyf");
    cvt_ = raw_.fontTable("cvt ");
    fpgm_ = raw_.fontTable("fpgm");
    prep_ = raw_.fontTable("prep");
    os2_ = raw_.fontTable("OS/2");
    if (head_.size() < 54 || hhea_.size() < 36 || maxp_.size() < 6 || glyf_.isEmpty()) return;
    unitsPerEm_ = std::max(16u, u16(head_, 18));
    longLoca_ = s16(head_, 50) != 0;
    numGlyphs_ = static_cast<int>(u16(maxp_, 4));
    numberOfHMetrics_ = static_cast<int>(u16(hhea_, 34));
    embeddable_ = numGlyphs_ > 0 && numberOfHMetrics_ > 0 && hmtx_.size() >= 4 * numberOfHMetrics_ &&
                  loca_.size() >= (numGlyphs_ + 1) * (longLoca_ ? 4 : 2);
    advances_.push_back(embeddable_ ? advanceOfGlyph(0) : 1000.0);
}

bool PdfFont::embeddable(const QRawFont& raw)
{
    // Outlines in a 'glyf' table are found through 'loca'; a face of PostScript outlines has neither.
    return raw.isValid() && raw.fontTable("head").size() >= 54 && !raw.fontTable("loca").isEmpty();
}

std::uint32_t PdfFont::glyphOf(char32_t c) const
{
    QChar units[2];
    int n = 0;
    if (c > 0xFFFF) {
        units[0] = QChar::highSurrogate(c);
        units[1] = QChar::lowSurrogate(c);
        n = 2;
    } else {
        units[0] = QChar(char16_t(c));
        n = 1;
    }
    quint32 glyphs[2] = {0, 0};
    int count = 2;
    if (!raw_.glyphIndexesForChars(units, n, glyphs, &count) || count < 1) return 0;
    return glyphs[0] < static_cast<quint32>(numGlyphs_) ? glyphs[0] : 0;
}

double PdfFont::advanceOfGlyph(std::uint32_t glyph) const
{
    const int metric = std::min<int>(static_cast<int>(glyph), numberOfHMetrics_ - 1);
    return u16(hmtx_, 4 * metric) * 1000.0 / unitsPerEm_;
}

std::uint16_t PdfFont::code(char32_t c, std::uint32_t glyph)
{
    auto known = codes_.find(c);
    if (known != codes_.end()) return known->second;
    if (chars_.size() > 0xFFFF) throw TolvError("PDFに書ける文字の種類が多すぎます");
    const auto code = static_cast<std::uint16_t>(chars_.size());
    chars_.push_back(c);
    glyphs_.push_back(glyph);
    advances_.push_back(advanceOfGlyph(glyph));
    codes_.emplace(c, code);
    return code;
}

std::vector<std::uint32_t> PdfFont::glyphsKept() const
{
    std::vector<bool> kept(static_cast<std::size_t>(numGlyphs_), false);
    std::vector<std::uint32_t> todo(glyphs_.begin(), glyphs_.end());
    std::vector<std::uint32_t> out;
    auto offset = [&](std::uint32_t g) -> qsizetype {
        return longLoca_ ? qsizetype(u32(loca_, 4 * qsizetype(g))) : qsizetype(u16(loca_, 2 * qsizetype(g))) * 2;
    };
    while (!todo.empty()) {
        const std::uint32_t g = todo.back();
        todo.pop_back();
        if (g >= kept.size() || kept[g]) continue;
        kept[g] = true;
        out.push_back(g);
        // A composite glyph is drawn from other glyphs: they stay too.
        qsizetype at = offset(g);
        const qsizetype end = std::min<qsizetype>(offset(g + 1), glyf_.size());
        if (end - at < 10 || s16(glyf_, at) >= 0) continue;
        at += 10;
        for (;;) {
            if (at + 4 > end) break;
            const unsigned flags = u16(glyf_, at);
            todo.push_back(u16(glyf_, at + 2));
            at += 4 + ((flags & 0x0001) ? 4 : 2);
            if (flags & 0x0008) at += 2;
            else if (flags & 0x0040) at += 4;
            else if (flags & 0x0080) at += 8;
            if (!(flags & 0x0020)) break;
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

QByteArray PdfFont::program(const std::vector<std::uint32_t>& kept) const
{
    auto offset = [&](int g) -> qsizetype {
        return longLoca_ ? qsizetype(u32(loca_, 4 * qsizetype(g))) : qsizetype(u16(loca_, 2 * qsizetype(g))) * 2;
    };
    QByteArray glyf, loca;
    std::size_t next = 0;
    for (int g = 0; g < numGlyphs_; ++g) {
        longLoca_ ? put32(loca, std::uint32_t(glyf.size())) : put16(loca, unsigned(glyf.size() / 2));
        if (next < kept.size() && kept[next] == std::uint32_t(g)) {
            ++next;
            const qsizetype from = std::min<qsizetype>(offset(g), glyf_.size());
            const qsizetype to = std::min<qsizetype>(std::max(from, offset(g + 1)), glyf_.size());
            glyf.append(glyf_.constData() + from, to - from);
            while (glyf.size() % (longLoca_ ? 4 : 2)) glyf.append('\0');
        }
    }
    longLoca_ ? put32(loca, std::uint32_t(glyf.size())) : put16(loca, unsigned(glyf.size() / 2));

    QByteArray head = head_;
    set32(head, 8, 0); // checkSumAdjustment, set below
    struct Table {
        const char* tag;
        const QByteArray* data;
    };
    std::vector<Table> tables = {{"cvt ", &cvt_},  {"fpgm", &fpgm_}, {"glyf", &glyf},  {"head", &head}, {"hhea", &hhea_},
                                 {"hmtx", &hmtx_}, {"loca", &loca},  {"maxp", &maxp_}, {"prep", &prep_}};
    tables.erase(std::remove_if(tables.begin(), tables.end(), [](const Table& t) { return t.data->isEmpty(); }), tables.end());
    const unsigned count = static_cast<unsigned>(tables.size());
    unsigned power = 1, log2 = 0;
    while (power * 2 <= count) power *= 2, ++log2;
    QByteArray font;
    put32(font, 0x00010000);
    put16(font, count);
    put16(font, power * 16);
    put16(font, log2);
    put16(font, count * 16 - power * 16);
    std::uint32_t at = 12 + 16 * count;
    qsizetype headAt = 0;
    for (const Table& t : tables) {
        font.append(t.tag, 4);
        put32(font, checksum(*t.data));
        put32(font, at);
        put32(font, std::uint32_t(t.data->size()));
        if (t.data == &head) headAt = at;
        at += (std::uint32_t(t.data->size()) + 3) & ~3u;
    }
    for (const Table& t : tables) {
        font.append(*t.data);
        while (font.size() % 4) font.append('\0');
    }
    set32(font, headAt + 8, 0xB1B0AFBAu - checksum(font));
    return font;
}

std::string PdfFont::postScriptName() const
{
    // The 'name' table's record 6; its Windows form is UTF-16, its Macintosh form bytes.
    const QByteArray t = raw_.fontTable("name");
    const unsigned count = u16(t, 2), strings = u16(t, 4);
    std::string found;
    for (unsigned i = 0; i < count; ++i) {
        const qsizetype r = 6 + 12 * qsizetype(i);
        if (u16(t, r + 6) != 6) continue;
        const unsigned platform = u16(t, r), length = u16(t, r + 8);
        const qsizetype at = qsizetype(strings) + u16(t, r + 10);
        if (at + length > t.size()) continue;
        std::string name;
        if (platform == 3 || platform == 0) {
            for (unsigned k = 0; k + 1 < length; k += 2) name += char(u16(t, at + k) & 0x7F);
        } else {
            name.assign(t.constData() + at, length);
        }
        if (!name.empty()) return name;
    }
    return raw_.familyName().toStdString();
}

std::string PdfFont::baseName(const std::vector<std::uint32_t>& kept) const
{
    // A subset is named by a tag of six capitals before the face's name; the tag differs with the
    // glyphs it holds.
    std::uint64_t hash = 1469598103934665603ull;
    for (std::uint32_t g : kept) hash = (hash ^ g) * 1099511628211ull;
    std::string name;
    for (int i = 0; i < 6; ++i, hash /= 26) name += char('A' + hash % 26);
    name += '+';
    std::string face;
    for (char c : postScriptName())
        if (c > ' ' && c < 0x7F && !std::strchr("()<>[]{}/%#", c)) face += c;
    if (face.empty()) face = "Face";
    return name + face;
}

void PdfFont::write(PdfFile& pdf, int id) const
{
    const std::vector<std::uint32_t> kept = glyphsKept();
    const std::string name = baseName(kept);
    const int descendant = pdf.reserve(), descriptor = pdf.reserve(), file = pdf.reserve();
    const int toGlyph = pdf.reserve(), toUnicode = pdf.reserve();
    auto units = [&](int v) { return std::lround(v * 1000.0 / unitsPerEm_); };

    std::string s = "<</Type/Font/Subtype/Type0/BaseFont/" + name + "/Encoding/Identity-H/DescendantFonts[";
    appendInt(s, descendant);
    s += " 0 R]/ToUnicode ";
    appendInt(s, toUnicode);
    s += " 0 R>>";
    pdf.object(id, s);

    s = "<</Type/Font/Subtype/CIDFontType2/BaseFont/" + name +
        "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor ";
    appendInt(s, descriptor);
    s += " 0 R/CIDToGIDMap ";
    appendInt(s, toGlyph);
    s += " 0 R/DW 1000/W[0[";
    for (std::size_t c = 0; c < advances_.size(); ++c) {
        if (c) s += ' ';
        appendNumber(s, advances_[c]);
    }
    s += "]]>>";
    pdf.object(descendant, s);

    const int ascent = s16(hhea_, 4), descent = s16(hhea_, 6);
    const int capHeight = os2_.size() >= 90 && u16(os2_, 0) >= 2 ? s16(os2_, 88) : ascent;
    s = "<</Type/FontDescriptor/FontName/" + name + "/Flags 4/FontBBox[";
    for (int at : {36, 38, 40, 42}) {
        appendInt(s, units(s16(head_, at)));
        s += at == 42 ? "]" : " ";
    }
    s += "/ItalicAngle 0/Ascent ";
    appendInt(s, units(ascent));
    s += "/Descent ";
    appendInt(s, units(descent));
    s += "/CapHeight ";
    appendInt(s, units(capHeight));
    s += "/StemV 80/FontFile2 ";
    appendInt(s, file);
    s += " 0 R>>";
    pdf.object(descriptor, s);

    const QByteArray program = this->program(kept);
    s = "/Length1 ";
    appendInt(s, program.size());
    pdf.stream(file, s, std::string_view(program.constData(), std::size_t(program.size())), 6);

    std::string map;
    map.reserve(glyphs_.size() * 2);
    for (std::uint32_t g : glyphs_) {
        map += char((g >> 8) & 0xFF);
        map += char(g & 0xFF);
    }
    pdf.stream(toGlyph, "", map, 6);

    std::string cmap = "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                       "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
                       "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
                       "1 begincodespacerange\n<0000><FFFF>\nendcodespacerange\n";
    for (std::size_t first = 1; first < chars_.size(); first += 100) {
        const std::size_t last = std::min(chars_.size(), first + 100);
        appendInt(cmap, static_cast<long long>(last - first));
        cmap += " beginbfchar\n";
        for (std::size_t c = first; c < last; ++c) {
            cmap += '<';
            appendHex16(cmap, unsigned(c));
            cmap += "><";
            const char32_t u = chars_[c];
            if (u > 0xFFFF) {
                appendHex16(cmap, QChar::highSurrogate(u));
                appendHex16(cmap, QChar::lowSurrogate(u));
            } else {
                appendHex16(cmap, unsigned(u));
            }
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
    pdf.stream(toUnicode, "", cmap, 6);
}

} // namespace tolv::gui
