#pragma once
// Text from the world (Lenex files of meet managers abroad, other programs) made to fit the entry
// file's CP932 fields without refusing it: a character without CP932 form is folded to its base
// letters (Unicode compatibility decomposition without combining marks, then ICU's Latin-ASCII
// transliteration: ä -> a, ß -> ss, Ł -> L, Æ -> AE, dashes -> "-", curly quotes -> ' and ");
// what still has no form becomes "?". Control characters (C0 including NUL, DEL, C1) are dropped.
// The half-width comma and double quote, which delimit the comma-separated exports, become "，" and
// "＂" (and count as folded).
#include <string>
#include <string_view>

namespace tolv {

struct FoldedText {
    std::string text;      // UTF-8, every character with a CP932 form
    bool folded = false;   // a character was folded or replaced
    bool controls = false; // a control character was dropped
};

FoldedText foldToCp932(std::string_view utf8);

// True for the code points never stored: U+0000..U+001F, U+007F, U+0080..U+009F.
constexpr bool isControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

} // namespace tolv
