#pragma once
// Text building blocks shared by the printed lists: column fitting by CP932 width, right-aligned
// numbers, rules, checked 16- and 32-bit arithmetic and the list page heads.
#include <cstdint>
#include <string>

namespace tolv {

class Printer;
class EntryHeader;

namespace reports {

// The message of an arithmetic overflow.
inline constexpr const char* kOverflowMessage = "オーバーフローしました。";

// Number of code points of a UTF-8 text.
std::size_t charCount(const std::string& text);
// The first n code points (all of them when there are fewer).
std::string leftChars(const std::string& text, std::size_t n);
// Characters that take two print columns: CP932 byte length minus the character count.
std::size_t doubleByteCount(const std::string& text);
// A field text cut to (n - its double-byte characters) characters, so that a field of n bytes
// fills n half-width print columns.
std::string fitColumns(const std::string& text, std::size_t n);
// Every character below the blank (NUL padding, control characters) becomes a blank.
std::string blankControls(const std::string& text);

// A number right-aligned in `width` columns; a longer number is printed whole.
std::string rightAlign(long long value, std::size_t width);
std::string rightAlignText(const std::string& text, std::size_t width);
std::string repeat(const std::string& piece, std::size_t n);

// The message of a typed value that is no number.
inline constexpr const char* kTypeMismatchMessage = "型が一致しません。";

// A typed whole number converted for a field of the given range: blanks around it are ignored, a
// decimal part is rounded to the nearest integer (halves to even); text that is no number throws
// the type-mismatch message, a value outside the range the overflow message.
long long convertInteger(const std::string& typed, long long min, long long max);
// The numeric value of a text as the platform's Val reads it (leading number, decimals included),
// rounded to an integer like convertInteger; 0 when the text starts with no number.
long long roundedValue(const std::string& typed);

// Sums that must fit a 16-bit counter or a 32-bit amount; TolvError with the overflow message.
std::int16_t checked16(long long value);
std::int32_t checked32(long long value);

// The page head shared by the lists: from `top`, at x 8000 date and time; at x 4000 the title;
// then at x 8000 one line each: the name label, a blank and zigyo cut, "場  所" + sep + basho cut,
// "期  日" + sep + stBi, six blanks + sep + enBi, "コード" + sep + tcod; then an empty line.
struct PageHead {
    int top = 1000;
    std::string title;
    std::string nameLabel = "事業名";
    std::size_t nameChars = 4;   // characters of zigyo and basho printed
    std::string separator = " "; // between the later labels and their values
};
void printPageHead(Printer& p, const PageHead& head, const EntryHeader& h);

} // namespace reports
} // namespace tolv
