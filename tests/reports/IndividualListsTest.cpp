// The individual lists: display texts, page flow and the range rules.
#include "reports/IndividualLists.h"

#include "reports/ReportFixture.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::reports;
using namespace reporttest;

TEST(IndividualTexts, SexMainSecondaryAndRegistrationDate)
{
    EXPECT_EQ(sexMark("1"), "男");
    EXPECT_EQ(sexMark("2"), "女");
    EXPECT_EQ(sexMark("3"), "混");
    EXPECT_EQ(sexMark(" "), "");
    EXPECT_EQ(mainSecondaryText(""), "  ");
    EXPECT_EQ(mainSecondaryText("1"), "主");
    EXPECT_EQ(mainSecondaryText("2"), "副");
    EXPECT_EQ(mainSecondaryText("5"), "５");
    EXPECT_EQ(registrationDateText(0), "    -  ");
    EXPECT_EQ(registrationDateText(200804), "2008-04");
    EXPECT_EQ(registrationDateText(20080401), "2008-04"); // a date with its day still shows the month
}

TEST(IndividualTexts, EventMarksFollowTheDistanceHead)
{
    Swimmer w;
    w.kiro = {{2, 10523}};
    EXPECT_EQ(eventMarks(swimmerRecord(1, w)), ":--*----:----:----:----:---:---:----:" + std::string(15, '-') + ":");
    w.kiro = {{0, 1}, {6, 1}, {7, 1}, {21, 666666}, {22, 1}, {28, 1}, {29, 1}, {43, 700001}};
    EXPECT_EQ(eventMarks(swimmerRecord(1, w)), ":*-----*:*---:----:----:--*:*--:---*:*-------------*:");
}

TEST(IndividualTexts, RangeRules)
{
    EXPECT_EQ(clampFirst("0"), 1);
    EXPECT_EQ(clampFirst("-4"), 1);
    EXPECT_EQ(clampFirst("abc"), 1);
    EXPECT_EQ(clampFirst("7"), 7);
    EXPECT_EQ(clampLast("99", 12), 12);
    EXPECT_EQ(clampLast("5", 12), 5);
    EXPECT_EQ(clampLast("x", 12), 0);
}

TEST(IndividualList, HeadColumnsAndOneLinePerSwimmer)
{
    EntryFile f;
    Swimmer a;
    a.qbango = "13001200105011";
    a.bango = "1300101";
    a.nenrei = 7;
    a.gakunen = "12";
    a.torobi = 200804;
    f.add(a);
    Swimmer b = a;
    b.sei = "2";
    b.shuFuku = "0";
    b.namae = "ABCDEFGHIJKLMNOP";
    b.torobi = 0;
    b.shozoku = "みどり";
    f.add(b);
    std::string log = logOf([&](Printer& p) { printIndividualList(p, f.store, 1, 2); });
    EXPECT_EQ(log, "font\tＭＳ 明朝\t11\n"
                   "text\t8000\t1000\t2008/04/20  09:05:07\n"
                   "text\t4000\t1220\t個  人  一  覧\n"
                   "text\t8000\t1440\t事業名 春季大会\n"
                   "text\t8000\t1660\t場  所 辰巳国際\n"
                   "text\t8000\t1880\t期  日 2008/05/10\n"
                   "text\t8000\t2100\t       2008/05/11\n"
                   "text\t8000\t2320\tコード 0813001\n"
                   "text\t500\t2760\t    名   前\n"
                   "text\t2520\t2760\t  カ  ナ\n"
                   "text\t4350\t2760\t性 才 学年\n"
                   "text\t5570\t2760\t  所  属\n"
                   "text\t6930\t2760\tｼｮｿﾞｸ\n"
                   "text\t7720\t2760\t 番 号    旧  番  号    \n"
                   "text\t10600\t2760\t登録日\n"
                   "text\t0\t2980\t" +
                       std::string(103, '-') +
                       "\n"
                       "text\t0\t3200\t    1 山田　太郎      \n"
                       "text\t2520\t3200\tﾔﾏﾀﾞ ﾀﾛｳ        \n"
                       "text\t4350\t3200\t男  7 小2 \n"
                       "text\t5570\t3200\tさくらＳＣ  \n"
                       "text\t6930\t3200\tｻｸﾗ   \n"
                       "text\t7720\t3200\t1300101 13001200105011 主 2008-04\n"
                       "text\t0\t3420\t    2 ABCDEFGHIJKLMNOP\n"
                       "text\t2520\t3420\tﾔﾏﾀﾞ ﾀﾛｳ        \n"
                       "text\t4350\t3420\t女  7 小2 \n"
                       "text\t5570\t3420\tみどり      \n"
                       "text\t6930\t3420\tｻｸﾗ   \n"
                       "text\t7720\t3420\t1300101 13001200105011        -  \n"
                       "end\n");

    // With the organising body "県" the prefecture stands in the affiliation columns.
    f.store.header().setBotai(1);
    auto ops = parseLog(logOf([&](Printer& p) { printIndividualList(p, f.store, 1, 1); }));
    EXPECT_EQ(where(ops, "東京都  "), (std::vector<std::string>{"5570 3200"}));
    EXPECT_EQ(where(ops, "ﾄｳｷｮｳ "), (std::vector<std::string>{"6930 3200"}));
}

TEST(IndividualList, FiftySwimmersEndWithAPageHoldingOnlyThePageHead)
{
    EntryFile f;
    Swimmer a;
    a.qbango = "13001200105011";
    f.addMany(std::vector<Swimmer>(60, a));
    auto pg = pages(parseLog(logOf([&](Printer& p) { printIndividualList(p, f.store, 1, 50); })));
    ASSERT_EQ(pg.size(), 2u);
    EXPECT_EQ(pg[0].size(), 7u + 8u + 50u * 6u);
    EXPECT_EQ(pg[1].size(), 7u);
    EXPECT_EQ(pg[1][0], "8000 1000 2008/04/20  09:05:07");

    pg = pages(parseLog(logOf([&](Printer& p) { printIndividualEventList(p, f.store, 45, 60); })));
    ASSERT_EQ(pg.size(), 2u);
    EXPECT_EQ(pg[0].size(), 7u + 5u + 6u * 4u); // records 45..50
    EXPECT_EQ(pg[1].size(), 7u + 10u * 4u);     // records 51..60 after the page head

    // First above last: the heads only. Beyond the swimmer count: cut to it.
    pg = pages(parseLog(logOf([&](Printer& p) { printIndividualList(p, f.store, 9, 3); })));
    EXPECT_EQ(pg[0].size(), 7u + 8u);
    pg = pages(parseLog(logOf([&](Printer& p) { printIndividualList(p, f.store, 59, 99); })));
    EXPECT_EQ(pg[0].size(), 7u + 8u + 2u * 6u);
}

TEST(IndividualEventList, HeadsAndMarksUnderTheDistanceHead)
{
    EntryFile f;
    Swimmer a;
    a.qbango = "13001200105011";
    a.kiro = {{2, 10523}};
    a.shozoku = "さくらスイミング";
    f.add(a);
    std::string log = logOf([&](Printer& p) { printIndividualEventList(p, f.store, 1, 1, "IPAGothic"); });
    auto ops = parseLog(log);
    EXPECT_EQ(ops[0].text, "IPAGothic 11");
    auto pg = pages(ops);
    ASSERT_EQ(pg[0].size(), 7u + 5u + 4u);
    EXPECT_EQ(pg[0][2], "8000 1440 大会名 春季大会");
    EXPECT_EQ(pg[0][7], "4820 2760 :自由   :背泳:平泳:バタ:個 :Ｍ :Ｆ  :");
    EXPECT_EQ(pg[0][8], "0 2980         名   前");
    EXPECT_EQ(pg[0][9], "2720 2980   所  属");
    EXPECT_EQ(pg[0][10], "4820 2980 :.512485:.512:.512:.512:124:124:1248:");
    EXPECT_EQ(pg[0][11], "500 3200 " + std::string(87, '-'));
    EXPECT_EQ(pg[0][12], "0 3420     1 山田　太郎      ");
    EXPECT_EQ(pg[0][13], "2720 3420 さくらスイミ");
    EXPECT_EQ(pg[0][14], "4420 3420 男");
    EXPECT_EQ(pg[0][15], "4820 3420 :--*----:----:----:----:---:---:----:" + std::string(15, '-') + ":");
}
