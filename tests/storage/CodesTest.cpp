#include "storage/Codes.h"

#include "platform/Cp932.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

using namespace tolv;

namespace {
using TextCases = std::vector<std::pair<std::string, std::string>>;

void expectGradeTexts(const TextCases& cases, int kubun)
{
    for (const auto& [code, text] : cases) EXPECT_EQ(gradeText(code, kubun), text) << "'" << code << "' kind " << kubun;
}
} // namespace

// ---- event slots and codes ----

TEST(EventCodes, SlotsAndCodesMapBothWays)
{
    std::vector<std::pair<int, std::string>> spots = {{0, "10"},  {6, "16"},  {7, "20"},  {18, "43"}, {19, "52"}, {21, "54"},
                                                      {22, "62"}, {28, "75"}, {29, "80"}, {43, "94"}, {-1, ""},   {44, ""}};
    for (const auto& [slot, code] : spots) EXPECT_EQ(eventCode(slot), code) << slot;
    for (int slot = 0; slot < 44; ++slot) {
        EXPECT_EQ(slotOfCode(eventCode(slot)), slot) << slot;
        EXPECT_EQ(slotFromTypedCode(eventCode(slot)), slot) << slot; // the typed rule agrees with the table
    }
    for (const char* code :
         {"95", "96", "97", "98", "99", "17", "24", "34", "44", "50", "55", "65", "76", "09", "1", "100", "", "ab", " 10", "10 "})
        EXPECT_FALSE(slotOfCode(code).has_value()) << "'" << code << "'";
}

TEST(EventCodes, TypedCodeTakesSecondDigitPlusStrokeOffset)
{
    // "19" lies beyond freestyle and lands in the backstroke slots.
    std::vector<std::pair<std::string, int>> cases = {{"10", 0}, {"19", 9}, {"54", 21}, {"89", 38}, {"90", 39}, {"94", 43}};
    for (const auto& [code, slot] : cases) EXPECT_EQ(slotFromTypedCode(code), slot) << code;
    for (const char* code :
         {"95", "96", "97", "98", "99", "01", "00", "0", "a1", "1a", "1 ", " 1", "-1", "1", "", "100", "１０", "1０"})
        EXPECT_FALSE(slotFromTypedCode(code).has_value()) << "'" << code << "'";
}

TEST(EventCodes, LabelsNamesAndKinds)
{
    std::vector<std::pair<int, std::string>> labels = {{0, "  25m 10"}, {2, " 100m 12"},  {6, "1500m 16"},
                                                       {7, "  25m 20"}, {21, " 400m 54"}, {28, " 800m 75"},
                                                       {29, "80"},      {43, "94"},       {44, ""}};
    for (const auto& [slot, label] : labels) EXPECT_EQ(slotLabel(slot), label) << slot;

    std::vector<std::pair<int, std::string>> names = {{1, "25m自由形"},
                                                      {7, "1500m自由形"},
                                                      {8, "25m背泳ぎ"},
                                                      {15, "200m平泳ぎ"},
                                                      {16, "25mバタフライ"},
                                                      {20, "100m個人メドレー"},
                                                      {23, "100mメドレーリレー"},
                                                      {26, "100mリレー"},
                                                      {29, "800mリレー"},
                                                      {0, ""},
                                                      {30, ""},
                                                      {-3, ""}};
    for (const auto& [number, name] : names) EXPECT_EQ(eventName(number), name) << number;

    EXPECT_TRUE(isIndividualStandardSlot(21));
    EXPECT_FALSE(isIndividualStandardSlot(22));
    EXPECT_FALSE(isIndividualStandardSlot(-1));
    EXPECT_FALSE(isRelaySlot(21));
    EXPECT_TRUE(isRelaySlot(22));
    EXPECT_TRUE(isRelaySlot(28));
    EXPECT_FALSE(isRelaySlot(29));
    EXPECT_TRUE(isRelaySlot(43, "1"));
    EXPECT_FALSE(isRelaySlot(43, "0"));
    EXPECT_FALSE(isRelaySlot(44, "1"));
}

TEST(SexCodes, Texts)
{
    EXPECT_EQ(sexText("1"), "男子");
    EXPECT_EQ(sexText("2"), "女子");
    EXPECT_EQ(sexText("3"), "混合");
    for (const char* code : {"0", "4", "", " ", "12"}) EXPECT_EQ(sexText(code), "") << code;
}

// ---- times and marks ----

TEST(FormatTime, EveryDigitWidthAndEveryMark)
{
    std::vector<std::pair<std::int32_t, std::string>> cases = {{0, ""},
                                                               {7, ""},
                                                               {45, "     .45"},
                                                               {100, "    1.00"},
                                                               {523, "    5.23"},
                                                               {2845, "   28.45"},
                                                               {10523, " 1:05.23"},
                                                               {60000, " 6:00.00"},
                                                               {123456, "12:34.56"},
                                                               {666666, "参加"},
                                                               {700001, "ｽﾀｰﾄ"},
                                                               {700002, "泳法"},
                                                               {700003, "折返"},
                                                               {700004, "ｺﾞｰﾙ"},
                                                               {700005, "引継"},
                                                               {700006, "逸脱"},
                                                               {700007, "途中"},
                                                               {888888, "棄権"},
                                                               // neighbours of the marks are ordinary times
                                                               {666665, "66:66.65"},
                                                               {700000, "70:00.00"},
                                                               {700008, "70:00.08"},
                                                               {888889, "88:88.89"},
                                                               // damaged values: no sign, no seventh digit
                                                               {-2845, ""},
                                                               {-666666, ""},
                                                               {1000000, ""},
                                                               {INT32_MAX, ""},
                                                               {INT32_MIN, ""}};
    for (const auto& [value, text] : cases) EXPECT_EQ(formatTime(value), text) << value;

    EXPECT_EQ(markText(kMarkEntered), "参加");
    EXPECT_EQ(markText(2845), "");
    EXPECT_TRUE(isResultMark(700004));
    EXPECT_FALSE(isResultMark(700008));
    EXPECT_FALSE(isResultMark(0));
}

// ---- dates and ages ----

TEST(Dates, PartsNumbersAndEightDigitEntry)
{
    EXPECT_EQ(dateYear("2008/10/16"), 2008);
    EXPECT_EQ(dateMonth("2008/10/16"), 10);
    EXPECT_EQ(dateDay("2008/10/16"), 16);
    EXPECT_EQ(dateMonthDay("2009/04/01"), 401);
    EXPECT_EQ(dateYear(""), 0);
    EXPECT_EQ(dateMonthDay("2008"), 0);
    EXPECT_EQ(birthYear(20010401), 2001);
    EXPECT_EQ(birthMonthDay(20010401), 401);
    EXPECT_EQ(birthMonthDay(0), 0);

    EXPECT_EQ(dateFromEightDigits("20081016"), "2008/10/16");
    for (const char* typed : {"2008101", "200810160", "", "2008/10/16"})
        EXPECT_FALSE(dateFromEightDigits(typed).has_value()) << typed;

    EXPECT_EQ(dateNumber("2008/10/16"), 20081016);
    for (const char* text : {"", "2008/1/16", "20081016", "    /  /  "}) EXPECT_EQ(dateNumber(text), 0) << text;
}

TEST(Age, BirthdayOnTheReferenceDateCounts)
{
    EXPECT_EQ(ageOn(19581016, "2008/10/16"), 50);
    EXPECT_EQ(ageOn(19581017, "2008/10/16"), 49);
    EXPECT_EQ(ageOn(19581231, "2009/01/01"), 50);
    EXPECT_EQ(ageOn(20000229, "2009/02/28"), 8); // born 29 February: full year from 1 March
    EXPECT_EQ(ageOn(20000229, "2009/03/01"), 9);
}

// ---- grade codes ----

TEST(GradeCode, GeneralSchoolYearStartsOnTheSecondOfApril)
{
    EXPECT_EQ(gradeCode(20010501, 0, "2008/10/16", 0), "11");
    EXPECT_EQ(gradeCode(20010331, 0, "2008/10/16", 0), "12");
    // Born 1 April: a school year ahead of a child born the next day.
    EXPECT_EQ(gradeCode(20010401, 0, "2008/10/16", 0), "12");
    EXPECT_EQ(gradeCode(20010402, 0, "2008/10/16", 0), "11");
    // On the reference side 1 April still belongs to the old school year, 2 April to the new one.
    EXPECT_EQ(gradeCode(20020501, 0, "2009/04/01", 0), "08");
    EXPECT_EQ(gradeCode(20020501, 0, "2009/04/02", 0), "11");
}

TEST(GradeCode, GeneralBandBoundariesAndGradeShift)
{
    // Born 1 May (school year = birth year); reference 2020/10/01 (school year 2020): d = 2020 - birth year.
    auto general = [](int d, std::int16_t shift) { return gradeCode((2020 - d) * 10000 + 501, shift, "2020/10/01", 0); };
    std::vector<std::pair<int, std::string>> bands = {{-5, "05"}, {3, "05"},  {4, "06"},  {5, "07"},  {6, "08"},
                                                      {7, "11"},  {12, "16"}, {13, "21"}, {15, "23"}, {16, "31"},
                                                      {18, "33"}, {19, "41"}, {22, "44"}, {23, "50"}, {60, "50"}};
    for (const auto& [d, code] : bands) EXPECT_EQ(general(d, 0), code) << "d " << d;
    // The shift moves the school year, both ways.
    EXPECT_EQ(general(6, 1), "11");
    EXPECT_EQ(general(7, -1), "08");
    EXPECT_EQ(general(12, 1), "21");
    EXPECT_EQ(general(22, 1), "50");
    EXPECT_EQ(general(3, 1), "06");
}

TEST(GradeCode, MastersBandsAndOtherKinds)
{
    // Birthdays on the reference date, so the age is exact.
    auto masters = [](int age) { return gradeCode((2008 - age) * 10000 + 1016, 0, "2008/10/16", 1); };
    std::vector<std::pair<int, std::string>> bands = {{0, "51"},  {24, "51"}, {25, "52"}, {29, "52"},  {30, "53"},  {49, "56"},
                                                      {50, "57"}, {94, "65"}, {95, "66"}, {104, "67"}, {105, "68"}, {120, "68"}};
    for (const auto& [age, code] : bands) EXPECT_EQ(masters(age), code) << "age " << age;
    EXPECT_EQ(gradeCode(19581017, 0, "2008/10/16", 1), "56");
    EXPECT_EQ(gradeCode(19581016, 0, "2008/10/16", 1), "57");
    EXPECT_EQ(gradeCode(19581016, 5, "2008/10/16", 1), "57"); // the shift is for school years only

    EXPECT_EQ(gradeCode(20010501, 0, "2008/10/16", 2), ""); // typed by the user
    EXPECT_EQ(gradeCode(19581016, 0, "2008/10/16", 3), "");
}

// ---- grade texts ----

TEST(GradeText, GeneralAndMastersKinds)
{
    TextCases cases = {
        {"05", "幼児"}, {"06", "年少"}, {"07", "年中"}, {"08", "年長"}, {"09", "園児"}, {"5", "幼児"} /* right-aligned to " 5" */,
        {"11", "小1"},  {"16", "小6"},  {"21", "中1"},  {"23", "中3"},  {"31", "高1"},  {"33", "高3"},
        {"41", "大1"},  {"44", "大4"},  {"00", ""},     {"01", ""},     {"04", ""},     {"1", ""},
        {"", ""},       {"  ", ""},     {"50", ""},     {"51", "Ａ"},   {"52", "Ｂ"},   {"56", "Ｆ"},
        {"60", "Ｊ"},   {"64", "Ｎ"},   {"65", "Ｏ"},   {"66", ""},     {"69", ""},     {"70", "Ｐ"},
        {"74", "Ｔ"},   {"75", "90-"},  {"76", "120-"}, {"80", "280-"}, {"81", "320-"}, {"82", "中"},
        {"83", "高"},   {"84", "Ｌ"},   {"85", "E*"},   {"88", "H*"},   {"89", ""},     {"91", ""},
        {"92", "spM"},  {"93", ""},     {"99", ""}};
    expectGradeTexts(cases, 0);
    expectGradeTexts(cases, 1);
}

TEST(GradeText, DisabilityClasses)
{
    // The school and infant texts do not apply to this kind.
    expectGradeTexts({{"51", "Ｕ1"}, {"54", "Ｕ4"}, {"55", "UL1"}, {"58", "UL4"}, {"59", "Ｌ1"}, {"62", "Ｌ4"},
                      {"63", "Ｌ4"}, {"64", "Ａ"},  {"65", "C11"}, {"66", "C12"}, {"67", "Ｃ2"}, {"73", "Ｃ8"},
                      {"74", "Ｂ1"}, {"76", "Ｂ3"}, {"77", "Ｄ"},  {"50", ""},    {"78", ""},    {"79", ""},
                      {"92", ""},    {"05", ""},    {"5", ""},     {"11", ""},    {"", ""}},
                     2);
}

// ---- text measures and numbers ----

TEST(ByteLength, CountsShiftJisBytes)
{
    EXPECT_EQ(byteLength(""), 0u);
    EXPECT_EQ(byteLength("ﾐﾅﾄ"), 3u);
    EXPECT_EQ(byteLength("A東ｱ　"), 6u);
    // Damaged fields decode with a replacement character; measuring them must not fail a print.
    EXPECT_EQ(byteLength("a\xEF\xBF\xBD"
                         "b"),
              4u);
    EXPECT_EQ(byteLength("東😀"), 4u);
}

TEST(ByteLength, AgreesWithTheConverterForEveryCharacter)
{
    // Measured without converting: the width table must give what conversion would, for every
    // code point of the basic plane, the language tags the converter drops, and beyond.
    std::vector<char32_t> points;
    for (char32_t c = 1; c < 0x10000; ++c)
        if (c < 0xD800 || c > 0xDFFF) points.push_back(c);
    for (char32_t c = 0xDFFF0; c < 0xE0100; ++c) points.push_back(c);
    points.push_back(0x1F600);
    points.push_back(0x10FFFF);
    std::size_t mismatches = 0;
    for (char32_t c : points) {
        const std::string one = fromUtf32(std::u32string(1, c));
        std::size_t converted = 2;
        try {
            converted = toCp932(one).size();
        } catch (const TolvError&) {
        }
        if (byteLength(one) != converted && ++mismatches < 10) ADD_FAILURE() << "U+" << std::hex << unsigned(c);
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST(NumericValue, LeadingNumberOfATextLikeVal)
{
    std::vector<std::pair<std::string, long long>> cases = {{"", 0},
                                                            {"abc", 0},
                                                            {"007", 7},
                                                            {"   12ab", 12},
                                                            {"\t 3", 3},
                                                            {"12 34", 12},
                                                            {"-5", -5},
                                                            {"+7x", 7},
                                                            {std::string(4, '\0'), 0},
                                                            {"１２", 0},
                                                            {"99999999999999999999999", LLONG_MAX},
                                                            {"-99999999999999999999999", LLONG_MIN}};
    for (const auto& [text, value] : cases) EXPECT_EQ(numericValue(text), value) << "'" << text << "'";
}
