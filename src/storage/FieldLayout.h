#pragma once
// Where a field of a fixed-length record lies. Every record kind lists its fields once, in order,
// and proves at compile time that they cover the record exactly: no gap, no overlap, no byte left
// over. Moving a field or changing its width is then one line, and a mistake does not compile.
#include "platform/Cp932Text.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tolv {

// `count` fields of `width` bytes each, one after the other from `offset` (count 1: a plain field).
struct Field {
    std::size_t offset = 0;
    std::size_t width = 0;
    std::size_t count = 1;

    constexpr std::size_t size() const { return width * count; }
    constexpr std::size_t end() const { return offset + size(); }
    // The i-th (0-based) element of a repeated field, as a plain field.
    constexpr Field at(std::size_t i) const { return Field{offset + i * width, width, 1}; }
    // The field that follows this one directly.
    constexpr Field next(std::size_t nextWidth, std::size_t nextCount = 1) const { return Field{end(), nextWidth, nextCount}; }
};

// A part of a text field counted in characters (a double-byte character is one), numbered from 1
// as the layouts count them.
struct CharPart {
    std::size_t first = 1;
    std::size_t count = 0;

    // The part of a field's CP932 bytes, as bytes.
    std::string of(std::string_view cp932) const { return std::string(Cp932Text(cp932).mid(first, count)); }
};

// True when the fields, in the order given, start at 0, follow one another without gap or overlap,
// and end at `recordLength`.
template <std::size_t K> constexpr bool tilesRecord(const std::array<Field, K>& fields, std::size_t recordLength)
{
    std::size_t pos = 0;
    for (const Field& f : fields) {
        if (f.offset != pos || f.width == 0 || f.count == 0) return false;
        pos = f.end();
    }
    return pos == recordLength;
}

} // namespace tolv
