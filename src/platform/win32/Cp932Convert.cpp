// iconv(3)'s calling convention over Windows' code page 932 (see include/iconv.h). Each run of
// input is first converted whole; only a run that fails is taken apart character by character to
// find where it stops, so the common case is two system calls per run.
#include <iconv.h>

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr UINT kCp932 = 932;

enum class Direction { ToCp932, FromCp932 };

struct Converter {
    Direction direction;
};

std::size_t utf8Length(unsigned char c)
{
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0; // never the first byte of a character
}

bool cp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Where the C library's CP932 (glibc's iconv, the Linux build) and Windows' code page 932 differ,
// the conversion here does as the Linux build does, so files are the same bytes on both systems:
// these characters have a CP932 form there (one way: the bytes read back as the Microsoft forms)
// and none in code page 932 ...
struct Extra {
    wchar_t c;
    const char* bytes;
};
constexpr Extra kOneWay[] = {
    {L'\u00A2', "\x81\x91"}, {L'\u00A3', "\x81\x92"}, {L'\u00A5', "\x5C"},     {L'\u00AC', "\x81\xCA"}, {L'\u2014', "\x81\x5C"},
    {L'\u2016', "\x81\x61"}, {L'\u203E', "\x7E"},     {L'\u2212', "\x81\x7C"}, {L'\u301C', "\x81\x60"},
};
// ... and these have a form in code page 932 only: the byte 0x80 (U+0080) and the single bytes
// 0xA0, 0xFD..0xFF (U+F8F0..U+F8F3), which are no characters there.
bool refusedHere(wchar_t c) { return c == L'\u0080' || (c >= L'\uF8F0' && c <= L'\uF8F3'); }

// UTF-16 -> code page 932, without best-fit substitutes; false when a character has no form.
bool wideToCp932(const wchar_t* w, int n, std::string& out)
{
    if (n == 0) return true;
    BOOL usedDefault = FALSE;
    std::string bytes(static_cast<std::size_t>(n) * 2, '\0');
    const int b = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, w, n, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                        &usedDefault);
    if (b <= 0 || usedDefault) return false;
    out.append(bytes.data(), static_cast<std::size_t>(b));
    return true;
}

// UTF-8 -> CP932 of one whole piece; false when a character has no CP932 form (or is no UTF-8).
bool toCp932(const char* in, std::size_t n, std::string& out)
{
    out.clear();
    if (n == 0) return true;
    std::wstring wide(n, L'\0');
    const int w = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in, static_cast<int>(n), wide.data(), static_cast<int>(n));
    if (w <= 0) return false;
    int from = 0;
    for (int i = 0; i < w; ++i) {
        const wchar_t c = wide[static_cast<std::size_t>(i)];
        // The language tags (U+E0000..U+E007F: the surrogates DB40 DC00..DC7F) are dropped, as the
        // C library's converter drops them, not refused.
        if (c == 0xDB40 && i + 1 < w && wide[static_cast<std::size_t>(i) + 1] >= 0xDC00 &&
            wide[static_cast<std::size_t>(i) + 1] <= 0xDC7F) {
            if (!wideToCp932(wide.data() + from, i - from, out)) return false;
            ++i;
            from = i + 1;
            continue;
        }
        // CP932 has no character beyond the Basic Multilingual Plane (Wine drops some silently).
        if (refusedHere(c) || (c >= 0xD800 && c <= 0xDFFF)) return false;
        for (const Extra& e : kOneWay) {
            if (e.c != c) continue;
            if (!wideToCp932(wide.data() + from, i - from, out)) return false;
            out += e.bytes;
            from = i + 1;
        }
    }
    return wideToCp932(wide.data() + from, w - from, out);
}

// CP932 -> UTF-8 of one whole piece; false when a byte sequence is no CP932 character.
bool fromCp932(const char* in, std::size_t n, std::string& out)
{
    if (n == 0) return true;
    // The single byte 0x80 is no character in the C library's CP932 (code page 932 reads it as
    // U+0080); as the second byte of a two-byte character it is one (0x81 0x80 is "÷").
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        if (cp932Lead(c)) ++i;
        else if (c == 0x80) return false;
    }
    std::wstring wide(n, L'\0');
    const int w = ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, in, static_cast<int>(n), wide.data(), static_cast<int>(n));
    if (w <= 0) return false;
    std::string bytes(static_cast<std::size_t>(w) * 3, '\0');
    const int b =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), w, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    if (b <= 0) return false;
    out.assign(bytes.data(), static_cast<std::size_t>(b));
    return true;
}

} // namespace

iconv_t iconv_open(const char* to, const char* from)
{
    if (std::strcmp(to, "CP932") == 0 && std::strcmp(from, "UTF-8") == 0) return new Converter{Direction::ToCp932};
    if (std::strcmp(to, "UTF-8") == 0 && std::strcmp(from, "CP932") == 0) return new Converter{Direction::FromCp932};
    errno = EINVAL;
    return reinterpret_cast<iconv_t>(-1);
}

int iconv_close(iconv_t cd)
{
    delete static_cast<Converter*>(cd);
    return 0;
}

std::size_t iconv(iconv_t cd, char** in, std::size_t* inLeft, char** out, std::size_t* outLeft)
{
    // Neither encoding has a shift state: a reset has nothing to do.
    if (!in || !*in) return 0;
    const bool toCp = static_cast<Converter*>(cd)->direction == Direction::ToCp932;
    std::string piece;
    auto put = [&](std::size_t consumed) {
        std::memcpy(*out, piece.data(), piece.size());
        *out += piece.size();
        *outLeft -= piece.size();
        *in += consumed;
        *inLeft -= consumed;
    };
    bool oneByOne = false; // after a run failed: the rest of this call a character at a time
    while (*inLeft > 0) {
        const auto* p = reinterpret_cast<const unsigned char*>(*in);
        // The whole characters at the start of the input whose output surely fits the room left
        // (CP932 is never longer than UTF-8 for a character; UTF-8 at most 3 bytes per CP932 byte).
        const std::size_t budget = toCp ? *outLeft : *outLeft / 3;
        std::size_t run = 0;
        while (run < *inLeft) {
            const std::size_t len = toCp ? utf8Length(p[run]) : (cp932Lead(p[run]) ? 2 : 1);
            if (len == 0 || run + len > *inLeft || run + len > budget) break;
            run += len;
        }
        if (!oneByOne && run > 0) {
            if (toCp ? toCp932(*in, run, piece) : fromCp932(*in, run, piece)) {
                put(run);
                continue;
            }
            oneByOne = true;
        }
        // One character at a time up to the one that stops the conversion.
        const std::size_t len = toCp ? utf8Length(p[0]) : (cp932Lead(p[0]) ? 2 : 1);
        if (len == 0) {
            errno = EILSEQ;
            return static_cast<std::size_t>(-1);
        }
        if (len > *inLeft) {
            errno = EINVAL;
            return static_cast<std::size_t>(-1);
        }
        if (!(toCp ? toCp932(*in, len, piece) : fromCp932(*in, len, piece))) {
            errno = EILSEQ;
            return static_cast<std::size_t>(-1);
        }
        if (piece.size() > *outLeft) {
            errno = E2BIG;
            return static_cast<std::size_t>(-1);
        }
        put(len);
    }
    return 0;
}
