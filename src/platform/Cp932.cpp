#include "platform/Cp932.h"

#include "platform/Error.h"
#include "platform/Utf8.h"

#include <cerrno>
#include <algorithm>
#include <iconv.h>

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

} // namespace

bool isCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

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
    if (const std::optional<Utf8Fault> f = findUtf8Fault(utf8.substr(i))) throw TolvError(utf8FaultMessage(utf8.substr(i), *f), ErrorKind::BadInput);
    out.reserve(n);
    out.append(utf8.data(), i);
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

bool isValidCp932(std::string_view bytes)
{
    // Plain ASCII (most lines of a transfer file) is CP932 as it is.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return true;
    Iconv& cv = fromCp932Converter();
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    thread_local std::string out;  // kept between calls: a check per line allocates nothing
    out.clear();
    return cv.convert(in, left, out) == 0;
}

std::size_t cp932Length(std::string_view utf8)
{
    return toCp932(utf8).size();
}

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
