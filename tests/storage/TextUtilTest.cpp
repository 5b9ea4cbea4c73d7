#include "storage/TextUtil.h"

#include <gtest/gtest.h>

using namespace tolv;

namespace {
std::string nulField(std::size_t n) { return std::string(n, '\0'); }
} // namespace

TEST(CleanText, ControlCharactersBecomeBlanksAndEndsAreTrimmed)
{
    std::string text = std::string("\0\0ab\tc\x1f", 7) + "d \r\n" + std::string(3, '\0');
    EXPECT_EQ(cleanedText(text, 0), "ab c d");
    // DEL is not below the blank and stays; so does a full-width blank at either end.
    EXPECT_EQ(cleanedText("  a\x7f ", 0), "a\x7f");
    EXPECT_EQ(cleanedText("　山田　", 0), "　山田　");
    // Any mode other than 1 and 2 only cleans and trims.
    EXPECT_EQ(cleanedText(" a  b ", 3), "a  b");
    EXPECT_EQ(cleanedText(" a  b ", -1), "a  b");
}

TEST(CleanText, ChangesTheArgumentAndReturnsTheSameText)
{
    std::string text = " ab ";
    std::string result = cleanText(text, 1);
    EXPECT_EQ(text, "ab   ");
    EXPECT_EQ(result, text);

    std::string kept = " ab ";
    EXPECT_EQ(cleanedText(kept, 2), "ab");
    EXPECT_EQ(kept, " ab ");
}

TEST(CleanText, FieldOfNulsIsEmptyExceptWhenFittedToFive)
{
    for (std::int16_t mode : {0, 2, 3}) EXPECT_EQ(cleanedText(nulField(20), mode), "") << "mode " << mode;
    EXPECT_EQ(cleanedText(nulField(20), 1), "     ");
    EXPECT_EQ(cleanedText("", 1), "     ");
}

TEST(CleanText, FitToFivePadsShortTexts)
{
    EXPECT_EQ(cleanedText("ab", 1), "ab   ");
    EXPECT_EQ(cleanedText(std::string("\0 ab\0", 5), 1), "ab   ");
    // Characters, not bytes: two kanji are two characters (four CP932 bytes).
    EXPECT_EQ(cleanedText("東京", 1), "東京   ");
    EXPECT_EQ(cleanedText("ﾄｳｷｮｳ", 1), "ﾄｳｷｮｳ");
    EXPECT_EQ(cleanedText(" abcde ", 1), "abcde");
}

TEST(CleanText, FitToFiveSqueezesBlanksFromTheLeftAndNeverCuts)
{
    // Six letters and two blanks: both blanks go, the six letters stay.
    EXPECT_EQ(cleanedText("ab cd ef", 1), "abcdef");
    // Squeezing stops as soon as five characters are left, keeping the later blanks.
    EXPECT_EQ(cleanedText("a b c d", 1), "abc d");
    EXPECT_EQ(cleanedText("山田 花子 様", 1), "山田花子様");
    // A full-width blank is not a blank to squeeze.
    EXPECT_EQ(cleanedText("山 田　太郎", 1), "山田　太郎");
    EXPECT_EQ(cleanedText("山田　太郎　様", 1), "山田　太郎　様");
    EXPECT_EQ(cleanedText("abcdefghij", 1), "abcdefghij");
    // A control character inside counts as a blank and is squeezed like one.
    EXPECT_EQ(cleanedText(std::string("abc\0def", 7), 1), "abcdef");
}

TEST(CleanText, CompactionRemovesEveryHalfAndFullWidthBlank)
{
    EXPECT_EQ(cleanedText("山田　太郎 ", 2), "山田太郎");
    EXPECT_EQ(cleanedText(std::string(" a b　c　") + '\0', 2), "abc");
    EXPECT_EQ(cleanedText("　　", 2), "");
    EXPECT_EQ(cleanedText("ﾔﾏﾀﾞ ﾀﾛｳ", 2), "ﾔﾏﾀﾞﾀﾛｳ");
}
