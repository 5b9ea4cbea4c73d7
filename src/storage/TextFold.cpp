#include "storage/TextFold.h"

#include "storage/CsvDelimiters.h"

#include "platform/Cp932.h"
#include "platform/Error.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>
#include <unordered_map>

namespace tolv {
namespace {

bool hasCp932Form(std::string_view utf8)
{
    try {
        (void)toCp932(utf8);
        return true;
    } catch (const TolvError&) {
        return false;
    }
}

std::unique_ptr<icu::Transliterator> transliterator(const char* rules)
{
    UErrorCode error = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(rules, UTRANS_FORWARD, error));
    enforce(U_SUCCESS(error) && made, std::string("ICU の文字変換を準備できません: ") + u_errorName(error));
    return made;
}

std::string transliterated(icu::Transliterator& t, const std::string& text)
{
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(text);
    t.transliterate(u);
    std::string out;
    u.toUTF8String(out);
    return out;
}

// The base letters: the decomposition without its combining marks (é -> e, ά -> α); where that
// has no CP932 form either, the Latin letters ICU gives it (ß -> ss, Ł -> L, – -> -).
// One transliterator of each per thread, made on first use (building their rules takes a while).
std::string foldOne(const std::string& character)
{
    thread_local std::unique_ptr<icu::Transliterator> base =
        transliterator("NFKD; [:Nonspacing Mark:] Remove; NFC");
    thread_local std::unique_ptr<icu::Transliterator> latin = transliterator("Any-Latin; Latin-ASCII");
    std::string out = transliterated(*base, character);
    if (out.empty() || !hasCp932Form(out)) out = transliterated(*latin, out.empty() ? character : out);
    // What the decomposition leaves without a CP932 form (emoji, scripts without a Latin form).
    std::string fitting;
    for (char32_t c : toUtf32(out)) {
        if (isControlCharacter(c)) continue;
        const std::string piece = fromUtf32(std::u32string_view(&c, 1));
        fitting += hasCp932Form(piece) ? piece : "?";
    }
    return fitting;
}

} // namespace

FoldedText foldToCp932(std::string_view utf8)
{
    FoldedText r;
    bool plain = true;
    for (unsigned char c : utf8)
        if (c < 0x20 || c >= 0x7F || c == ',' || c == '"') plain = false;
    if (plain) {
        r.text = std::string(utf8);
        return r;
    }
    // What each character becomes, worked out once per thread: a file repeats its letters.
    thread_local std::unordered_map<char32_t, std::pair<std::string, bool>> known;  // text, folded
    r.text.reserve(utf8.size());
    for (char32_t c : toUtf32(utf8)) {
        if (isControlCharacter(c)) {
            r.controls = true;
            continue;
        }
        if (c == ',' || c == '"') {
            // The delimiters of the comma-separated exports are stored full-width.
            r.text += fullWidthDelimiters(std::string(1, static_cast<char>(c)));
            r.folded = true;
            continue;
        }
        if (c < 0x80) {
            r.text += static_cast<char>(c);
            continue;
        }
        auto it = known.find(c);
        if (it == known.end()) {
            const std::string piece = fromUtf32(std::u32string_view(&c, 1));
            const bool fits = hasCp932Form(piece);
            it = known.emplace(c, std::pair{fits ? piece : fullWidthDelimiters(foldOne(piece)), !fits}).first;
        }
        r.folded = r.folded || it->second.second;
        r.text += it->second.first;
    }
    return r;
}

} // namespace tolv
