#include "storage/TextUtil.h"

#include "platform/Cp932.h"

#include <algorithm>

namespace tolv {
namespace {

constexpr char32_t kBlank = U' ';
constexpr char32_t kFullWidthBlank = U'\u3000';
constexpr std::size_t kFittedLength = 5;

constexpr std::int16_t kModeFitFive = 1;
constexpr std::int16_t kModeCompact = 2;

} // namespace

std::string cleanText(std::string& text, std::int16_t mode)
{
    // Characters, not bytes: a full-width character counts once when fitting to five.
    std::u32string chars = toUtf32(text);

    // Unassigned fixed-length fields hold NULs; every control character reads as a blank.
    for (char32_t& c : chars)
        if (c < kBlank) c = kBlank;

    // Only half-width blanks are trimmed; a full-width blank is part of the text here.
    std::size_t first = chars.find_first_not_of(kBlank);
    if (first == std::u32string::npos) {
        chars.clear();
    } else {
        std::size_t last = chars.find_last_not_of(kBlank);
        chars = chars.substr(first, last - first + 1);
    }

    if (mode == kModeFitFive) {
        if (chars.size() < kFittedLength) {
            chars.append(kFittedLength - chars.size(), kBlank);
        } else {
            // Squeeze out inner blanks from the left until five characters remain; a text that is
            // still longer afterwards is kept whole rather than cut.
            std::size_t blank;
            while (chars.size() > kFittedLength && (blank = chars.find(kBlank)) != std::u32string::npos) chars.erase(blank, 1);
        }
    } else if (mode == kModeCompact) {
        chars.erase(std::remove(chars.begin(), chars.end(), kBlank), chars.end());
        chars.erase(std::remove(chars.begin(), chars.end(), kFullWidthBlank), chars.end());
    }

    text = fromUtf32(chars);
    return text;
}

} // namespace tolv
