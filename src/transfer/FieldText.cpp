#include "transfer/FieldText.h"

#include "platform/Utf8.h"
#include "storage/TextUtil.h"

#include <algorithm>
#include <vector>

namespace tolv::exchange {

namespace {

// Length of the well-formed UTF-8 character at p (one that toUtf32 and fromUtf32 give back byte for
// byte: no overlong form, no stray or missing continuation byte), 0 when it is not one.
std::size_t wellFormedLength(const unsigned char* p, std::size_t left)
{
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    auto cont = [&](std::size_t i, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
        return i < left && p[i] >= lo && p[i] <= hi;
    };
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) return cont(1, c == 0xE0 ? 0xA0 : 0x80) && cont(2) ? 3 : 0;
    if (c >= 0xF0 && c <= 0xF4) return cont(1, c == 0xF0 ? 0x90 : 0x80, c == 0xF4 ? 0x8F : 0xBF) && cont(2) && cont(3) ? 4 : 0;
    return 0;
}

// Byte offsets of the characters of a well-formed text (and its end); false when it is not one.
bool characterStarts(const std::string& utf8, std::vector<std::size_t>& starts)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    starts.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = wellFormedLength(p + i, utf8.size() - i);
        if (n == 0) return false;
        starts.push_back(i);
        i += n;
    }
    starts.push_back(utf8.size());
    return true;
}

} // namespace

std::string midChars(const std::string& utf8, std::size_t first, std::size_t count)
{
    // Well-formed text (all that decoding CP932 gives) is cut by bytes; anything else by code points.
    thread_local std::vector<std::size_t> starts;
    if (characterStarts(utf8, starts)) {
        const std::size_t chars = starts.size() - 1;
        if (first < 1 || first > chars) return std::string();
        const std::size_t last = std::min(chars, first - 1 + std::min(count, chars));
        return utf8.substr(starts[first - 1], starts[last] - starts[first - 1]);
    }
    std::u32string chars = toUtf32(utf8);
    if (first < 1 || first > chars.size()) return std::string();
    return fromUtf32(std::u32string_view(chars).substr(first - 1, count));
}

std::size_t charLength(const std::string& utf8) { return toUtf32(utf8).size(); }

bool isWellFormedUtf8(const std::string& utf8) { return isValidUtf8(utf8); }

std::string rtrimBlanks(std::string text)
{
    std::size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

std::string cleaned(const std::string& text) { return cleanedText(text, 0); }

std::string replaceChar(std::string text, char from, char to)
{
    for (char& c : text)
        if (c == from) c = to;
    return text;
}

std::string padLeft(const std::string& value, std::size_t width, char pad)
{
    std::size_t n = charLength(value);
    return n >= width ? value : std::string(width - n, pad) + value;
}

} // namespace tolv::exchange
