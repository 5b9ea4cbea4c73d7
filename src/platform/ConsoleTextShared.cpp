#include "platform/ConsoleText.h"

namespace tolv {

std::size_t wholeUtf8Prefix(std::string_view text)
{
    // The last lead byte among the last four bytes, and whether its character is all there.
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80) continue; // a continuation byte
        std::size_t length = 1;
        if ((byte & 0xE0) == 0xC0) length = 2;
        else if ((byte & 0xF0) == 0xE0) length = 3;
        else if ((byte & 0xF8) == 0xF0) length = 4;
        return back < length ? size - back : size;
    }
    return size;
}

} // namespace tolv
