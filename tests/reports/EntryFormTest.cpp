// The entry form sheets: template geometry, sheet heads and swimmer columns.
#include "reports/EntryForm.h"

#include "reports/ReportFixture.h"
#include "reports/Tally.h"
#include "storage/TeamTotalsFile.h"

#include <gtest/gtest.h>

#include <set>

using namespace tolv;
using namespace tolv::reports;
using namespace reporttest;

namespace {

Swimmer member(const std::string& qbango, const std::string& namae)
{
    Swimmer w;
    w.qbango = qbango;
    w.namae = namae;
    return w;
}

std::vector<Op> formLog(EntryFile& f, int first, int last)
{
    runTally(f.store, f.store.header().botai(), MasterSource::local(f.dir()));
    TeamTotalsFile z;
    z.open(f.zedPath());
    return parseLog(logOf([&](Printer& p) { printEntryForm(p, z, f.store, first, last); }));
}

} // namespace

TEST(EntryForm, SixSwimmersGiveTwoSheetsWithTheirColumns)
{
    EntryFile f;
    Swimmer a = member("13001200105011", "山田　太郎");
    a.bango = "1300101";
    a.kana = "ﾔﾏﾀﾞ ﾀﾛｳ ﾃｽﾄﾃｽﾄ";
    a.torobi = 200804;
    a.nenrei = 6;
    a.gakunen = "11";
    a.kiro = {{0, 1523}, {2, 10523}, {28, 666666}, {29, 3000}};
    f.add(a);
    f.add(member("14001199901011", "他県　選手")); // another team between them
    for (int i = 2; i <= 5; ++i) f.add(member("1300120010501" + std::to_string(i), "選手" + std::to_string(i)));
    Swimmer last = member("13001199912315", "最後の選手名前長");
    last.sei = "2";
    last.shuFuku = "2";
    f.add(last);

    auto ops = formLog(f, 1, 1);
    auto pg = pages(ops);
    ASSERT_EQ(pg.size(), 2u);
    EXPECT_EQ(count(ops, "box"), 2);
    EXPECT_EQ(where(ops, "1/2"), (std::vector<std::string>{"9270 750"}));
    EXPECT_EQ(where(ops, "2/2"), (std::vector<std::string>{"9270 750"}));
    EXPECT_EQ(where(ops, "大会参加申込書"), (std::vector<std::string>{"4200 750", "4200 750"}));
    EXPECT_EQ(where(ops, "13001  さくらＳＣ  "), (std::vector<std::string>{"6520 1650", "6520 1650"}));
    EXPECT_EQ(where(ops, "大会名  春季大会"), (std::vector<std::string>{"1200 1650", "1200 1650"}));
    EXPECT_EQ(where(ops, "期　日  2008/05/10 ～ 2008/05/11"), (std::vector<std::string>{"1200 2150", "1200 2150"}));
    EXPECT_EQ(where(ops, "責任者　").size(), 2u);

    // Column 0: swimmer 1; columns 1-4: swimmers 3-6 (record numbers); sheet 2 column 0: swimmer 7.
    const std::vector<std::string> page1(pg[0].begin(), pg[0].end());
    auto has = [](const std::vector<std::string>& page, const std::string& item) {
        return std::find(page.begin(), page.end(), item) != page.end();
    };
    EXPECT_TRUE(has(page1, "3600 4550 1"));
    EXPECT_TRUE(has(page1, "2850 4850 1300101"));
    EXPECT_TRUE(has(page1, "3050 5150 主"));
    EXPECT_TRUE(has(page1, "2850 5450 2008-04"));
    EXPECT_TRUE(has(page1, "2550 5750 ﾔﾏﾀﾞ ﾀﾛｳ ﾃｽﾄ"));
    EXPECT_TRUE(has(page1, "2550 6050 山田　太郎   "));
    EXPECT_TRUE(has(page1, "2750 6350 11"));
    EXPECT_TRUE(has(page1, "3350 6350 6"));
    EXPECT_TRUE(has(page1, "2650 6650 2001-05-01-1"));
    // A time's pieces stand in the gaps of the template ":    ." at x0 + 450 (10 points): minutes
    // end at the ":", seconds between ":" and ".", hundredths after the ".".
    EXPECT_TRUE(has(page1, "3160 6900 15"));
    EXPECT_TRUE(has(page1, "3600 6900 23"));
    EXPECT_TRUE(has(page1, "2720 7500  1"));
    EXPECT_TRUE(has(page1, "3160 7500 05"));
    EXPECT_TRUE(has(page1, "3600 7500 23"));
    EXPECT_TRUE(has(page1, "3000 7560 :    ."));
    EXPECT_EQ(where(ops, "  ").size(), 0u); // no blank minutes
    // A mark stands alone: its row has no template ":    ." in the swimmer's column.
    EXPECT_TRUE(has(page1, "2750 15300 参加"));
    EXPECT_FALSE(has(page1, "3000 15360 :    ."));
    EXPECT_TRUE(has(page1, "4500 15360 :    ."));
    EXPECT_EQ(where(ops, ":    .").size(), 29u * 5u * 2u - 1u);
    EXPECT_TRUE(has(page1, "5100 4550 3"));
    EXPECT_TRUE(has(page1, "9600 4550 6"));
    EXPECT_TRUE(has(page1, "3050 5150 主"));
    EXPECT_FALSE(has(page1, "2750 15600    30.00")); // reserve slot 29 never appears
    for (const std::string& item : page1) EXPECT_EQ(item.find("他県"), std::string::npos);
    EXPECT_TRUE(has(pg[1], "3600 4550 7"));
    EXPECT_TRUE(has(pg[1], "3050 5150 副"));
    EXPECT_TRUE(has(pg[1], "2550 6050 最後の選手名前長"));
    EXPECT_TRUE(has(pg[1], "2650 6650 1999-12-31-5"));
    EXPECT_TRUE(has(pg[1], "2850 5450       "));
    // Times are printed at 14 points, the rest at 10.
    bool sawBig = false;
    for (const Op& op : ops) {
        if (op.kind == "font" && op.text == "ＭＳ 明朝 14") sawBig = true;
        if (op.kind == "text" && op.text == "15") {
            EXPECT_TRUE(sawBig);
        }
    }
}

TEST(EntryForm, SheetTemplateGeometry)
{
    EntryFile f;
    f.add(member("13001200105011", "山田　太郎"));
    auto ops = formLog(f, 1, 1);
    std::multiset<std::string> lines;
    std::set<int> thick;
    for (const Op& op : ops) {
        if (op.kind == "box") {
            EXPECT_EQ(op.n, (std::vector<int>{1200, 4800, 11020, 15600, 5}));
        }
        if (op.kind != "line") continue;
        if (op.n[4] == 3) {
            EXPECT_EQ(op.n[0], 1200);
            EXPECT_EQ(op.n[2], 11020);
            thick.insert(op.n[1]);
        }
        if (op.n[0] == op.n[2])
            lines.insert("v" + std::to_string(op.n[0]) + ":" + std::to_string(op.n[1]) + "-" + std::to_string(op.n[3]));
    }
    EXPECT_EQ(thick, (std::set<int>{6900, 9000, 10200, 11400, 12600, 13500, 14400}));
    for (int k = 0; k <= 5; ++k) EXPECT_EQ(lines.count("v" + std::to_string(2520 + 1500 * k) + ":4800-15600"), 1u) << k;
    EXPECT_EQ(count(ops, "line"), 42);

    auto at = [&](const std::string& t) { return where(ops, t); };
    EXPECT_EQ(at(" 登録番号"), (std::vector<std::string>{"1345 4860"}));
    EXPECT_EQ(at("生年月日性"), (std::vector<std::string>{"1345 6660"}));
    EXPECT_EQ(at("1500m"), (std::vector<std::string>{"1900 8760"}));
    EXPECT_EQ(at("  25m").size(), 4u);
    EXPECT_EQ(at(" 800m"), (std::vector<std::string>{"1900 8460", "1900 15360"}));
    EXPECT_EQ(at("イ"), (std::vector<std::string>{"1245 12330"}));
    EXPECT_EQ(at("Ｒ"), (std::vector<std::string>{"1245 13960", "1245 15160"}));
    EXPECT_EQ(at(":    .").size(), 29u * 5u);
    EXPECT_EQ(at(":    .")[0], "3000 6960");
    EXPECT_EQ(at("･"), (std::vector<std::string>{"3210 6360", "4710 6360", "6210 6360", "7710 6360", "9210 6360"}));
}

TEST(EntryForm, SheetTotalComesFromTheTallysPersonCounts)
{
    EntryFile f;
    for (int i = 1; i <= 6; ++i) {
        Swimmer w = member("1300120010501" + std::to_string(i), "選手");
        if (i == 6) w.gakunen = "75"; // a relay age class counts no person
        f.add(w);
    }
    f.add(member("13002200105011", "別チーム"));
    auto ops = formLog(f, 1, 5);
    // 13001 prints sheets 1/1 and 2/1; 13002 its own 1/1.
    EXPECT_EQ(where(ops, "1/1").size(), 2u);
    EXPECT_EQ(where(ops, "2/1").size(), 1u);
    EXPECT_EQ(count(ops, "box"), 3); // team 13002 gets a sheet of its own
    EXPECT_EQ(where(ops, "13002  さくらＳＣ  ").size(), 1u);

    // A range that holds no teams prints an empty job.
    auto none = formLog(f, 3, 9);
    ASSERT_EQ(none.size(), 2u);
    EXPECT_EQ(none[1].kind, "end");
}

TEST(EntryForm, PrefectureBodyFindsTheSwimmersOfThePrefectureKey)
{
    EntryFile f(1);
    f.add(member("13001200105011", "一"));
    f.add(member("13002200105011", "二"));
    auto ops = formLog(f, 1, 1);
    EXPECT_EQ(where(ops, "1/1").size(), 1u);
    EXPECT_EQ(where(ops, "一       "), (std::vector<std::string>{"2550 6050"}));
    EXPECT_EQ(where(ops, "二       "), (std::vector<std::string>{"4050 6050"}));
}
