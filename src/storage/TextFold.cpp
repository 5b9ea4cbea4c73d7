#include "storage/TextFold.h"

#include "storage/CsvDelimiters.h"

#include "platform/Cp932.h"
#include "platform/Error.h"

#include "platform/TextForms.h"

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

// The base letters: the decomposition without its combining marks (é -> e, ά -> α); where that
// has no CP932 form either, its Latin letters (ß -> ss, Ł -> L, – -> -).
std::string foldOne(const std::string& character)
{
    std::string out = baseLetters(character);
    if (out.empty() || !hasCp932Form(out)) out = latinLetters(out.empty() ? character : out);
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
    thread_local std::unordered_map<char32_t, std::pair<std::string, bool>> known; // text, folded
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
