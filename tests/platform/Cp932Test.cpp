#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tolv;

TEST(Cp932, RoundTripsFullWidthHalfWidthKanaAndBackslash)
{
    // 0x5C stays a backslash; half-width kana are one byte; 髙 and ① exist only in CP932.
    std::string text = "東京\\ﾄｳｷｮｳ　髙①～";
    std::string bytes = toCp932(text);
    EXPECT_EQ(bytes, std::string("\x93\x8c\x8b\x9e\x5c\xc4\xb3\xb7\xae\xb3\x81\x40\xfb\xfc\x87\x40\x81\x60", 18));
    EXPECT_EQ(fromCp932(bytes), text);
    EXPECT_EQ(cp932Length("ﾐﾅﾄSC"), 5u);
    EXPECT_EQ(cp932Length("みなとＳＣ"), 10u);
}

TEST(Cp932, RefusesCharactersWithoutShiftJisForm)
{
    try {
        toCp932("abc😀");
        FAIL() << "expected a refusal";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("😀"), std::string::npos);
    }
}

TEST(Cp932, DamagedBytesDecodeWithReplacementAndAreReported)
{
    std::string cutLead = "AB\x93"; // a lead byte with its trail cut off
    EXPECT_FALSE(isValidCp932(cutLead));
    EXPECT_EQ(fromCp932(cutLead), "AB\xEF\xBF\xBD");
    EXPECT_TRUE(isValidCp932(toCp932("名前")));
}

TEST(Cp932, AFailedConversionLeavesNothingForTheNext)
{
    // The converters are kept between calls: a refusal or a cut-off lead byte in one text must not
    // leak into the text converted after it.
    const std::string name = toCp932("髙橋　花子");
    for (int round = 0; round < 2; ++round) {
        EXPECT_THROW(toCp932("東😀"), TolvError);
        EXPECT_EQ(toCp932("髙橋　花子"), name);
        EXPECT_EQ(fromCp932(std::string("\x93", 1)), "\xEF\xBF\xBD");
        EXPECT_FALSE(isValidCp932("\x81"));
        EXPECT_EQ(fromCp932(name), "髙橋　花子");
        EXPECT_EQ(fromCp932(std::string("\xA0\x93\x8c", 3)), "\xEF\xBF\xBD東");
    }
}

TEST(Cp932, TextMixingAsciiAndDoubleByteCharactersConvertsAsAWhole)
{
    // ASCII stretches are copied and only the other characters converted: a trail byte in the ASCII
    // range (0x40 "@", 0x5C) stays with its lead byte, and damaged bytes decode as in one piece.
    const struct {
        std::string bytes, text;
    } cases[] = {
        {"A\x81\x40"
         "B",
         "A　B"},
        {"\x83\x5c\x5c"
         "x",
         "ソ\\x"},
        {"ab \xb1\xb2 \x93\x8c", "ab ｱｲ 東"},
        {"x\x85\x81\x41y", "x\xEF\xBF\xBD、y"},
        {"x\x93 y", "x\xEF\xBF\xBD y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromCp932(c.bytes), c.text) << c.text;
        if (c.text.find("\xEF\xBF\xBD") == std::string::npos) {
            EXPECT_EQ(toCp932(c.text), c.bytes) << c.text;
        }
    }
    try {
        toCp932("name 東😀 rest");
        FAIL() << "expected a refusal";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("「😀」"), std::string::npos) << e.what();
    }
}

// Text copied through the round-trip table is what decoding and encoding it gives, for every one-
// and two-byte code; the table refuses only codes that do not come through the two conversions.
TEST(Cp932, RoundTripTableGivesWhatTheTwoConversionsGive)
{
    int copied = 0, changed = 0;
    for (unsigned code = 0x80; code <= 0xFFFF; ++code) {
        const bool lead = isCp932LeadByte(static_cast<unsigned char>(code >> 8));
        if (code > 0xFF && !lead) continue;
        const std::string bytes = code <= 0xFF ? std::string(1, static_cast<char>(code))
                                               : std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        std::optional<std::string> slow;
        try {
            slow = toCp932(fromCp932(bytes));
        } catch (const TolvError&) {
        }
        std::string fast = "A";
        if (appendCp932RoundTrip(bytes, fast)) {
            ASSERT_TRUE(slow.has_value()) << std::hex << code;
            ASSERT_EQ(fast, "A" + *slow) << std::hex << code;
            ++copied;
            changed += *slow != bytes;
        } else {
            EXPECT_FALSE(slow.has_value()) << std::hex << code;
        }
    }
    EXPECT_GT(copied, 7000);
    EXPECT_GT(changed, 0); // the characters CP932 holds twice come back as one of their codes
    std::string out;
    EXPECT_TRUE(appendCp932RoundTrip("a\xfa\x54,\x82\xa0 ", out));
    EXPECT_EQ(out, "a\x81\xca,\x82\xa0 ");
    EXPECT_FALSE(appendCp932RoundTrip("ab\x82", out)); // a lead byte cut off
}

TEST(Cp932, FittingNeverCutsADoubleByteCharacter)
{
    std::string name = toCp932("山田太郎花子一二三"); // nine full-width characters, 18 bytes
    std::string fitted = fitBytes(name, 16);
    EXPECT_EQ(fitted, toCp932("山田太郎花子一二"));
    // An odd width leaves the half character out and pads with a blank.
    EXPECT_EQ(fitBytes(toCp932("ab東京"), 5), std::string("ab\x93\x8c "));
    EXPECT_EQ(fitBytes("ab", 4), "ab  ");
    EXPECT_EQ(cutBytes(toCp932("ｱ東"), 2), toCp932("ｱ"));
}

// Characters by position over literal CP932 bytes: "ｱ" is one byte, "山" (0x8E 0x52) two, and a
// lead byte cut off at the end counts as one character.
TEST(Cp932Text, CharactersByPositionAndCutsByBytes)
{
    const std::string bytes = "A\xB1\x8E\x52"
                              "B\x8E"; // A ｱ 山 B <cut lead byte>
    const tolv::Cp932Text t(bytes);
    EXPECT_EQ(t.charCount(), 5u);
    EXPECT_EQ(t.left(3), "A\xB1\x8E\x52");
    EXPECT_EQ(t.right(2), "B\x8E");
    EXPECT_EQ(t.right(9), bytes);
    EXPECT_EQ(t.mid(3, 2), "\x8E\x52"
                           "B");
    EXPECT_EQ(t.mid(5, 4), "\x8E");
    EXPECT_EQ(t.mid(7, 1), "");
    EXPECT_EQ(t.cutBytes(3), "A\xB1"); // 山 does not fit whole
    EXPECT_EQ(t.cutBytes(4), "A\xB1\x8E\x52");
    ASSERT_EQ(t.characters().size(), 5u);
    EXPECT_EQ(t.characters()[2], "\x8E\x52");
}

TEST(Cp932, ValidityAgreesWithTheDecodeOverEveryCode)
{
    // A text is valid CP932 exactly when it decodes without a replacement character: every single
    // byte and every lead/trail pair, alone, inside ASCII and cut off at the end.
    const auto decodesCleanly = [](const std::string& bytes) {
        return fromCp932(bytes).find("\xEF\xBF\xBD") == std::string::npos;
    };
    int valid = 0;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        const std::string one(1, static_cast<char>(lead));
        ASSERT_EQ(isValidCp932(one), decodesCleanly(one)) << std::hex << lead;
        ASSERT_EQ(isValidCp932("A" + one), decodesCleanly("A" + one)) << std::hex << lead;
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            const std::string pair = "A" + one + static_cast<char>(trail) + "B";
            const bool v = isValidCp932(pair);
            ASSERT_EQ(v, decodesCleanly(pair)) << std::hex << lead << ' ' << trail;
            valid += v;
        }
    }
    EXPECT_GT(valid, 7000); // the double-byte characters and the pairs of two single-byte ones
}
