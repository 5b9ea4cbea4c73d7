#include "storage/TimeInput.h"

#include <gtest/gtest.h>

using namespace tolv;

TEST(TimeInput, EveryFormOfAResultsSheetGivesTheCodedValue)
{
    const std::pair<const char*, std::int32_t> taken[] = {
        {"1:05.23", 10523},
        {"1.05.23", 10523},
        {"65.23", 10523},
        {"10523", 10523},
        {"28.45", 2845},
        {"2845", 2845},
        {" 1:05.23", 10523}, // as a time box shows it
        {"     5.23", 523},
        {"2:35.40", 23540},
        {"15:59.99", 155999},
        {"0.07", 7},
        {"1:05.2", 10520}, // one hundredths digit is tenths
        {"1:05", 10500},
        {"28.", 2800},
        {"１：０５．２３", 10523}, // full-width
        {"", 0},
        {"  ", 0},
        {"参加", 666666},
        {"棄権", 888888},
        {"666666", 666666},
        {"700003", 700003},
        {"120.00", 20000},
    };
    for (const auto& [text, value] : taken) {
        std::optional<std::int32_t> v = parseTime(text);
        ASSERT_TRUE(v.has_value()) << text;
        EXPECT_EQ(*v, value) << text;
    }
    const char* const refused[] = {"1:65.23", "1.65.23", "6523",    "abc",       "1:05.234", "1::05",
                                   "-5",      "1,05",    "1234567", "100:00.00", "1:2:3",    "."};
    for (const char* text : refused) EXPECT_FALSE(parseTime(text).has_value()) << text;
}

TEST(TimeInput, AShownTimeIsNeverBlankAndReadsBackAsItsValue)
{
    for (std::int32_t v : {7, 45, 523, 2845, 10523, 123456, 666666, 700004}) EXPECT_EQ(parseTime(shownTime(v)), v) << v;
    EXPECT_EQ(shownTime(7), "0.07");
    EXPECT_EQ(shownTime(0), "");
    EXPECT_EQ(shownTime(1234567), "1234567"); // no time has seven digits: shown as stored
}
