// The team list with its HTML copy and the per-event lists, read back from the print log.
#include "reports/TeamLists.h"

#include "platform/Error.h"
#include "reports/ReportFixture.h"
#include "storage/TeamTotalsFile.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::reports;
using namespace reporttest;

namespace {

struct TeamRow {
    std::string key, shortName, board;
    std::vector<int> q; // quantities 0..7
};

// Writes teams 1..n into the totals file beside the entry file and leaves it open in `z`.
void writeTeams(TeamTotalsFile& z, const EntryFile& f, const std::vector<TeamRow>& teams)
{
    z.open(f.zedPath());
    z.control().setTeamCount(static_cast<std::int16_t>(teams.size()));
    for (std::size_t i = 0; i < teams.size(); ++i) {
        z.clearTeam();
        z.team().setKeyBytes(teams[i].key);
        z.team().setShortName(teams[i].shortName);
        z.team().setScoreboard(teams[i].board);
        for (std::size_t k = 0; k < teams[i].q.size(); ++k)
            z.team().setQuantity(static_cast<int>(k), static_cast<std::int16_t>(teams[i].q[k]));
        z.writeTeam(static_cast<int>(i) + 1);
    }
}

std::vector<TeamRow> manyTeams(int n)
{
    std::vector<TeamRow> v;
    for (int i = 1; i <= n; ++i)
        v.push_back({std::to_string(13000 + i), "チーム" + std::to_string(i), "ﾁｰﾑ", {1, 0, 1, 0, 2, 2, 0, 1}});
    return v;
}

const char* const kHead = "font\tＭＳ 明朝\t12\n"
                          "text\t8000\t900\t2008/04/20  09:05:07\n"
                          "text\t4000\t1140\t申  込  団  体  一  覧\n"
                          "text\t8000\t1380\t事業名 春季大会\n"
                          "text\t8000\t1620\t場  所 辰巳国際水泳\n"
                          "text\t8000\t1860\t期  日 2008/05/10\n"
                          "text\t8000\t2100\t       2008/05/11\n"
                          "text\t8000\t2340\tコード 0813001\n"
                          "text\t5000\t2820\t     参加者数             種    目    数 \n"
                          "text\t1000\t3060\t    団体番号 クラブ名     電光                         個  人          リレー\n"
                          "text\t5000\t3300\t   男   女   計    男   女   計    男   女   計\n";
const std::string kRule(81, '-');

} // namespace

TEST(TeamList, PrintsHeadsTeamLinesAndTotalsAndTheHtmlCopy)
{
    EntryFile f;
    TeamTotalsFile z;
    writeTeams(z, f, {{"13001", "さくらＳＣ", "ｻｸﾗ", {3, 1, 2, 0, 5, 4, 2, 1}}, {"13002", "みどりSwim", "ﾐﾄﾞﾘ", {0, 0, 1}}});
    fs::path html = teamListHtmlPath(f.path());
    EXPECT_EQ(html, f.dir() / "meet1.html");
    std::string log = logOf([&](Printer& p) { printTeamList(p, z, f.store.header(), html); });
    EXPECT_EQ(log, std::string(kHead) + "text\t1000\t3540\t" + kRule +
                       "\n"
                       "text\t1000\t3780\t    1 13001 さくらＳＣ  \n"
                       "text\t4000\t3780\tｻｸﾗ   \n"
                       "text\t5000\t3780\t    4    2    6     5    4    9     2    1    3\n"
                       "text\t1000\t4020\t    2 13002 みどりSwim  \n"
                       "text\t4000\t4020\tﾐﾄﾞﾘ  \n"
                       "text\t5000\t4020\t    0    1    1     0    0    0     0    0    0\n"
                       "text\t1000\t4260\t" +
                       kRule +
                       "\n"
                       "text\t5000\t4500\t    4    3    7     5    4    9     2    1    3\n"
                       "end\n");

    // Nine right-aligned cells; the last one of a team row closes the row.
    auto nine = [](std::vector<std::string>& out, const std::vector<std::string>& v, bool teamRow) {
        for (std::size_t i = 0; i < v.size(); ++i)
            out.push_back("<TD ALIGN=\"RIGHT\">" + v[i] + (teamRow && i + 1 == v.size() ? "</TD></TR>" : "</TD>"));
    };
    std::vector<std::string> want = {"<HTML><HEAD><TITLE></TITLE></HEAD><BODY>",
                                     "<TABLE BORDER=\"0\" WIDTH=\"100%\" HEIGHT=\"100%\">",
                                     "<TR><TD COLSPAN=\"2\" ALIGN=\"CENTER\">団体</TD>",
                                     "<TD >クラブ名</TD>",
                                     "<TD >電光</TD>",
                                     "<TD COLSPAN=\"3\" ALIGN=\"CENTER\">参加者数</TD>",
                                     "<TD COLSPAN=\"6\" ALIGN=\"CENTER\">種    目    数</TD>",
                                     "</TR>",
                                     "<TR><TD COLSPAN=\"7\"></TD>",
                                     "<TD COLSPAN=\"3\" ALIGN=\"CENTER\">個  人</TD>",
                                     "<TD COLSPAN=\"3\" ALIGN=\"CENTER\">リレー</TD>",
                                     "<TD COLSPAN=\"3\" ALIGN=\"CENTER\"></TD>",
                                     "<TD COLSPAN=\"6\" ALIGN=\"CENTER\"></TD>",
                                     "</TR>",
                                     "</TR>",
                                     "<TR><TD COLSPAN=\"4\"></TD>"};
    nine(want, {"男", "女", "計", "男", "女", "計", "男", "女", "計"}, false);
    want.insert(want.end(),
                {"</TR>", "<TR><TD ALIGN=\"RIGHT\">1</TD>", "<TD>13001</TD>", "<TD>さくらＳＣ  </TD>", "<TD>ｻｸﾗ   </TD>"});
    nine(want, {"4", "2", "6", "5", "4", "9", "2", "1", "3"}, true);
    want.insert(want.end(), {"<TR><TD ALIGN=\"RIGHT\">2</TD>", "<TD>13002</TD>", "<TD>みどりSwim  </TD>", "<TD>ﾐﾄﾞﾘ  </TD>"});
    nine(want, {"0", "1", "1", "0", "0", "0", "0", "0", "0"}, true);
    want.push_back("<TR><TD COLSPAN=\"4\"></TD>");
    nine(want, {"4", "3", "7", "5", "4", "9", "2", "1", "3"}, false);
    want.insert(want.end(), {"</TR>", "</TABLE></BODY></HTML>"});
    std::string expected;
    for (const std::string& l : want) expected += tolvtest::sj(l) + "\r\n";
    EXPECT_EQ(tolvtest::readBytes(html), expected);
}

TEST(TeamList, NoTeamsGiveHeadsRuleAndZeroTotals)
{
    EntryFile f;
    TeamTotalsFile z;
    z.open(f.zedPath());
    std::string html;
    std::string log = logOf([&](Printer& p) { html = printTeamList(p, z, f.store.header()); });
    EXPECT_EQ(log, std::string(kHead) + "text\t1000\t3540\t" + kRule + "\ntext\t1000\t3780\t" + kRule +
                       "\ntext\t5000\t4020\t    0    0    0     0    0    0     0    0    0\nend\n");
    // Head rows, then straight the totals row.
    EXPECT_NE(html.find("<TD ALIGN=\"RIGHT\">計</TD>\r\n</TR>\r\n<TR><TD COLSPAN=\"4\"></TD>\r\n<TD ALIGN=\"RIGHT\">0</TD>"),
              std::string::npos);
    EXPECT_EQ(html.find("<TR><TD ALIGN=\"RIGHT\">"), std::string::npos);
}

TEST(TeamList, FiftyTeamsEndPageOneWithTheRuleAndPrintTotalsOnPageTwo)
{
    EntryFile f;
    TeamTotalsFile z;
    writeTeams(z, f, manyTeams(50));
    auto ops = parseLog(logOf([&](Printer& p) { printTeamList(p, z, f.store.header()); }));
    auto pg = pages(ops);
    ASSERT_EQ(pg.size(), 2u);
    // Page 1: ten head items, the head rule, 50 teams of three items, the closing rule.
    ASSERT_EQ(pg[0].size(), 162u);
    EXPECT_EQ(pg[0][158], "1000 15540    50 13050 チーム50    ");
    EXPECT_EQ(pg[0][161], "1000 15780 " + kRule);
    // Page 2: heads again, the rule and the totals.
    ASSERT_EQ(pg[1].size(), 13u);
    EXPECT_EQ(pg[1][0], "8000 900 2008/04/20  09:05:07");
    EXPECT_EQ(pg[1][10], "1000 3540 " + kRule);
    EXPECT_EQ(pg[1][11], "1000 3780 " + kRule);
    EXPECT_EQ(pg[1][12], "5000 4020    50   50  100   100  100  200     0   50   50");

    writeTeams(z, f, manyTeams(51));
    pg = pages(parseLog(logOf([&](Printer& p) { printTeamList(p, z, f.store.header()); })));
    ASSERT_EQ(pg.size(), 2u);
    EXPECT_EQ(pg[1][11], "1000 3780    51 13051 チーム51    ");
    EXPECT_EQ(pg[1].back(), "5000 4260    51   51  102   102  102  204     0   51   51");
}

TEST(TeamList, TotalsOverAllTeamsAreWideATeamsOwnFiguresStay16Bit)
{
    // A 30,000-swimmer federation file: 300 teams whose men's individual entries add up to 36,689.
    EntryFile f;
    TeamTotalsFile z;
    std::vector<TeamRow> teams;
    for (int i = 0; i < 300; ++i)
        teams.push_back({std::to_string(13001 + i), "t", "t", {50, 0, 50, 0, i < 211 ? 122 : 123, 120, 0, 0}});
    writeTeams(z, f, teams);
    fs::path html = teamListHtmlPath(f.path());
    auto ops = parseLog(logOf([&](Printer& p) { printTeamList(p, z, f.store.header(), html); }));
    const auto pg = pages(ops);
    EXPECT_EQ(pg.back().back(), "5000 4020 150001500030000 366893600072689     0    0    0");
    EXPECT_NE(tolvtest::readBytes(html).find("<TD ALIGN=\"RIGHT\">72689</TD>"), std::string::npos);

    // One team's own figure beyond 16 bits still stops before anything is printed or written.
    fs::remove(html);
    writeTeams(z, f, {{"13001", "a", "a", {30000, 3000}}});
    std::string log;
    try {
        log = logOf([&](Printer& p) { printTeamList(p, z, f.store.header(), html); });
        FAIL() << "no overflow";
    } catch (const TolvError& e) {
        EXPECT_STREQ(e.what(), "オーバーフローしました。");
    }
    EXPECT_EQ(log, "");
    EXPECT_FALSE(fs::exists(html));
}

TEST(EventList, PrintsMenWomenAndSumPerSlotTenTeamsAPage)
{
    EntryFile f;
    TeamTotalsFile z;
    writeTeams(z, f, manyTeams(11));
    z.readTeam(1);
    z.team().setEntries(0, TeamTotalRecord::Men, 1);
    z.team().setEntries(0, TeamTotalRecord::Women, 2);
    z.team().setEntries(28, TeamTotalRecord::Women, 12);
    z.team().setEntries(29, TeamTotalRecord::Men, 4);
    z.writeTeam(1);

    auto ops = parseLog(logOf([&](Printer& p) { printEventList(p, z, f.store.header(), false); }));
    auto pg = pages(ops);
    ASSERT_EQ(pg.size(), 2u);
    const std::vector<std::string> head = {
        "8000 1000 2008/04/20  09:05:07",
        "4000 1240 団  体  種  目  一  覧",
        "8000 1480 事業名 春季大会",
        "8000 1720 場  所 辰巳国際",
        "8000 1960 期  日 2008/05/10",
        "8000 2200        2008/05/11",
        "8000 2440 コード 0813001",
        "500 2920    自由形               背泳ぎ       平泳ぎ      バタフライ  個人メド Ｍリレ  Ｆリレ",
        "500 3160     .  5  1  2  4  8 15: .  5  1  2: .  5  1  2: .  5  1  2: 1  2  4: 1  2  4: 1  2  4  8: ",
        "500 3400 " + std::string(90, '-')};
    ASSERT_EQ(pg[0].size(), head.size() + 40u);
    for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(pg[0][i], head[i]);
    std::string zeros;
    for (int i = 0; i < 27; ++i) zeros += "  0";
    EXPECT_EQ(pg[0][10], "400 3640   1   13001 チーム1     ");
    EXPECT_EQ(pg[0][11], "500 3880 男  1" + zeros + "  0");
    EXPECT_EQ(pg[0][12], "500 4120 女  2" + zeros + " 12");
    EXPECT_EQ(pg[0][13], "500 4360 計  3" + zeros + " 12");
    EXPECT_EQ(pg[0][14], "400 4840   2   13002 チーム2     "); // after an empty line
    // Page 2: the heads and team 11.
    ASSERT_EQ(pg[1].size(), head.size() + 4u);
    EXPECT_EQ(pg[1][10], "400 3640  11   13011 チーム11    ");

    // The reserve list: fifteen columns from slot 29, one column head line.
    pg = pages(parseLog(logOf([&](Printer& p) { printEventList(p, z, f.store.header(), true); })));
    EXPECT_EQ(pg[0][1], "4000 1240 団  体  種  目  (予備)  一  覧");
    EXPECT_EQ(pg[0][7], "500 2920     .  .  .  .  .  .  .: .  .  .  .: .  .  .  .: .  .  .  .: .  .  .: .  .  .: .  .  .  .: ");
    EXPECT_EQ(pg[0][8], "500 3160 " + std::string(90, '-'));
    std::string zeros14;
    for (int i = 0; i < 14; ++i) zeros14 += "  0";
    EXPECT_EQ(pg[0][10], "500 3640 男  4" + zeros14);
    EXPECT_EQ(pg[0][12], "500 4120 計  4" + zeros14);

    // Exactly ten teams: the second page holds only the heads.
    writeTeams(z, f, manyTeams(10));
    pg = pages(parseLog(logOf([&](Printer& p) { printEventList(p, z, f.store.header(), false); })));
    ASSERT_EQ(pg.size(), 2u);
    EXPECT_EQ(pg[1].size(), head.size());
}
