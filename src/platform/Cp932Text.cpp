#include "platform/Cp932Text.h"

#include "platform/Cp932.h"

namespace tolv {

int cp932Columns(char32_t c)
{
    if (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) return 1;
    if (c >= 0x100 && !(c >= 0x2000 && c <= 0x206F)) return 2;
    try {
        return static_cast<int>(cp932Length(fromUtf32(std::u32string_view(&c, 1))));
    } catch (...) {
        return 2;
    }
}

std::size_t Cp932Text::charBytesAt(std::size_t pos) const
{
    return isCp932LeadByte(static_cast<unsigned char>(bytes_[pos])) && pos + 1 < bytes_.size() ? 2 : 1;
}

std::size_t Cp932Text::byteOffsetOfChar(std::size_t index0) const
{
    std::size_t pos = 0;
    for (std::size_t c = 0; c < index0 && pos < bytes_.size(); ++c) pos += charBytesAt(pos);
    return pos;
}

std::size_t Cp932Text::charCount() const
{
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < bytes_.size(); pos += charBytesAt(pos)) ++n;
    return n;
}

std::vector<std::string_view> Cp932Text::characters() const
{
    std::vector<std::string_view> out;
    for (std::size_t pos = 0; pos < bytes_.size();) {
        const std::size_t n = charBytesAt(pos);
        out.push_back(bytes_.substr(pos, n));
        pos += n;
    }
    return out;
}

std::string_view Cp932Text::left(std::size_t count) const { return bytes_.substr(0, byteOffsetOfChar(count)); }

std::string_view Cp932Text::right(std::size_t count) const
{
    const std::size_t total = charCount();
    if (count >= total) return bytes_;
    return bytes_.substr(byteOffsetOfChar(total - count));
}

std::string_view Cp932Text::mid(std::size_t first, std::size_t count) const
{
    if (first == 0) first = 1;
    const std::size_t from = byteOffsetOfChar(first - 1);
    std::size_t to = from;
    for (std::size_t c = 0; c < count && to < bytes_.size(); ++c) to += charBytesAt(to);
    return bytes_.substr(from, to - from);
}

std::string_view Cp932Text::cutBytes(std::size_t width) const
{
    std::size_t pos = 0;
    while (pos < bytes_.size()) {
        const std::size_t n = charBytesAt(pos);
        if (pos + n > width) break;
        pos += n;
    }
    return bytes_.substr(0, pos);
}

} // namespace tolv
