// Fee amounts, the fee list, receipts and the issuer sample sheet.
#include "reports/FeeReports.h"

#include "platform/Error.h"
#include "reports/ReportFixture.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::reports;
using namespace reporttest;

namespace {

struct FeeTeam {
    std::string key, name, shortName;
    std::map<int, int> q;
    int received = 0;
};

void writeFees(TeamTotalsFile& z, const EntryFile& f, const std::vector<FeeTeam>& teams, const std::map<int, int>& prices)
{
    z.open(f.zedPath());
    const char* const names[] = {"男子（主）", "その他",   "女子（主）", "その他",
                                 "個人男子",   "個人女子", "リレー男子", "リレー女子"};
    for (int k = 0; k < 8; ++k) z.control().setFeeName(k, names[k]);
    z.control().setFeeName(14, "プログラム代金");
    for (auto [k, v] : prices) z.control().setPrice(k, v);
    z.control().setTeamCount(static_cast<std::int16_t>(teams.size()));
    for (std::size_t i = 0; i < teams.size(); ++i) {
        z.clearTeam();
        z.team().setKeyBytes(teams[i].key);
        z.team().setName(teams[i].name);
        z.team().setShortName(teams[i].shortName);
        for (auto [k, v] : teams[i].q) z.team().setQuantity(k, static_cast<std::int16_t>(v));
        z.team().setReceived(teams[i].received);
        z.writeTeam(static_cast<int>(i) + 1);
    }
}

const std::map<int, int> kPrices = {{0, 1000}, {1, 800}, {2, 1000}, {14, 500}};

std::string q15(const std::vector<int>& q)
{
    std::string s;
    for (int k = 0; k < 15; ++k) {
        std::string v = std::to_string(k < static_cast<int>(q.size()) ? q[static_cast<std::size_t>(k)] : 0);
        s += std::string(3 - v.size(), ' ') + v;
    }
    return s;
}

} // namespace

TEST(Fees, AmountsTotalsAndDifference)
{
    TeamTotalRecord t = TeamTotalRecord::cleared();
    ZedControlRecord c = ZedControlRecord::fresh();
    t.setQuantity(0, 3);
    t.setQuantity(14, -2);
    c.setPrice(0, 1000);
    c.setPrice(14, 500);
    t.setReceived(1500);
    TeamFees f = teamFees(t, c);
    EXPECT_EQ(f.amount[0], 3000);
    EXPECT_EQ(f.amount[14], -1000);
    EXPECT_EQ(f.total, 2000);
    EXPECT_EQ(f.difference, -500);

    t.setQuantity(0, 30000);
    c.setPrice(0, 100000); // 3 000 000 000 does not fit 32 bits
    EXPECT_THROW(teamFees(t, c), TolvError);
}

TEST(Fees, AddresseeFormAndCurrency)
{
    EXPECT_EQ(addresseeName("ABC"), "       ABC");
    EXPECT_EQ(addresseeName(std::string("  さくら\0\0", 11)), "    さくら");
    EXPECT_EQ(addresseeName("さくら スイミング クラブ"), "さくらスイミングクラブ"); // every blank goes while too long
    EXPECT_EQ(addresseeName("ab cd ef gh"), "abcd ef gh");                          // one blank is enough
    EXPECT_EQ(addresseeName("abcdefghij"), "abcdefghij");
    EXPECT_EQ(currencyText(0), "¥0");
    EXPECT_EQ(currencyText(999), "¥999");
    EXPECT_EQ(currencyText(1000), "¥1,000");
    EXPECT_EQ(currencyText(1234567), "¥1,234,567");
    EXPECT_EQ(currencyText(-5000), "-¥5,000");
}

TEST(FeeList, HeadLegendTeamLinesAndTotals)
{
    EntryFile f;
    TeamTotalsFile z;
    writeFees(z, f, {{"13001", "", "さくらスイミング", {{0, 3}, {1, 2}, {14, 1}}, 5000}, {"13002", "", "みどり", {{2, 1}}, 1000}},
              kPrices);
    auto ops = parseLog(logOf([&](Printer& p) { printFeeList(p, z, f.store.header()); }));
    auto pg = pages(ops);
    ASSERT_EQ(pg.size(), 1u);
    const std::vector<std::string> want = {
        "8000 1000 2008/04/20  09:05:07",
        "4000 1240 申  込  金  一  覧",
        "8000 1480 事業名 春季大会",
        "8000 1720 場  所:辰巳国際",
        "8000 1960 期  日:2008/05/10",
        "8000 2200       :2008/05/11",
        "8000 2440 コード:0813001",
        "300 2920  1 男子（主） ",
        "1900 2920  1000",
        "2800 2920  2 その他   ",
        "4400 2920   800",
        "5300 2920  3 女子（主） ",
        "6900 2920  1000",
        "7800 2920  4 その他   ",
        "9400 2920     0",
        "300 3160  5 個人男子  ",
        "1900 3160     0",
        "2800 3160  6 個人女子  ",
        "4400 3160     0",
        "5300 3160  7 リレー男子 ",
        "6900 3160     0",
        "7800 3160  8 リレー女子 ",
        "9400 3160     0",
        "300 3400  9       ",
        "1900 3400     0",
        "2800 3400 10       ",
        "4400 3400     0",
        "5300 3400 11       ",
        "6900 3400     0",
        "7800 3400 12       ",
        "9400 3400     0",
        "300 3640 13       ",
        "1900 3640     0",
        "2800 3640 14       ",
        "4400 3640     0",
        "5300 3640 15 プログラム代",
        "6900 3640   500",
        "300 4120       クラブ",
        "3000 4120   1  2  3  4  5  6  7  8  9 10 11 12 13 14 15    合計    入金   差額",
        "300 4360 " + std::string(91, '-'),
        "300 4600   1 13001 さくらスイミ",
        "3000 4600 " + q15({3, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}) + "    5100    5000   -100",
        "300 4840   2 13002 みどり   ",
        "3000 4840 " + q15({0, 0, 1}) + "    1000    1000      0",
        "300 5080 " + std::string(91, '-'),
        "3000 5320 " + q15({3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}) + "    6100    6000   -100",
    };
    ASSERT_EQ(pg[0].size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(pg[0][i], want[i]) << i;
    EXPECT_EQ(ops.back().kind, "end");
}

TEST(FeeList, SumsOverAllTeamsArePrintedWhateverTheirSize)
{
    // 300 teams with 36,689 men's individual entries between them, charged 100,000 each: the
    // quantity sum passes 16 bits and the amount sum 32 bits; both are printed as they are.
    EntryFile f;
    TeamTotalsFile z;
    std::vector<FeeTeam> teams;
    for (int i = 0; i < 300; ++i) teams.push_back({std::to_string(13001 + i), "", "t", {{4, i < 211 ? 122 : 123}}, 0});
    writeFees(z, f, teams, {{4, 100000}});
    auto pg = pages(parseLog(logOf([&](Printer& p) { printFeeList(p, z, f.store.header()); })));
    EXPECT_EQ(pg.back().back().substr(pg.back().back().find(' ', 5) + 1),
              "  0  0  0  036689  0  0  0  0  0  0  0  0  0  03668900000       0-3668900000");
}

TEST(FeeList, FortyTeamsRepeatAllHeadsOnPageTwoBeforeTheTotals)
{
    EntryFile f;
    std::vector<FeeTeam> teams;
    for (int i = 1; i <= 40; ++i) teams.push_back({std::to_string(13000 + i), "", "T", {{0, 1}}, 1000});
    TeamTotalsFile z;
    writeFees(z, f, teams, kPrices);
    auto pg = pages(parseLog(logOf([&](Printer& p) { printFeeList(p, z, f.store.header()); })));
    ASSERT_EQ(pg.size(), 2u);
    // 7 head items, 30 legend items, 3 column head items, 40 teams of 2, the closing rule.
    ASSERT_EQ(pg[0].size(), 40u + 80u + 1u);
    EXPECT_EQ(pg[0].back(), "300 14200 " + std::string(91, '-'));
    ASSERT_EQ(pg[1].size(), 40u + 2u);
    EXPECT_EQ(pg[1][39], "300 4360 " + std::string(91, '-'));
    EXPECT_EQ(pg[1][40], "300 4600 " + std::string(91, '-'));
    EXPECT_EQ(pg[1][41], "3000 4840 " + q15({40}) + "   40000   40000      0");
}

TEST(Receipts, OnePerChargedLineTwoToAPageLowerHalfFirst)
{
    EntryFile f;
    TeamTotalsFile z;
    writeFees(z, f,
              {{"13001", "さくらスイミングクラブ", "", {{0, 3}, {1, 2}, {14, 1}}},
               {"13002", "無料", "", {}},
               {"13003", "ABC", "", {{2, 1}}}},
              kPrices);
    std::string log = logOf([&](Printer& p) { printReceipts(p, z, 1, 2, ReceiptIssuer::defaults()); });
    auto ops = parseLog(log);
    // Team 1 has three charged lines; team 2 none; team 3 lies outside the range.
    EXPECT_EQ(where(ops, "領   収   証"), (std::vector<std::string>{"3300 7750", "3300 400", "3300 7750"}));
    EXPECT_EQ(count(ops, "page"), 1);
    EXPECT_EQ(pages(ops).size(), 2u);
    EXPECT_EQ(where(ops, "¥1,600.-"), (std::vector<std::string>{"4000 2500"}));
    EXPECT_EQ(where(ops, "ﾌﾟﾛｸﾞﾗﾑ"), std::vector<std::string>{});

    const std::string first = log.substr(0, log.find("text\t3300\t400\t"));
    EXPECT_EQ(first, "font\tＭＳ 明朝\t12\n"
                     "font\tＭＳ 明朝\t28\n"
                     "text\t3300\t7750\t領   収   証\n"
                     "font\tＭＳ 明朝\t15\n"
                     "text\t7500\t8150\tNo. 13001\n"
                     "text\t6000\t8550\t2008年04月20日\n"
                     "font\tＭＳ 明朝\t20\n"
                     "text\t1300\t9050\tさくらスイミングクラブ  御中\n"
                     "font\tＭＳ 明朝\t28\n"
                     "text\t4000\t9850\t¥3,000.-\n"
                     "font\tＭＳ 明朝\t15\n"
                     "text\t2000\t10950\t男子（主） @1000×3\n"
                     "text\t2500\t11950\t上記の金額正に領収致しました\n"
                     "box\t7900\t12050\t8600\t12950\t1\n"
                     "line\t7900\t12300\t8600\t12300\t1\n"
                     "font\tＭＳ 明朝\t10\n"
                     "text\t7950\t12090\t扱者印\n"
                     "font\tＭＳ 明朝\t15\n"
                     "text\t2500\t12450\t〒000-0000 東京都（連盟所在地）\n"
                     "font\tＭＳ 明朝\t20\n"
                     "text\t2500\t12850\t日本水泳連盟\n"
                     "font\tＭＳ 明朝\t10\n"
                     "text\t2000\t13550\t1.本連盟は民法第34条による公益法人ですから収入印紙は添付いたしません。\n"
                     "text\t2000\t13750\t2.金額訂正ならびに扱者印のないものは無効です。\n"
                     "font\tＭＳ 明朝\t28\n");
    // The third receipt: "プログラム代金" cut to six characters, on the lower half of page 2.
    EXPECT_EQ(where(ops, "プログラム代@500×1"), (std::vector<std::string>{"2000 10950"}));
    EXPECT_EQ(ops.back().kind, "end");
}

TEST(Receipts, IssuerLinesAndSizesComeFromTheWindowAndTheRangeIsClamped)
{
    EntryFile f;
    TeamTotalsFile z;
    writeFees(z, f, {{"13001", "A", "", {{0, 1}}}, {"13002", "B", "", {{0, 1}}}}, kPrices);
    ReceiptIssuer issuer = ReceiptIssuer::defaults();
    issuer.text[1] = "東京都水泳協会";
    issuer.size[1] = "24";
    issuer.size[2] = "abc"; // not a number: the default size
    auto ops = parseLog(logOf([&](Printer& p) { printReceipts(p, z, -3, 99, issuer); }));
    EXPECT_EQ(where(ops, "東京都水泳協会"), (std::vector<std::string>{"2500 12850", "2500 5500"}));
    // Two receipts: a page follows the second, before the end of the job.
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[ops.size() - 2].kind, "page");
    bool size24 = false;
    for (const Op& op : ops) size24 |= op.kind == "font" && op.text == "ＭＳ 明朝 24";
    EXPECT_TRUE(size24);
    EXPECT_EQ(where(ops, "No. 13002"), (std::vector<std::string>{"7500 800"}));
}

TEST(AddressSample, SevenGrowingLinesAndOneAtTheFoot)
{
    auto ops = parseLog(logOf([](Printer& p) { printAddressSample(p); }));
    EXPECT_EQ(where(ops, "日本水泳連盟"), (std::vector<std::string>{"1000 0", "2000 380", "3000 780", "4000 1200", "5000 1640",
                                                                    "6000 2100", "7000 2580", "8000 8000"}));
    EXPECT_EQ(ops.back().kind, "end");
}
