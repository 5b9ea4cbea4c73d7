#pragma once
// CP932 bytes seen as characters: a two-byte character counts as one, a lead byte cut off at the
// end as one. Characters are numbered from 1, as the report and export layouts count them; cuts by
// bytes never split a character.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

// Columns of one character on a fixed pitch: its CP932 bytes, two for a character CP932 lacks.
int cp932Columns(char32_t c);

class Cp932Text {
public:
    explicit Cp932Text(std::string_view bytes) : bytes_(bytes) {}

    std::string_view bytes() const { return bytes_; }
    // Bytes of the character that starts at byte `pos` (1 or 2).
    std::size_t charBytesAt(std::size_t pos) const;
    std::size_t charCount() const;
    std::vector<std::string_view> characters() const;

    // The first / last `count` characters.
    std::string_view left(std::size_t count) const;
    std::string_view right(std::size_t count) const;
    // `count` characters from character `first` (1-based); fewer at the end.
    std::string_view mid(std::size_t first, std::size_t count) const;
    // At most `width` bytes from the start, ending on a character boundary.
    std::string_view cutBytes(std::size_t width) const;

private:
    std::size_t byteOffsetOfChar(std::size_t index0) const;

    std::string_view bytes_;
};

} // namespace tolv
