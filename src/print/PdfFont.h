#pragma once
// A TrueType face as the command line's PDF writer embeds it: once per document, as a composite
// font (Type0, Identity-H, CIDFontType2) holding only the glyphs the document draws.
//
// Every character drawn gets a two-byte code of its own, in the order first drawn, and the code
// names the face's glyph for it (from the face's cmap) through the font's CIDToGIDMap. A code per
// character rather than per glyph keeps the text exact for a reader that extracts it: the face
// draws some characters with one glyph ("～" and "〜", "･" and "·"), and the ToUnicode map names
// each code's own character. Widths (W) are the face's advances (hmtx).
//
// The face's tables are read through QRawFont (the font Qt finds for the report's font name). The
// embedded program is the face with the glyphs no code uses emptied (glyph ids kept; components of
// a composite glyph kept with it): the outlines of a few thousand characters, not of the whole face.
#include <QByteArray>
#include <QRawFont>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace tolv::gui {

class PdfFile;

class PdfFont {
public:
    // `resource` is the name pages use for it ("F1").
    PdfFont(const QRawFont& raw, std::string resource);

    // Whether the face has TrueType outlines this writer can embed.
    bool embeddable() const { return embeddable_; }
    // The same, asked before reading the face's outlines.
    static bool embeddable(const QRawFont& raw);
    const std::string& resource() const { return resource_; }

    // The face's glyph for a character, 0 when it has none.
    std::uint32_t glyphOf(char32_t c) const;
    // The code drawing `c` with `glyph` of this face (the first glyph given for `c` stays).
    std::uint16_t code(char32_t c, std::uint32_t glyph);
    // Advance of a code's glyph in thousandths of the em.
    double advance(std::uint16_t code) const { return advances_[code]; }

    // Writes the font's objects as object `id` (the Type0 font pages name) and those it refers to.
    // Called once, when every page is written.
    void write(PdfFile& pdf, int id) const;

private:
    double advanceOfGlyph(std::uint32_t glyph) const;
    std::vector<std::uint32_t> glyphsKept() const;
    QByteArray program(const std::vector<std::uint32_t>& kept) const;
    std::string postScriptName() const;
    std::string baseName(const std::vector<std::uint32_t>& kept) const;

    QRawFont raw_;
    std::string resource_;
    bool embeddable_ = false;
    QByteArray head_, hhea_, maxp_, hmtx_, loca_, glyf_, cvt_, fpgm_, prep_, os2_;
    int unitsPerEm_ = 1000;
    int numGlyphs_ = 0;
    int numberOfHMetrics_ = 0;
    bool longLoca_ = false;

    std::unordered_map<char32_t, std::uint16_t> codes_;
    std::vector<char32_t> chars_{U'\0'}; // by code; code 0 is the missing glyph
    std::vector<std::uint32_t> glyphs_{0};
    std::vector<double> advances_;
};

} // namespace tolv::gui
