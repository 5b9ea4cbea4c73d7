#include "registration/RegistrationDocs.h"

#include "platform/Error.h"
#include "platform/Printer.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tolv;
using namespace tolv::registration;
using tolvtest::readBytes;
using tolvtest::sj;
namespace fs = std::filesystem;

namespace {

SwimmerRecord athlete(const std::string& sei, const std::string& shuFuku, const std::string& grade)
{
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setSei(sei);
    s.setShuFuku(shuFuku);
    s.setGakunen(grade);
    return s;
}

RegisteredTeam team(const std::string& code, const std::string& name, bool registered, std::array<int, 4> counts)
{
    RegisteredTeam t;
    t.code = code;
    t.name = name;
    t.reg.registered = registered;
    t.reg.counts = counts;
    return t;
}

std::string quoted(const std::vector<std::string>& fields)
{
    std::string s;
    for (std::size_t i = 0; i < fields.size(); ++i) s += (i ? ",\"" : "\"") + fields[i] + "\"";
    return s + "\r\n";
}

} // namespace

TEST(RegistrationDocs, SchoolKindsAndCounting)
{
    // 41 is 大学, 51 一般, 12 小学, pre-school " 5" 幼児, 92 一般; secondary registrations do not count.
    const std::vector<std::pair<std::string, int>> kinds = {{"41", 5}, {"51", 6}, {"12", 1}, {" 5", 0},
                                                            {"92", 6}, {"31", 3}, {"75", 7}, {"  ", 0}};
    for (auto [grade, kind] : kinds) EXPECT_EQ(schoolKindOf(grade), kind) << grade;

    AthleteCounts c = countRegisteredAthletes({athlete("1", "1", "41"), athlete("2", "1", "41"), athlete("5", "1", "51"),
                                               athlete("1", "2", "12"), athlete("1", "1", "12"), athlete("1", "1", "12")});
    EXPECT_EQ(c[5][0], 1);
    EXPECT_EQ(c[5][1], 1);
    EXPECT_EQ(c[6][1], 1); // sex code "5" counts with the women
    EXPECT_EQ(c[1][0], 2); // the secondary registration is left out

    EXPECT_EQ(groupedZero(0), "0");
    EXPECT_EQ(groupedZero(1234567), "1,234,567");
    EXPECT_EQ(groupedHash(0), "");
    EXPECT_EQ(groupedHash(15000), "15,000");

    TeamRecord m;
    m.setFurther2("1   12    3    0   15");
    TeamRegistration r = registrationOf(m);
    EXPECT_TRUE(r.registered);
    EXPECT_EQ(r.counts, (std::array<int, 4>{12, 3, 0, 15}));
    m.setFurther2("0ab");
    r = registrationOf(m);
    EXPECT_FALSE(r.registered);
    EXPECT_EQ(r.counts, (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(RegistrationDocs, FilesWithoutRegisteredTeamsAndTheTeamListPrint)
{
    tolvtest::TempTree t;
    const std::vector<SwimmerRecord> swimmers = {athlete("1", "1", "41"), athlete("2", "1", "12"), athlete("2", "2", "12")};
    const std::vector<RegisteredTeam> teams = {team("13001", "さくらスイミングクラブ東京本部", false, {2, 1, 0, 4}),
                                               team("13002", "みどりＳＣ", false, {0, 0, 1, 0})};
    auto files = writeRegistrationDocs(t.dir(), swimmers, teams, 20261208);
    ASSERT_EQ(files.size(), 2u);

    const std::string fees = readBytes(t.dir() / "団体・競技者登録申請書(1).csv");
    std::string expected;
    expected += quoted({"財団法人　日本水泳連盟御中"}) + quoted({""}) +
                quoted({"会員登録申請書・団体登録申請書および登録料の送付について"}) + quoted({"作成:20261208"}) +
                quoted({"加盟団体 ______________________________"}) + "\r\n" +
                quoted({"掲記のこと、下記内訳でお送りいたしました。"}) + "\r\n" + quoted({"( )内は期中異動者"}) +
                quoted({"学種", "男子", "女子", "合計", "登録費（単価）", "合計金額"}) + quoted({std::string(100, '-')});
    const char* names[] = {"幼児", "小学", "中学", "高校", "高専", "大学", "一般", "専修", "各種"};
    for (int k = 0; k < 9; ++k) {
        const int m = k == 5 ? 1 : 0, w = k == 1 ? 1 : 0;
        expected += quoted({names[k], std::to_string(m) + "(0)", std::to_string(w) + "(0)", std::to_string(m + w) + "(0)",
                            "     1,000", m + w ? "1,000" : "0"});
    }
    expected += quoted({std::string(100, '=')}) + quoted({"合計", "1(0)", "1(0)", "2(0)", "     1,000", "2,000"}) +
                quoted({"単価", "人員", "金額"}) + quoted({"競技者", "     1,000円", "2", "人", "＝", "2,000", "円"}) +
                quoted({"団　体", "     7,000円", "0", "団体", "＝", "0", "円"}) + quoted({std::string(100, '-')}) +
                quoted({"総合計金額", "＝", "2,000", "円"}) + quoted({"(*) 送付総額金額（還付金を含んだ金額とする）"}) + "\r\n" +
                quoted({"責 任 者", "担 当 者"}) + quoted({"印", "印"}) + quoted({"年    月    日"}) +
                quoted({"(財) 日本水泳連盟"});
    EXPECT_EQ(fees, sj(expected));

    const std::string list = readBytes(t.dir() / "団体・競技者登録申請書(2).csv");
    EXPECT_EQ(list, sj(quoted({"会員登録申請書・団体登録申請書および登録料の送付について"}) +
                       quoted({"", "", "［　主登録　］", "", "", "［　副登録　］"}) +
                       quoted({"SQ", "登録団体", "男子", "女子", "合計", "男子", "女子", "合計"}) +
                       quoted({"  1", "13001 さくらスイミングクラブ東", "2(0)", "1(0)", "3(0)", "0(0)", "4(0)", "4(0)"}) +
                       quoted({"  2", "13002 みどりＳＣ", "0(0)", "0(0)", "0(0)", "1(0)", "0(0)", "1(0)"}) +
                       quoted({std::string(100, '=')}) +
                       quoted({"", "登録競技者合計人数", "2(0)", "1(0)", "3(0)", "1(0)", "4(0)", "5(0)"})));

    // A registered team counts 7,000 yen.
    auto lines = feeStatementLines(countRegisteredAthletes(swimmers), 1, 20261208);
    EXPECT_EQ(lines[lines.size() - 9], (std::vector<std::string>{"団　体", "     7,000円", "1", "団体", "＝", "7,000", "円"}));
    EXPECT_EQ(lines[lines.size() - 7], (std::vector<std::string>{"総合計金額", "＝", "9,000", "円"}));

    // 75 teams: 78 lines after the title give two pages, each headed by the title and its number.
    std::vector<RegisteredTeam> many(75, team("13001", "さくら", true, {1, 0, 0, 0}));
    std::ostringstream log;
    PrintLog p(log);
    printTeamList(p, teamListLines(many));
    const std::string text = log.str();
    EXPECT_NE(text.find("text\t9600\t0\t1 頁\n"), std::string::npos);
    EXPECT_NE(text.find("page\n"), std::string::npos);
    EXPECT_NE(text.find("text\t9600\t0\t2 頁\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "end\n");
    EXPECT_NE(text.find("登録競技者合計人数"), std::string::npos);
}

TEST(RegistrationDocs, TeamsFromTheTotalsFileAndTheMaster)
{
    tolvtest::TempTree t;
    // No totals file: the tally must run first.
    EXPECT_THROW(readRegisteredTeams(t.dir() / "none.zed", MasterSource::local(t.dir())), TolvError);

    // Two teams in the totals file; the master of prefecture 13 holds the first only.
    std::string zed(384 * 12, '\0');
    zed[0] = 2;
    std::memcpy(&zed[10 * 384], "13001", 5);
    std::string name1 = sj("さくら");
    std::memcpy(&zed[10 * 384 + 5], name1.data(), name1.size());
    std::memcpy(&zed[11 * 384], "13002", 5);
    tolvtest::writeBytes(t.dir() / "m.zed", zed);

    fs::create_directories(t.dir() / "reg" / "KEN13");
    std::string master(384 * 10, '\0');
    master[0] = 1;
    TeamRecord r;
    r.setCode("13001");
    r.setFurther2("1    5    4    0    1");
    master.append(r.bytes().data(), 384);
    tolvtest::writeBytes(t.dir() / "reg" / "KEN13" / "DANTAI.DAT", master);

    auto teams = readRegisteredTeams(t.dir() / "m.zed", MasterSource::local(t.dir() / "reg"));
    ASSERT_EQ(teams.size(), 2u);
    EXPECT_TRUE(teams[0].reg.registered);
    EXPECT_EQ(teams[0].reg.counts, (std::array<int, 4>{5, 4, 0, 1}));
    EXPECT_FALSE(teams[1].reg.registered);
    EXPECT_EQ(teams[1].reg.counts, (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(tolvtest::readBytes(t.dir() / "m.zed"), zed); // read, never written
}
