// The one UTF-8 decoder: every ill-formed sequence found, replaced by one character without
// taking the bytes after it, and named with its line.
#include "platform/ConsoleText.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Utf8.h"

#include <gtest/gtest.h>

using namespace tolv;

TEST(Utf8, IllFormedSequencesAreReplacedWithoutSwallowingWhatFollows)
{
    struct Case {
        std::string bytes;
        std::u32string decoded; // with '?' for each ill-formed sequence
        std::size_t faultAt;    // npos: well-formed
        std::size_t faultLength;
    };
    const std::size_t none = std::string::npos;
    const std::vector<Case> cases{
        {"érica", U"érica", none, 0},
        {"山田\xF0\x9F\x8F\x8A", U"山田\U0001F3CA", none, 0},
        {"\xE9rica", U"?rica", 0, 1}, // Latin-1 é: a lead byte without its continuation
        {"a\xE3\x81"
         "b",
         U"a?b", 1, 2},           // a three-byte character cut short
        {"\xE3\x81", U"?", 0, 2}, // cut at the end
        {"\xC0\xAF/",
         U"?"
         "?/",
         0, 1},                              // overlong '/'
        {"\xE0\x80\xAF", U"???", 0, 1},      // overlong three-byte form
        {"\xED\xA0\x80x", U"???x", 0, 1},    // a surrogate
        {"\xF4\x90\x80\x80", U"????", 0, 1}, // above U+10FFFF
        {"\x80"
         "a",
         U"?a", 0, 1}, // a stray continuation byte
        {"\xFE\xFF", U"??", 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeUtf8(c.bytes, U'?'), c.decoded) << c.bytes;
        const auto fault = findUtf8Fault(c.bytes);
        EXPECT_EQ(fault ? fault->offset : none, c.faultAt) << c.bytes;
        if (fault) {
            EXPECT_EQ(fault->length, c.faultLength) << c.bytes;
        }
        EXPECT_EQ(encodeUtf8(decodeUtf8(repairUtf8(c.bytes, "?"), U'!')), encodeUtf8(c.decoded)) << c.bytes;
    }
    // The program's own split gives U+FFFD where a character could not be read.
    EXPECT_EQ(toUtf32("\xE9rica"), U"\uFFFDrica");
}

TEST(Utf8, ARefusalNamesTheFileLineAndBytes)
{
    try {
        requireUtf8("<a/>\n<b x=\"\xE9rica\"/>\n", "club.lef");
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_STREQ(e.what(), "club.lef 2行目: UTF-8 として読めないバイトがあります（0xE9）");
    }
    EXPECT_THROW(toCp932("\xE9rica"), TolvError);
    try {
        toCp932("山\xE9rica");
    } catch (const TolvError& e) {
        EXPECT_STREQ(e.what(), "UTF-8 として読めないバイトがあります（0xE9）");
    }
}

TEST(Utf8, TextForAConsoleIsHandedOverInWholeCharacters)
{
    // Text handed to a console a piece at a time waits for the rest of a character cut at the end.
    const std::vector<std::pair<std::string, std::size_t>> cases{
        {"", 0},
        {"abc", 3},
        {"申込", 6},
        {"申\xE8\xBE", 3},           // 込 without its last byte
        {"申\xE8", 3},               // only its lead byte
        {"a\xF0\x9F\x8F", 1},        // a four-byte character cut after three
        {"a\xF0\x9F\x8F\x8A", 5},    // and whole
        {"\xC3", 0},                 // é cut
        {"a\x8A", 2},                // a stray continuation byte: shown, not kept back
        {"\x8A\x8A\x8A\x8A\x8A", 5}, // no lead byte within a character's length
        {"a\xFF", 2},                // a byte no character starts with
        {"\xE8\xBE\xBC\xE3\x81", 3}, // whole, then cut
    };
    for (const auto& [text, whole] : cases) EXPECT_EQ(wholeUtf8Prefix(text), whole) << testing::PrintToString(text);
}
