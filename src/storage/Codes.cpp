#include "storage/Codes.h"

#include "platform/Cp932.h"
#include "platform/Error.h"

#include <array>
#include <climits>
#include <cstdlib>

namespace tolv {
namespace {

constexpr int kSlotCount = 44;

// Event code of every slot. The first digit is the stroke, the second the distance step; the
// reserve events 80..94 follow the standard ones.
constexpr std::array<int, kSlotCount> kSlotCodes = {
    10, 11, 12, 13, 14, 15, 16,                                 // freestyle 25 .. 1500 m
    20, 21, 22, 23,                                             // backstroke
    30, 31, 32, 33,                                             // breaststroke
    40, 41, 42, 43,                                             // butterfly
    52, 53, 54,                                                 // individual medley
    62, 63, 64,                                                 // medley relay
    72, 73, 74, 75,                                             // freestyle relay
    80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, // reserve events 1 .. 15
};

// Full names by event number 1..29 (index = number - 1).
const std::array<const char*, kStandardSlots> kEventNames = {
    "25m自由形",          "50m自由形",        "100m自由形",       "200m自由形",       "400m自由形",         "800m自由形",
    "1500m自由形",        "25m背泳ぎ",        "50m背泳ぎ",        "100m背泳ぎ",       "200m背泳ぎ",         "25m平泳ぎ",
    "50m平泳ぎ",          "100m平泳ぎ",       "200m平泳ぎ",       "25mバタフライ",    "50mバタフライ",      "100mバタフライ",
    "200mバタフライ",     "100m個人メドレー", "200m個人メドレー", "400m個人メドレー", "100mメドレーリレー", "200mメドレーリレー",
    "400mメドレーリレー", "100mリレー",       "200mリレー",       "400mリレー",       "800mリレー",
};

// Distance of the code's second digit.
const std::array<const char*, 7> kDistances = {"25m", "50m", "100m", "200m", "400m", "800m", "1500m"};

// Slot of the first event of each stroke digit 1..9, for the typed "second digit + offset" rule.
constexpr std::array<int, 10> kStrokeOffsets = {-1, 0, 7, 11, 15, 17, 20, 23, 29, 39};

struct GradeRow {
    const char* code;
    const char* text;
};

// Kinds "一般" and "ﾏｽﾀｰ": the rows from "50" upwards; codes not listed show nothing.
const std::array<GradeRow, 35> kGeneralGrades = {{
    {"51", "Ａ"},   {"52", "Ｂ"},   {"53", "Ｃ"},   {"54", "Ｄ"},   {"55", "Ｅ"},   {"56", "Ｆ"},   {"57", "Ｇ"},
    {"58", "Ｈ"},   {"59", "Ｉ"},   {"60", "Ｊ"},   {"61", "Ｋ"},   {"62", "Ｌ"},   {"63", "Ｍ"},   {"64", "Ｎ"},
    {"65", "Ｏ"},   {"70", "Ｐ"},   {"71", "Ｑ"},   {"72", "Ｒ"},   {"73", "Ｓ"},   {"74", "Ｔ"},   {"75", "90-"},
    {"76", "120-"}, {"77", "160-"}, {"78", "200-"}, {"79", "240-"}, {"80", "280-"}, {"81", "320-"}, {"82", "中"},
    {"83", "高"},   {"84", "Ｌ"},   {"85", "E*"},   {"86", "F*"},   {"87", "G*"},   {"88", "H*"},   {"92", "spM"},
}};

// Kind "身障": disability classes.
const std::array<GradeRow, 27> kDisabilityGrades = {{
    {"51", "Ｕ1"}, {"52", "Ｕ2"}, {"53", "Ｕ3"}, {"54", "Ｕ4"}, {"55", "UL1"}, {"56", "UL2"}, {"57", "UL3"},
    {"58", "UL4"}, {"59", "Ｌ1"}, {"60", "Ｌ2"}, {"61", "Ｌ3"}, {"62", "Ｌ4"}, {"63", "Ｌ4"}, {"64", "Ａ"},
    {"65", "C11"}, {"66", "C12"}, {"67", "Ｃ2"}, {"68", "Ｃ3"}, {"69", "Ｃ4"}, {"70", "Ｃ5"}, {"71", "Ｃ6"},
    {"72", "Ｃ7"}, {"73", "Ｃ8"}, {"74", "Ｂ1"}, {"75", "Ｂ2"}, {"76", "Ｂ3"}, {"77", "Ｄ"},
}};

const std::array<const char*, 5> kInfantGrades = {"幼児", "年少", "年中", "年長", "園児"}; // codes 5..9
const std::array<const char*, 4> kSchoolPrefixes = {"小", "中", "高", "大"};               // first digit 1..4

constexpr int kKindGeneral = 0;
constexpr int kKindMasters = 1;
constexpr int kKindDisabled = 2;

constexpr int kSchoolYearStart = 402; // school years begin on 2 April

bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// Characters start .. start + count - 1 (1-based) of a text, shortened like Mid$ at the end.
std::string midChars(const std::string& text, std::size_t start, std::size_t count)
{
    std::u32string chars = toUtf32(text);
    if (start < 1 || start > chars.size()) return std::string();
    return fromUtf32(std::u32string_view(chars).substr(start - 1, count));
}

// The birth date written as eight right-aligned digits; longer numbers are not cut.
std::string birthDigits(std::int32_t birth)
{
    std::string digits = std::to_string(birth);
    if (digits.size() < 8) digits.insert(0, 8 - digits.size(), ' ');
    return digits;
}

std::string lookUp(const GradeRow* rows, std::size_t count, const std::string& code)
{
    for (std::size_t i = 0; i < count; ++i)
        if (code == rows[i].code) return rows[i].text;
    return std::string();
}

} // namespace

std::string eventCode(int slot)
{
    if (slot < 0 || slot >= kSlotCount) return std::string();
    return std::to_string(kSlotCodes[static_cast<std::size_t>(slot)]);
}

std::optional<int> slotOfCode(const std::string& code)
{
    if (code.size() != 2 || !isDigit(static_cast<unsigned char>(code[0])) || !isDigit(static_cast<unsigned char>(code[1])))
        return std::nullopt;
    int number = (code[0] - '0') * 10 + (code[1] - '0');
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (kSlotCodes[static_cast<std::size_t>(slot)] == number) return slot;
    return std::nullopt;
}

std::optional<int> slotFromTypedCode(const std::string& code)
{
    if (code.size() != 2) return std::nullopt;
    char first = code[0];
    char second = code[1];
    if (first < '1' || first > '9' || second < '0' || second > '9') return std::nullopt;
    int slot = (second - '0') + kStrokeOffsets[static_cast<std::size_t>(first - '0')];
    if (slot >= kSlotCount) return std::nullopt;
    return slot;
}

std::string slotLabel(int slot)
{
    if (slot < 0 || slot >= kSlotCount) return std::string();
    std::string code = eventCode(slot);
    if (slot >= kFirstReserveSlot) return code;
    std::string distance = kDistances[static_cast<std::size_t>(code[1] - '0')];
    distance.insert(0, 5 - distance.size(), ' ');
    return distance + " " + code;
}

std::string eventName(int number)
{
    if (number < 1 || number > kStandardSlots) return std::string();
    return kEventNames[static_cast<std::size_t>(number - 1)];
}

bool isIndividualStandardSlot(int slot) { return slot >= 0 && slot < kIndividualSlots; }

bool isRelaySlot(int slot, const std::string& reserveRelayFlag)
{
    if (slot >= kIndividualSlots && slot < kStandardSlots) return true;
    if (slot >= kFirstReserveSlot && slot < kSlotCount) return reserveRelayFlag == "1";
    return false;
}

std::string sexText(const std::string& code)
{
    if (code == "1") return "男子";
    if (code == "2") return "女子";
    if (code == "3") return "混合";
    return std::string();
}

std::string markText(std::int32_t value)
{
    for (const ResultMarkText& m : kResultMarks)
        if (markValue(m.mark) == value) return m.text;
    return std::string();
}

bool isResultMark(std::int32_t value)
{
    for (const ResultMarkText& m : kResultMarks)
        if (markValue(m.mark) == value) return true;
    return false;
}

std::string formatTime(std::int32_t value)
{
    // A time has at most six digits and no sign; anything else is a damaged field and shows
    // nothing rather than a misleading time.
    if (value < 0 || value > 999999) return std::string();
    std::string digits = std::to_string(value);
    if (digits.size() == 1) return std::string();
    std::string s = std::string(6 - digits.size(), ' ') + digits;
    std::string result;
    if (digits.size() >= 5) result = s.substr(0, 2) + ":" + s.substr(2, 2) + "." + s.substr(4, 2);
    else result = "   " + s.substr(2, 2) + "." + s.substr(4, 2);
    if (isResultMark(value)) return markText(value);
    return result;
}

int dateYear(const std::string& dateText) { return static_cast<int>(numericValue(midChars(dateText, 1, 4))); }
int dateMonth(const std::string& dateText) { return static_cast<int>(numericValue(midChars(dateText, 6, 2))); }
int dateDay(const std::string& dateText) { return static_cast<int>(numericValue(midChars(dateText, 9, 2))); }
int dateMonthDay(const std::string& dateText) { return dateMonth(dateText) * 100 + dateDay(dateText); }

int birthYear(std::int32_t birth) { return static_cast<int>(numericValue(birthDigits(birth).substr(0, 4))); }
int birthMonthDay(std::int32_t birth) { return static_cast<int>(numericValue(birthDigits(birth).substr(4, 4))); }

std::optional<std::string> dateFromEightDigits(const std::string& typed)
{
    std::u32string chars = toUtf32(typed);
    if (chars.size() != 8) return std::nullopt;
    std::u32string_view v(chars);
    return fromUtf32(v.substr(0, 4)) + "/" + fromUtf32(v.substr(4, 2)) + "/" + fromUtf32(v.substr(6, 2));
}

std::int32_t dateNumber(const std::string& dateText)
{
    std::u32string chars = toUtf32(dateText);
    if (chars.size() < 10) return 0;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!isDigit(chars[i])) return 0;
    return dateYear(dateText) * 10000 + dateMonth(dateText) * 100 + dateDay(dateText);
}

int ageOn(std::int32_t birth, const std::string& kijunBi)
{
    int age = dateYear(kijunBi) - birthYear(birth);
    if (dateMonthDay(kijunBi) < birthMonthDay(birth)) --age;
    return age;
}

std::string gradeCode(std::int32_t birth, std::int16_t gradeShift, const std::string& kijunBi, int kubun)
{
    if (kubun == kKindGeneral) {
        int birthSchoolYear = birthYear(birth) - (birthMonthDay(birth) < kSchoolYearStart ? 1 : 0);
        int refSchoolYear = dateYear(kijunBi) - (dateMonthDay(kijunBi) < kSchoolYearStart ? 1 : 0);
        int d = gradeShift + refSchoolYear - birthSchoolYear;
        if (d < 4) return "05";
        if (d == 4) return "06";
        if (d == 5) return "07";
        if (d == 6) return "08";
        if (d <= 12) return "1" + std::to_string(d - 6);
        if (d <= 15) return "2" + std::to_string(d - 12);
        if (d <= 18) return "3" + std::to_string(d - 15);
        if (d <= 22) return "4" + std::to_string(d - 18);
        return "50";
    }
    if (kubun == kKindMasters) {
        // Same count as the age: a birthday on the reference date counts as reached.
        int a = ageOn(birth, kijunBi);
        if (a <= 24) return "51";
        if (a > 104) return "68";
        return std::to_string(52 + (a - 25) / 5);
    }
    // "身障" classes are typed by the user; other kinds have no rule.
    return std::string();
}

std::string gradeText(const std::string& code, int kubun)
{
    std::u32string chars = toUtf32(code);
    if (chars.size() < 2) chars.insert(0, 2 - chars.size(), U' ');
    std::string aligned = fromUtf32(chars);
    if (kubun == kKindDisabled) return lookUp(kDisabilityGrades.data(), kDisabilityGrades.size(), aligned);

    long long value = numericValue(aligned);
    if (value >= 5 && value <= 9) return kInfantGrades[static_cast<std::size_t>(value - 5)];
    char32_t first = chars[0];
    if (first < U'1') return std::string();
    if (first <= U'4')
        return std::string(kSchoolPrefixes[static_cast<std::size_t>(first - U'1')]) +
               fromUtf32(std::u32string_view(chars).substr(1, 1));
    return lookUp(kGeneralGrades.data(), kGeneralGrades.size(), aligned);
}

std::size_t cp932Width(char32_t c)
{
    if (c < 0x80 || c == 0xA5 || c == 0x203E || (c >= 0xFF61 && c <= 0xFF9F)) return 1;
    if (c >= 0xE0000 && c <= 0xE007F) return 0;
    return 2;
}

std::size_t byteLength(const std::string& text)
{
    // Measured by code point, without converting: this runs for every printed column.
    std::size_t length = 0;
    for (char32_t c : toUtf32(text)) length += cp932Width(c);
    return length;
}

long long numericValue(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (LLONG_MAX - digit) / 10) return negative ? LLONG_MIN : LLONG_MAX; // saturate
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

} // namespace tolv
