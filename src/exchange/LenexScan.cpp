// The first pass over a Lenex document's bytes (LenexScan.h).
#include "exchange/LenexScan.h"

#include "storage/TextFold.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

namespace tolv::lenex {

LineFeeds::LineFeeds(std::string_view text) : bits_((text.size() + 63) / 64, 0), size_(text.size())
{
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', text.data() + text.size() - p)));) {
        const auto i = static_cast<std::size_t>(p++ - text.data());
        bits_[i / 64] |= std::uint64_t(1) << (i % 64);
    }
}

std::size_t LineFeeds::before(std::size_t offset) const
{
    offset = std::min(offset, size_);
    std::size_t n = 0;
    for (std::size_t w = 0; w < offset / 64; ++w) n += static_cast<std::size_t>(std::popcount(bits_[w]));
    if (offset % 64 != 0)
        n += static_cast<std::size_t>(std::popcount(bits_[offset / 64] & ((std::uint64_t(1) << (offset % 64)) - 1)));
    return n;
}

namespace {

// A character reference "&#N;" / "&#xH;" at `p` (before `end`): its length and code point.
std::optional<std::pair<std::size_t, std::uint32_t>> characterReference(const char* p, const char* end)
{
    if (end - p < 4 || p[0] != '&' || p[1] != '#') return std::nullopt;
    const bool hex = p[2] == 'x';
    std::uint64_t v = 0;
    const char* q = p + (hex ? 3 : 2);
    const char* first = q;
    for (; q < end && q - p < 16; ++q) {
        const char c = *q;
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else break;
        v = v * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
    }
    if (q == first || q >= end || *q != ';') return std::nullopt;
    // Beyond Unicode: one value past its end stands for all of them.
    return std::pair{static_cast<std::size_t>(q + 1 - p), static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0x110000))};
}

} // namespace

Scan scanDocument(std::string& xml, const std::function<void(int line)>& tooDeep)
{
    Scan scan;
    char* const begin = xml.data();
    const char* const end = begin + xml.size();
    char* w = begin;
    int line = 1;
    int depth = 0;
    auto noteControl = [&] {
        if (scan.controlLines.empty() || scan.controlLines.back() != line) scan.controlLines.push_back(line);
    };
    auto copyUntil = [&](const char*& r, std::string_view stop) {
        // Markup that holds no elements (comments, CDATA, declarations): copied but for controls.
        while (r < end) {
            if (static_cast<std::size_t>(end - r) >= stop.size() && std::memcmp(r, stop.data(), stop.size()) == 0) {
                std::memmove(w, r, stop.size());
                w += stop.size();
                r += stop.size();
                return;
            }
            const auto c = static_cast<unsigned char>(*r);
            if (c == '\n') ++line;
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
                noteControl();
                ++r;
                continue;
            }
            *w++ = *r++;
        }
    };
    // Bytes that need no look of their own (most of a document): kept as they are, a run at a time.
    static const std::array<bool, 256> plain = [] {
        std::array<bool, 256> t{};
        for (int c = 0x20; c < 0x100; ++c) t[static_cast<std::size_t>(c)] = c != '&' && c != '<' && c != 0x7F && c != 0xC2;
        t['\t'] = t['\r'] = true;
        return t;
    }();
    for (const char* r = begin; r < end;) {
        const char* run = r;
        while (run < end && plain[static_cast<unsigned char>(*run)]) ++run;
        if (run != r) {
            if (w != r) std::memmove(w, r, static_cast<std::size_t>(run - r));
            w += run - r;
            r = run;
            continue;
        }
        const auto c = static_cast<unsigned char>(*r);
        if (c == '\n') ++line;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
            noteControl();
            ++r;
            continue;
        }
        if (c == 0xC2 && r + 1 < end && static_cast<unsigned char>(r[1]) >= 0x80 && static_cast<unsigned char>(r[1]) <= 0x9F) {
            noteControl(); // C1 controls in UTF-8
            r += 2;
            continue;
        }
        if (c == '&') {
            // References to no character (beyond U+10FFFF, surrogates) go like controls: the
            // parser would keep them as raw text.
            if (auto ref = characterReference(r, end); ref && (isControlCharacter(ref->second) || ref->second > 0x10FFFF ||
                                                               (ref->second >= 0xD800 && ref->second <= 0xDFFF))) {
                // A line end or tab written as a reference (multi-line texts) is a blank, as the
                // parser makes of raw ones in attribute values; other controls are dropped.
                if (ref->second == '\t' || ref->second == '\n' || ref->second == '\r') *w++ = ' ';
                else noteControl();
                r += ref->first;
                continue;
            }
        }
        if (c == '<' && r + 1 < end) {
            if (std::string_view(r, std::min<std::size_t>(4, end - r)) == "<!--") {
                copyUntil(r, "-->");
                continue;
            }
            if (std::string_view(r, std::min<std::size_t>(9, end - r)) == "<![CDATA[") {
                copyUntil(r, "]]>");
                continue;
            }
            if (r[1] == '?' || r[1] == '!') {
                copyUntil(r, ">");
                continue;
            }
            if (r[1] == '/') {
                --depth;
            } else {
                // A start tag: its name, then to its end outside quoted values.
                const char* n = r + 1;
                while (n < end && *n != ' ' && *n != '\t' && *n != '\n' && *n != '\r' && *n != '/' && *n != '>') ++n;
                const std::string_view name(r + 1, static_cast<std::size_t>(n - r - 1));
                if (name == "ATHLETE") ++scan.athletes;
                else if (name == "RELAY") ++scan.relays;
                char quote = 0;
                const char* q = n;
                for (; q < end; ++q) {
                    if (quote) {
                        if (*q == quote) quote = 0;
                    } else if (*q == '"' || *q == '\'') {
                        quote = *q;
                    } else if (*q == '>') {
                        break;
                    }
                }
                if (q < end && q[-1] != '/' && ++depth > kMaxDepth) tooDeep(line);
            }
        }
        *w++ = *r++;
    }
    xml.resize(static_cast<std::size_t>(w - begin));
    return scan;
}

bool isUtf16Or32(std::string_view b)
{
    if (b.size() >= 2 && ((b[0] == '\xFE' && b[1] == '\xFF') || (b[0] == '\xFF' && b[1] == '\xFE'))) return true;
    for (std::size_t i = 0; i < b.size() && i < 4; ++i)
        if (b[i] == '\0') return true;
    return false;
}

} // namespace tolv::lenex
