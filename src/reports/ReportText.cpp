#include "reports/ReportText.h"

#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Printer.h"
#include "storage/Codes.h"
#include "storage/Records.h"

#include <cmath>
#include <limits>

namespace tolv::reports {

std::size_t charCount(const std::string& text) { return toUtf32(text).size(); }

std::string leftChars(const std::string& text, std::size_t n)
{
    std::u32string u = toUtf32(text);
    if (u.size() <= n) return text;
    return fromUtf32(std::u32string_view(u).substr(0, n));
}

std::size_t doubleByteCount(const std::string& text)
{
    std::size_t bytes = byteLength(text), chars = charCount(text);
    return bytes > chars ? bytes - chars : 0;
}

std::string fitColumns(const std::string& text, std::size_t n)
{
    std::size_t dbcs = doubleByteCount(text);
    return leftChars(text, dbcs >= n ? 0 : n - dbcs);
}

std::string blankControls(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return out;
}

std::string rightAlignText(const std::string& text, std::size_t width)
{
    std::size_t cols = byteLength(text);
    return cols >= width ? text : std::string(width - cols, ' ') + text;
}

std::string rightAlign(long long value, std::size_t width) { return rightAlignText(std::to_string(value), width); }

std::string repeat(const std::string& piece, std::size_t n)
{
    std::string out;
    out.reserve(piece.size() * n);
    for (std::size_t i = 0; i < n; ++i) out += piece;
    return out;
}

namespace {

// Sign, digits and an optional decimal part at the start of `t` (after blanks); the number of
// characters used, 0 when there is no number.
std::size_t leadingNumber(const std::string& t, long double& value)
{
    std::size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    long double v = 0;
    bool digits = false;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, digits = true) v = v * 10 + (t[i] - '0');
    if (i < t.size() && t[i] == '.') {
        long double scale = 0.1L;
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, digits = true, scale /= 10) v += (t[i] - '0') * scale;
    }
    if (!digits) return 0;
    value = negative ? -v : v;
    return i;
}

long long roundEven(long double v, long long min, long long max)
{
    long double r = std::nearbyint(v);
    enforce(r >= static_cast<long double>(min) && r <= static_cast<long double>(max), kOverflowMessage);
    return static_cast<long long>(r);
}

} // namespace

long long convertInteger(const std::string& typed, long long min, long long max)
{
    long double v = 0;
    std::size_t used = leadingNumber(typed, v);
    enforce(used > 0 && typed.find_first_not_of(" \t", used) == std::string::npos, kTypeMismatchMessage);
    return roundEven(v, min, max);
}

long long roundedValue(const std::string& typed)
{
    long double v = 0;
    if (leadingNumber(typed, v) == 0) return 0;
    return roundEven(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}

std::int16_t checked16(long long value)
{
    enforce(value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max(),
            kOverflowMessage);
    return static_cast<std::int16_t>(value);
}

std::int32_t checked32(long long value)
{
    enforce(value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max(),
            kOverflowMessage);
    return static_cast<std::int32_t>(value);
}

void printPageHead(Printer& p, const PageHead& head, const EntryHeader& h)
{
    p.currentY = head.top;
    p.printAt(8000, todayText() + "  " + timeText());
    p.printAt(4000, head.title);
    p.printAt(8000, head.nameLabel + " " + leftChars(h.zigyo(), head.nameChars));
    p.printAt(8000, "場  所" + head.separator + leftChars(h.basho(), head.nameChars));
    p.printAt(8000, "期  日" + head.separator + h.stBi());
    p.printAt(8000, "      " + head.separator + h.enBi());
    p.printAt(8000, "コード" + head.separator + h.tcod());
    p.newLine();
}

} // namespace tolv::reports
