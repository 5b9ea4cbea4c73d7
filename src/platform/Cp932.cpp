#include "platform/Cp932.h"

#include "platform/Error.h"
#include "platform/Utf8.h"

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <iconv.h>
#include <vector>

namespace tolv {
namespace {

// iconv descriptors are costly to open (a table load each), so each thread keeps one per direction
// for its life. Every conversion starts by resetting its descriptor, so a failed conversion (an
// unencodable character, a cut-off lead byte) leaves nothing behind for the next one.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw TolvError(std::string("文字コード変換を開始できません: ") + from + " -> " + to);
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

    // Converts one input chunk; returns errno of the failure (0 on success) and the bytes consumed.
    int convert(const char*& in, std::size_t& inLeft, std::string& out)
    {
        char buf[1024];
        while (inLeft > 0) {
            char* outPtr = buf;
            std::size_t outLeft = sizeof buf;
            char* inPtr = const_cast<char*>(in);
            std::size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            int err = (r == static_cast<std::size_t>(-1)) ? errno : 0;
            in = inPtr;
            out.append(buf, static_cast<std::size_t>(outPtr - buf));
            if (err == E2BIG) continue;
            if (err != 0) return err;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

Iconv& toCp932Converter()
{
    thread_local Iconv cv("CP932", "UTF-8");
    cv.reset();
    return cv;
}

Iconv& fromCp932Converter()
{
    thread_local Iconv cv("UTF-8", "CP932");
    cv.reset();
    return cv;
}

std::size_t utf8SeqLength(unsigned char c)
{
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

// What iconv makes of each character, kept as it is first met: a file's names use a few thousand
// characters a hundred thousand times. CP932 is stateless, so a character converts the same alone
// as within a text; anything the tables cannot answer (an undecodable byte, a character without a
// CP932 form, malformed UTF-8) goes through iconv whole as before, with the same result or error.
class Cp932Memo {
public:
    // UTF-8 of the CP932 character `code` (one byte, or lead << 8 | trail) appended to `out`;
    // false when it is no character.
    bool decode(unsigned code, std::string& out)
    {
        if (decoded_.empty()) decoded_.resize(0x10000);
        Decoded& d = decoded_[code];
        if (d.length == kUnknown) {
            char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            const char* from = code > 0xFF ? in : in + 1;
            std::size_t left = code > 0xFF ? 2 : 1;
            std::string utf8;
            if (fromCp932Converter().convert(from, left, utf8) != 0 || utf8.empty() || utf8.size() > sizeof d.bytes) {
                d.length = kNone;
            } else {
                d.length = static_cast<std::uint8_t>(utf8.size());
                std::copy(utf8.begin(), utf8.end(), d.bytes);
            }
        }
        if (d.length == kNone) return false;
        out.append(d.bytes, d.length);
        return true;
    }

    // The CP932 bytes of the character `c` appended to `out`; false when the table cannot tell
    // (no CP932 form, or a character beyond the first plane).
    bool encode(char32_t c, std::string_view utf8, std::string& out)
    {
        if (c > 0xFFFF) return false;
        if (encoded_.empty()) encoded_.resize(0x10000, kUnknownCode);
        std::uint16_t& e = encoded_[c];
        if (e == kUnknownCode) {
            const char* in = utf8.data();
            std::size_t left = utf8.size();
            std::string bytes;
            if (toCp932Converter().convert(in, left, bytes) != 0 || bytes.empty() || bytes.size() > 2) e = kNoCode;
            else if (bytes.size() == 1) e = static_cast<unsigned char>(bytes[0]);
            else e = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]));
        }
        if (e == kNoCode) return false;
        if (e > 0xFF) out += static_cast<char>(e >> 8);
        out += static_cast<char>(e & 0xFF);
        return true;
    }

    // The code (one byte, or lead << 8 | trail) toCp932(fromCp932(code)) gives for the character
    // `code`, or kNoRoundTrip when it is no character or does not come back as one.
    std::uint16_t roundTrip(unsigned code)
    {
        if (roundTrip_.empty()) roundTrip_.resize(0x10000, kUnknownTrip);
        std::uint16_t& r = roundTrip_[code];
        if (r == kUnknownTrip) {
            r = kNoRoundTrip;
            std::string utf8;
            if (decode(code, utf8) && !utf8.empty()) {
                const auto b = static_cast<unsigned char>(utf8[0]);
                const std::size_t len = utf8SeqLength(b);
                if (len == utf8.size() && len <= 3) {
                    char32_t c = len == 1 ? b : b & (len == 2 ? 0x1F : 0x0F);
                    for (std::size_t k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[k]) & 0x3F);
                    std::string bytes;
                    if (c >= 0x80 && encode(c, utf8, bytes))
                        r = bytes.size() == 1 ? static_cast<unsigned char>(bytes[0])
                                              : static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                                                           static_cast<unsigned char>(bytes[1]));
                }
            }
        }
        return r;
    }
    static constexpr std::uint16_t kNoRoundTrip = 0xFFFE;

private:
    static constexpr std::uint16_t kUnknownTrip = 0xFFFF; // 0xFFFE, 0xFFFF: no CP932 codes
    static constexpr std::uint8_t kUnknown = 0, kNone = 0xFF;
    // Codes 0x0001 and 0x0002 are ASCII, never asked of the table: they mark its empty slots.
    static constexpr std::uint16_t kUnknownCode = 1, kNoCode = 2;
    struct Decoded {
        std::uint8_t length = kUnknown;
        char bytes[3];
    };
    std::vector<Decoded> decoded_;
    std::vector<std::uint16_t> encoded_;
    std::vector<std::uint16_t> roundTrip_;
};

Cp932Memo& memo()
{
    thread_local Cp932Memo m;
    return m;
}

} // namespace

bool isCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

namespace {

// Copies the run of ASCII bytes starting at i (the same in UTF-8 and CP932); returns where it ends.
std::size_t copyAsciiRun(std::string_view text, std::size_t i, std::string& out)
{
    std::size_t end = i + 1;
    while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) ++end;
    out.append(text.data() + i, end - i);
    return end;
}

// toCp932 through the table; false (out unusable) when it cannot tell.
bool toCp932ByTable(std::string_view utf8, std::size_t i, std::string& out)
{
    Cp932Memo& m = memo();
    const std::size_t n = utf8.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            i = copyAsciiRun(utf8, i, out);
            continue;
        }
        const std::size_t len = utf8SeqLength(b);
        if (len < 2 || len > 3 || i + len > n) return false;
        char32_t c = b & (len == 2 ? 0x1F : 0x0F);
        for (std::size_t k = 1; k < len; ++k) {
            const auto t = static_cast<unsigned char>(utf8[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        // Overlong forms and surrogates are left to iconv (which refuses them).
        if (c < (len == 2 ? 0x80u : 0x800u) || (c >= 0xD800 && c <= 0xDFFF)) return false;
        if (!m.encode(c, utf8.substr(i, len), out)) return false;
        i += len;
    }
    return true;
}

// fromCp932 through the table; false (out unusable) when a byte is no character.
bool fromCp932ByTable(std::string_view bytes, std::size_t i, std::string& out)
{
    Cp932Memo& m = memo();
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            i = copyAsciiRun(bytes, i, out);
            continue;
        }
        unsigned code = c;
        std::size_t step = 1;
        if (isCp932LeadByte(c)) {
            if (i + 1 >= n) return false; // a lead byte cut off at the end
            code = c << 8 | static_cast<unsigned char>(bytes[i + 1]);
            step = 2;
        }
        if (!m.decode(code, out)) return false;
        i += step;
    }
    return true;
}

} // namespace

// ASCII is the same byte in UTF-8 and CP932, and most of a file line is ASCII (blanks, digits,
// commas): only the runs of other characters go through iconv.
std::string toCp932(std::string_view utf8)
{
    std::string out;
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
    if (i == n) return std::string(utf8);
    // Bytes that are no UTF-8 are told as such, not as a character without a CP932 form.
    if (const std::optional<Utf8Fault> f = findUtf8Fault(utf8.substr(i)))
        throw TolvError(utf8FaultMessage(utf8.substr(i), *f), ErrorKind::BadInput);
    out.reserve(n);
    out.append(utf8.data(), i);
    if (toCp932ByTable(utf8, i, out)) return out;
    out.assign(utf8.data(), i);
    Iconv& cv = toCp932Converter();
    while (i < n) {
        // A UTF-8 sequence never holds an ASCII byte, so a run of bytes >= 0x80 is whole characters.
        std::size_t end = i;
        while (end < n && static_cast<unsigned char>(utf8[end]) >= 0x80) ++end;
        const char* in = utf8.data() + i;
        std::size_t left = end - i;
        if (cv.convert(in, left, out) != 0) {
            const std::size_t rest = static_cast<std::size_t>(utf8.data() + n - in);
            const std::size_t len = std::min(rest, utf8SeqLength(static_cast<unsigned char>(*in)));
            throw TolvError("シフトJISで表せない文字があります: 「" + std::string(in, len) + "」", ErrorKind::BadInput);
        }
        i = end;
        while (end < n && static_cast<unsigned char>(utf8[end]) < 0x80) ++end;
        out.append(utf8.data() + i, end - i);
        i = end;
    }
    return out;
}

namespace {

// The whole text through iconv: an undecodable byte becomes U+FFFD and decoding goes on after it.
std::string fromCp932Slow(std::string_view bytes)
{
    std::string out;
    Iconv& cv = fromCp932Converter();
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        int err = cv.convert(in, left, out);
        if (err == 0) break;
        out += "\xEF\xBF\xBD";
        ++in;
        --left;
        cv.reset();
    }
    return out;
}

} // namespace

std::string fromCp932(std::string_view bytes)
{
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
    if (i == n) return std::string(bytes);
    // ASCII bytes outside double-byte characters are copied; the runs between them (a lead byte
    // takes its trail byte along, whatever it is) go through iconv. Damaged text, where iconv stops,
    // is decoded whole the slow way so the replacement characters fall where they always did.
    std::string out;
    out.reserve(n + n / 2);
    out.append(bytes.data(), i);
    if (fromCp932ByTable(bytes, i, out)) return out;
    out.assign(bytes.data(), i);
    while (i < n) {
        std::size_t end = i;
        while (end < n) {
            const unsigned char c = static_cast<unsigned char>(bytes[end]);
            if (c < 0x80) break;
            end += isCp932LeadByte(c) ? 2 : 1;
        }
        end = std::min(end, n);
        Iconv& cv = fromCp932Converter();
        const char* in = bytes.data() + i;
        std::size_t left = end - i;
        if (cv.convert(in, left, out) != 0) return fromCp932Slow(bytes);
        i = end;
        while (end < n && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
        out.append(bytes.data() + i, end - i);
        i = end;
    }
    return out;
}

bool appendCp932RoundTrip(std::string_view bytes, std::string& out)
{
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    Cp932Memo* m = nullptr;
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) { // a run of ASCII, the same bytes in both directions
            std::size_t end = i + 1;
            while (end < n && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
            out.append(bytes.data() + i, end - i);
            i = end;
            continue;
        }
        unsigned code = c;
        std::size_t step = 1;
        if (isCp932LeadByte(c)) {
            if (i + 1 >= n) return false;
            code = c << 8 | static_cast<unsigned char>(bytes[i + 1]);
            step = 2;
        }
        if (!m) m = &memo();
        const std::uint16_t r = m->roundTrip(code);
        if (r == Cp932Memo::kNoRoundTrip) return false;
        if (r > 0xFF) out += static_cast<char>(r >> 8);
        out += static_cast<char>(r & 0xFF);
        i += step;
    }
    return true;
}

bool isValidCp932(std::string_view bytes)
{
    // Plain ASCII (most lines of a transfer file) is CP932 as it is.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return true;
    // Character by character through the table: CP932 is stateless, so a text converts exactly
    // when each of its characters does (a lead byte cut off at the end does not).
    Cp932Memo& m = memo();
    thread_local std::string scratch; // kept between calls: a check per line allocates nothing
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        unsigned code = c;
        if (isCp932LeadByte(c)) {
            if (i + 1 >= n) return false;
            code = c << 8 | static_cast<unsigned char>(bytes[i + 1]);
            i += 2;
        } else {
            ++i;
        }
        scratch.clear();
        if (!m.decode(code, scratch)) return false;
    }
    return true;
}

std::size_t cp932Length(std::string_view utf8) { return toCp932(utf8).size(); }

std::string cutBytes(std::string_view cp932, std::size_t width)
{
    std::size_t i = 0;
    while (i < cp932.size()) {
        std::size_t step = isCp932LeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
        if (i + step > width || i + step > cp932.size()) break;
        i += step;
    }
    return std::string(cp932.substr(0, i));
}

std::string fitBytes(std::string_view cp932, std::size_t width, char pad)
{
    std::string out = cutBytes(cp932, width);
    out.append(width - out.size(), pad);
    return out;
}

std::u32string toUtf32(std::string_view s) { return decodeUtf8(s, U'\uFFFD'); }

std::string fromUtf32(std::u32string_view text) { return encodeUtf8(text); }

} // namespace tolv
