#pragma once
// Record fields as the transfer files show them: fixed-width fields decoded, cut by characters and
// padded.
#include "storage/FixedRecord.h"

#include <cstddef>
#include <string>

namespace tolv::exchange {

// A fixed-width text field at its full width: NUL padding and other control characters become
// blanks (files never carry NUL bytes), then the CP932 bytes are decoded.
template <std::size_t N> std::string fieldText(const FixedRecord<N>& r, std::size_t off, std::size_t width)
{
    std::string bytes(r.raw(off, width));
    for (char& c : bytes)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return fromCp932(bytes);
}
template <std::size_t N> std::string fieldText(const FixedRecord<N>& r, Field f) { return fieldText(r, f.offset, f.size()); }

// Characters first .. first + count - 1 (1-based, as the layouts count them); fewer at the end.
std::string midChars(const std::string& utf8, std::size_t first, std::size_t count);
inline std::string midChars(const std::string& utf8, CharPart part) { return midChars(utf8, part.first, part.count); }
std::size_t charLength(const std::string& utf8);
// True when every character is well-formed UTF-8 in its shortest form (as decoded CP932 always is).
bool isWellFormedUtf8(const std::string& utf8);
// Trailing half-width blanks removed.
std::string rtrimBlanks(std::string text);
// Control characters blanked, leading and trailing blanks removed (the text cleaning of mode 0).
std::string cleaned(const std::string& text);
// Every occurrence of `from` replaced by `to` (single characters of ASCII).
std::string replaceChar(std::string text, char from, char to);
// `value` right-aligned with blanks (or zeros) in `width` characters; longer values stay whole.
std::string padLeft(const std::string& value, std::size_t width, char pad = ' ');

} // namespace tolv::exchange
