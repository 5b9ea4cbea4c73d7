#include "platform/Utf8.h"

#include "platform/Error.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tolv {

namespace {

// The well-formed sequence at p: its code point and length; or, for an ill-formed one, length
// the bytes that began to form a sequence (at least 1) and no code point.
struct Step {
    std::size_t length;
    std::optional<char32_t> cp;
};

Step step(const unsigned char* p, std::size_t left)
{
    const unsigned char c = p[0];
    if (c < 0x80) return {1, c};
    std::size_t need = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0; // overlong below
        if (c == 0xED) hi = 0x9F; // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        cp = c & 0x07;
        if (c == 0xF0) lo = 0x90; // overlong below
        if (c == 0xF4) hi = 0x8F; // above U+10FFFF
    } else {
        return {1, std::nullopt}; // a continuation byte, C0, C1 or F5..FF where a character begins
    }
    for (std::size_t i = 1; i <= need; ++i) {
        if (i >= left || p[i] < lo || p[i] > hi) return {i, std::nullopt};
        cp = (cp << 6) | (p[i] & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    return {need + 1, cp};
}

} // namespace

std::optional<Utf8Fault> findUtf8Fault(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        // Runs of ASCII (most of any text here) eight bytes at a time.
        for (std::uint64_t w; i + 8 <= n; i += 8) {
            std::memcpy(&w, p + i, 8);
            if (w & 0x8080808080808080ULL) break;
        }
        if (i >= n) break;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const Step s = step(p + i, n - i);
        if (!s.cp) return Utf8Fault{i, s.length, 1 + static_cast<int>(std::count(p, p + i, '\n'))};
        i += s.length;
    }
    return std::nullopt;
}

bool isValidUtf8(std::string_view text) { return !findUtf8Fault(text); }

std::string utf8FaultMessage(std::string_view text, const Utf8Fault& fault)
{
    std::string bytes;
    for (std::size_t i = fault.offset; i < fault.offset + fault.length && i < text.size(); ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%s0x%02X", bytes.empty() ? "" : " ", static_cast<unsigned char>(text[i]));
        bytes += hex;
    }
    return "UTF-8 として読めないバイトがあります（" + bytes + "）";
}

void requireUtf8(std::string_view text, const std::string& where, bool withLine)
{
    const std::optional<Utf8Fault> f = findUtf8Fault(text);
    if (!f) return;
    throw TolvError(where + (withLine ? " " + std::to_string(f->line) + "行目" : std::string()) + ": " +
                        utf8FaultMessage(text, *f),
                    ErrorKind::BadInput);
}

std::u32string decodeUtf8(std::string_view text, char32_t replacement)
{
    std::u32string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        if (p[i] < 0x80) {
            out.push_back(p[i++]);
            continue;
        }
        const Step s = step(p + i, text.size() - i);
        out.push_back(s.cp ? *s.cp : replacement);
        i += s.length;
    }
    return out;
}

std::string repairUtf8(std::string_view text, std::string_view replacement)
{
    if (isValidUtf8(text)) return std::string(text);
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        const Step s = p[i] < 0x80 ? Step{1, p[i]} : step(p + i, text.size() - i);
        if (s.cp) out.append(text.substr(i, s.length));
        else out.append(replacement);
        i += s.length;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace tolv
