// Duplicate-number, old-number, same-stem and kana reports. Where a pair is reported the fixture is
// laid out in key order, so the sort leaves it in place and the earlier record of a pair is known.
#include "checks/CheckReports.h"
#include "checks/EntryFixture.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace checktest;

namespace {
std::string line(int y, const std::string& item) { return text(0, y, item); }
std::string name(const char* n) { return pad(n, 16); }
} // namespace

TEST(DuplicateChecks, NumberSkipsBlankAndZeroNumbersAndOtherRegistrationKinds)
{
    EntryFixture f;
    for (auto report : {checkNumber, checkOldNumber, checkSameStem, checkKana}) EXPECT_EQ(f.log(report), "end\n");
    for (const char* b : {"", "", "0000000", "0000000"}) f.add({.namae = "無番", .bango = b});
    f.add({.namae = "山田太郎", .bango = "1234567"});
    f.add({.namae = "山田花子", .bango = "1234567"});
    f.add({.namae = "主", .bango = "7654321"});
    f.add({.namae = "副一", .bango = "7654321", .shuFuku = "2"});
    f.add({.namae = "副二", .bango = "7654321", .shuFuku = "2"});
    EXPECT_EQ(f.log(checkNumber), line(0, "1234567 6 " + name("山田花子") + "1->1234567 5 " + name("山田太郎") + "1") +
                                      line(200, "7654321 9 " + name("副二") + "2->7654321 8 " + name("副一") + "2") + "end\n");
}

TEST(DuplicateChecks, OldNumberReportsBlankOldNumbersToo)
{
    EntryFixture f;
    for (const char* n : {"甲", "乙"}) f.add({.namae = n});
    f.add({.qbango = "13001199804021", .namae = "丙"});
    f.add({.qbango = "13001199804021", .namae = "丁", .shuFuku = "2"});
    f.add({.qbango = "13001199804025", .namae = "戊"}); // other sex digit: another old number
    const std::string blank(14, ' ');
    EXPECT_EQ(f.log(checkOldNumber), line(0, blank + " 2 " + name("乙") + "1->" + blank + " 1 " + name("甲") + "1") +
                                         line(200, "13001199804021 4 " + name("丁") + "2->13001199804021 3 " + name("丙") + "1") +
                                         "end\n");
}

TEST(DuplicateChecks, SameStemIgnoresTheSexDigitButSortsBySexCodeFirst)
{
    EntryFixture f;
    f.add({.qbango = "13001199804021", .namae = "一郎", .shozoku = "北"});
    f.add({.qbango = "13001199804022", .namae = "二郎", .shozoku = "北"});
    f.add({.qbango = "13009200001011", .namae = "三郎", .shozoku = "北"});
    f.add({.qbango = "13009200001015", .namae = "花子", .shozoku = "北", .sei = "2"}); // next to 三郎
    const std::string club = "(" + pad("北", 12) + ")";
    EXPECT_EQ(f.log(checkSameStem),
              line(0, "13001199804022 2 " + name("二郎") + club + "1->13001199804021 1 " + name("一郎") + "1") +
                  line(200, "13009200001015 4 " + name("花子") + club + "1->13009200001011 3 " + name("三郎") + "1") + "end\n");

    // The same stem under two sex codes with another male between them in sorted order.
    EntryFixture g;
    g.add({.qbango = "13005199901011"});
    g.add({.qbango = "13009200001011"});
    g.add({.qbango = "13005199901015", .sei = "2"});
    EXPECT_EQ(g.log(checkSameStem), "end\n");
}

TEST(DuplicateChecks, KanaReportsEqualReadingsOfOneRegistrationKind)
{
    EntryFixture f;
    f.add({.namae = "一", .kana = "ﾀﾅｶ ｲﾁﾛｳ"});
    f.add({.namae = "二", .kana = "ﾀﾅｶ ｲﾁﾛｳ", .shuFuku = "2"}); // other kind than the first
    f.add({.namae = "三", .kana = "ﾀﾅｶ ｲﾁﾛｳ", .shuFuku = "2"});
    f.add({.namae = "四", .kana = "ﾀﾅｶ ｼﾞﾛｳ", .shuFuku = "2"});
    const std::string kana = pad("ﾀﾅｶ ｲﾁﾛｳ", 16);
    EXPECT_EQ(f.log(checkKana), line(0, kana + " 3 " + name("三") + "2->" + kana + " 2 " + name("二") + "2") + "end\n");
}

TEST(DuplicateChecks, SameStemAndKanaStartANewPageBeforeThe61stLine)
{
    EntryFixture f;
    for (int i = 1; i <= 62; ++i) f.add({.qbango = "13001199804021", .namae = "選手" + std::to_string(i), .kana = "ｵﾅｼﾞ"});
    for (auto report : {checkSameStem, checkKana}) {
        std::istringstream log(f.log(report));
        std::vector<std::string> got;
        for (std::string l; std::getline(log, l);) got.push_back(l.substr(0, l.find('\t', 7)));
        ASSERT_EQ(got.size(), 63u); // 61 lines, a page, the end
        for (int i = 0; i < 60; ++i) EXPECT_EQ(got[i], "text\t0\t" + std::to_string(200 * i)) << i;
        EXPECT_EQ(got[60], "page");
        EXPECT_EQ(got[61], "text\t0\t0");
        EXPECT_EQ(got[62], "end");
    }
    // The number check makes no pages.
    EntryFixture g;
    for (int i = 0; i < 62; ++i) g.add({.bango = "1000001"});
    EXPECT_EQ(g.log(checkNumber).find("page"), std::string::npos);
}
