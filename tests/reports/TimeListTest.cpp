// The entry time list: team heads, swimmer lines and sheet overflow.
#include "reports/TimeList.h"

#include "reports/ReportFixture.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::reports;
using namespace reporttest;

namespace {

Swimmer swimmer(const std::string& qbango, const std::string& shozoku, std::map<int, std::int32_t> kiro = {})
{
    Swimmer w;
    w.qbango = qbango;
    w.shozoku = shozoku;
    w.kiro = std::move(kiro);
    return w;
}

std::vector<std::string> head(const std::string& club, const std::string& key)
{
    return {"2850 1000 * * *  競 技 会 申 し 込 み (ｴﾝﾄﾘｰTIME) 一 覧 表  * * *",
            "9620 1180 PAGE = 1",
            "9620 1360 日付 : 2008/04/20",
            "400 1720 登録団体名(NO) : " + club,
            "3350 1720 (" + key + ")",
            "7460 1900 種目  ＝  ",
            "8270 1900 自 : 自由形    背 : 背泳ぎ",
            "8270 2080 平 : 平泳ぎ    バ : バタフライ",
            "8270 2260 個 : 個人メドレー",
            "100 2620 SEQ    競 技 者      性別  学種    年齢",
            "4000 2620 距離 種  TIME    :  距離 種  TIME    :  距離 種  TIME    :  距離 種  TIME",
            "100 2800 " + std::string(120, '-')};
}

} // namespace

TEST(TimeList, Labels)
{
    EXPECT_EQ(timeListLabel(0), "  25 自 ");
    EXPECT_EQ(timeListLabel(6), "1500 自 ");
    EXPECT_EQ(timeListLabel(10), " 200 背 ");
    EXPECT_EQ(timeListLabel(15), "  25 バ ");
    EXPECT_EQ(timeListLabel(21), " 400 個 ");
    EXPECT_EQ(timeListLabel(22), "");
}

TEST(TimeList, ATeamThatRecursGetsASecondHead)
{
    EntryFile f;
    f.add(swimmer("13001200105011", "さくらＳＣ", {{0, 1523}, {1, 666666}, {22, 10000}, {29, 3000}, {21, 52345}}));
    f.add(swimmer("13002199901015", "みどり", {}));
    f.add(swimmer("13001200202021", "さくらＳＣ", {{7, 700002}}));
    auto ops = parseLog(logOf([&](Printer& p) { printTimeList(p, f.store, 0, "ＭＳ 明朝"); }));
    EXPECT_EQ(ops[0].text, "ＭＳ 明朝 9");
    auto pg = pages(ops);
    ASSERT_EQ(pg.size(), 3u);

    std::vector<std::string> want = head("さくらＳＣ  ", "13001");
    for (const char* s : {"100 2980   1   山田　太郎   ", "2150 2980 1", "2730 2980 11     9 ", "4000 2980   25 自    15.23    ",
                          "5800 2980   50 自 参加    ", "7240 2980  400 個  5:23.45    "})
        want.push_back(s);
    EXPECT_EQ(pg[0], want);

    want = head("みどり      ", "13002");
    want.push_back("100 2980   2   山田　太郎   ");
    want.push_back("2150 2980 2");
    want.push_back("2730 2980 11     9 ");
    EXPECT_EQ(pg[1], want); // no events: number, name, sex, grade and age only

    EXPECT_EQ(pg[2][4], "3350 1720 (13001)");
    EXPECT_EQ(pg[2][12], "100 2980   3   山田　太郎   ");
    EXPECT_EQ(pg[2][15], "4000 2980   25 背 泳法    ");
    EXPECT_EQ(ops.back().kind, "end");
}

TEST(TimeList, PrefectureKeyAndControlCharactersInTheClubName)
{
    EntryFile f(1);
    Swimmer a = swimmer("13001200105011", "");
    f.add(a);
    f.add(swimmer("13002200105011", "x"));
    // A club name that was never assigned prints as blanks.
    std::string bytes = f.bytes();
    bytes.replace(10 * 384 + 71, 12, std::string(12, '\0'));
    f.store.close();
    tolvtest::writeBytes(f.path(), bytes);
    f.store.openEntryFile(f.path());
    auto pg = pages(parseLog(logOf([&](Printer& p) { printTimeList(p, f.store, 1); })));
    ASSERT_EQ(pg.size(), 1u); // both swimmers under 13000
    EXPECT_EQ(pg[0][3], "400 1720 登録団体名(NO) : " + std::string(12, ' '));
    EXPECT_EQ(pg[0][4], "3350 1720 (13000)");
}

TEST(TimeList, LinesPastTheSheetContinueWithoutAHead)
{
    EntryFile f;
    f.addMany(std::vector<Swimmer>(80, swimmer("13001200105011", "さくら")));
    auto ops = parseLog(logOf([&](Printer& p) { printTimeList(p, f.store, 0); }));
    auto pg = pages(ops);
    ASSERT_EQ(pg.size(), 2u);
    EXPECT_EQ(pg[0].size(), 12u + 76u * 3u);
    EXPECT_EQ(pg[0].back(), "2730 16480 11     9 ");
    ASSERT_EQ(pg[1].size(), 4u * 3u);
    EXPECT_EQ(pg[1][0], "100 0  77   山田　太郎   ");
}

TEST(TimeList, AnEmptyFileEndsAnEmptyJob)
{
    EntryFile f;
    EXPECT_EQ(logOf([&](Printer& p) { printTimeList(p, f.store, 0); }), "font\tＭＳ 明朝\t9\nend\n");
}
