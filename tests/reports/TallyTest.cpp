// The tally and the team totals file, checked byte for byte against records laid out here by offset.
#include "reports/Tally.h"
#include "storage/TeamTotalsFile.h"

#include "platform/Error.h"
#include "platform/Prompt.h"
#include "reports/ReportFixture.h"
#include "storage/ControlFiles.h"
#include "storage/Master.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::reports;
using reporttest::EntryFile;
using reporttest::Raw;
using reporttest::Swimmer;
namespace fs = std::filesystem;

namespace {

const char* const kFeeNames8[8] = {"男子（主）", "その他",   "女子（主）", "その他",
                                   "個人男子",   "個人女子", "リレー男子", "リレー女子"};

// Control record: count, 15 names of 12, 15 prices, 28 counters, 86 filler.
Raw control(int teams, const std::vector<std::string>& names, const std::vector<int>& prices = {})
{
    Raw r;
    r.i16(0, static_cast<std::int16_t>(teams));
    for (std::size_t k = 0; k < 15; ++k) r.text(2 + 12 * k, 12, k < names.size() ? names[k] : "");
    for (std::size_t k = 0; k < prices.size(); ++k) r.i32(182 + 4 * k, prices[k]);
    return r;
}

std::vector<std::string> tallyNames()
{
    std::vector<std::string> v(kFeeNames8, kFeeNames8 + 8);
    v.resize(15);
    return v;
}

struct Team {
    std::string key{}, name{}, shortName{}, board{}, rep{}, postal{}, addr1{}, addr2{}, tel{};
    std::map<int, int> q{};                       // fee item -> quantity
    std::map<std::pair<int, int>, int> entries{}; // (slot, 0 men / 1 women) -> count
    int received = 0;
    std::string flag{};
};

std::string teamBytes(const Team& t)
{
    Raw r;
    r.text(0, 5, t.key).text(5, 34, t.name).text(39, 12, t.shortName).text(51, 6, t.board).text(57, 16, t.rep);
    r.text(73, 8, t.postal).text(81, 26, t.addr1).text(107, 26, t.addr2).text(133, 13, t.tel);
    for (auto [k, v] : t.q) r.i16(146 + 2 * static_cast<std::size_t>(k), static_cast<std::int16_t>(v));
    for (auto [slotSide, v] : t.entries)
        r.i16(176 + 4 * static_cast<std::size_t>(slotSide.first) + 2 * static_cast<std::size_t>(slotSide.second),
              static_cast<std::int16_t>(v));
    r.i32(352, t.received);
    r.text(372, 1, t.flag);
    return r.str();
}

std::string record(const std::string& file, int n) { return file.substr(static_cast<std::size_t>(n - 1) * 384, 384); }

// Registration root with a team list for prefecture 13 (14 keeps none).
fs::path writeMaster(const fs::path& root)
{
    std::vector<TeamRecord> teams(2);
    teams[0].setCode("13001");
    teams[0].setName("さくらスイミングクラブ");
    teams[0].setShortName("さくらＳＣ");
    teams[0].setPerson(0, "桜井　一郎");
    teams[0].setPerson(1, "別の人");
    teams[0].setPostal(0, "100-0001");
    teams[0].setAddress(0, 0, "東京都千代田区");
    teams[0].setAddress(0, 1, "千代田１－１");
    teams[0].setPhone(0, "03-1234-5678");
    teams[0].setFurtherNumber(20080415);
    teams[1].setCode("13002");
    teams[1].setName("みどり水泳部");
    teams[1].setPerson(0, "緑川　花子");
    teams[1].setFurtherNumber(20070301);
    fs::create_directories(root / "ken13");
    writeTeamList(root / "ken13" / "dantai.dat", teams);
    std::string flags(80, '0');
    flags[12] = '1';
    writeUnitFlags(root / "kanriken.ctl", flags);
    return root;
}

// Five swimmers of three teams covering the counting rules.
void addSwimmers(EntryFile& f)
{
    Swimmer a; // 13001 man, main, grade 11: 25 free, 100 free, medley relay (参加), reserve 1 and 2
    a.qbango = "13001200105011";
    a.kiro = {{0, 1500}, {2, 10523}, {22, 666666}, {29, 3000}, {30, 2000}};
    f.add(a);
    Swimmer b; // 13002 woman, secondary, grade 75: no person; 50 free counts, marks do not
    b.qbango = "13002199901015";
    b.sei = "2";
    b.shuFuku = "2";
    b.gakunen = "75";
    b.shozoku = "みどり水泳";
    b.shozokuKana = "ﾐﾄﾞﾘ";
    b.kiro = {{1, 3000}, {3, 700001}, {25, 888888}, {4, 666667}};
    f.add(b);
    Swimmer c; // 13001 woman, grade 81: no person; 25 free entered without time
    c.qbango = "13001199802025";
    c.sei = "2";
    c.gakunen = "81";
    c.kiro = {{0, 666666}};
    f.add(c);
    Swimmer d; // 13001 mixed code, grade 82: item 14; its 50 free on the men's side
    d.qbango = "13001199703033";
    d.sei = "3";
    d.gakunen = "82";
    d.kiro = {{1, 3100}};
    f.add(d);
    Swimmer e; // 14001 man, secondary, grade 74; prefecture 14 keeps no team list
    e.qbango = "14001199604041";
    e.shuFuku = "2";
    e.gakunen = "74";
    e.shozoku = "かながわ";
    e.shozokuKana = "ｶﾅｶﾞﾜ";
    f.add(e);
    f.store.reserve().setYobiRelay(0, "0");
    f.store.reserve().setYobiRelay(1, "1");
    f.store.saveHeader();
}

} // namespace

TEST(TeamTotalsFile, NewFileGetsAFreshControlRecordAndTeamsRoundTrip)
{
    EntryFile f;
    TeamTotalsFile z;
    z.open(f.zedPath());
    EXPECT_EQ(tolvtest::readBytes(f.zedPath()), control(0, {}).str());
    EXPECT_EQ(z.teamCount(), 0);

    z.clearTeam();
    z.team().setKeyBytes("13001");
    z.team().setQuantity(3, 7);
    z.team().setEntries(43, TeamTotalRecord::Women, 2);
    z.team().setReceived(-5);
    z.control().setTeamCount(2);
    z.control().setPrice(14, 1000);
    z.writeTeam(2);
    std::string bytes = tolvtest::readBytes(f.zedPath());
    ASSERT_EQ(bytes.size(), 12u * 384);
    Team want{"13001"};
    want.q = {{3, 7}};
    want.entries = {{{43, 1}, 2}};
    want.received = -5;
    EXPECT_EQ(record(bytes, 12), teamBytes(want));
    EXPECT_EQ(record(bytes, 1), control(2, {}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1000}).str());
    EXPECT_EQ(record(bytes, 11), std::string(384, '\0')); // team 1 never written

    z.open(f.zedPath());
    z.readTeam(2);
    EXPECT_EQ(z.team().quantity(3), 7);
    EXPECT_EQ(z.control().price(14), 1000);
    z.readTeam(0);
    EXPECT_EQ(z.team(), TeamTotalRecord::cleared());
    EXPECT_EQ(z.team().key(), "     ");
}

TEST(TeamTotalsFile, ACountBeyondTheRecordsPresentIsRefused)
{
    EntryFile f;
    tolvtest::writeBytes(f.zedPath(), control(3, {}).str());
    TeamTotalsFile z;
    EXPECT_THROW(z.open(f.zedPath()), TolvError);
    tolvtest::writeBytes(f.zedPath(), control(-1, {}).str() + std::string(384, '\0'));
    EXPECT_THROW(z.open(f.zedPath()), TolvError);
    EXPECT_EQ(teamTotalsPath("/a/b/abc.def.zep"), fs::path("/a/b/abc.zed"));
}

TEST(Tally, CountsTeamsPersonsEventsAndLooksUpTheMaster)
{
    EntryFile f;
    addSwimmers(f);
    fs::path root = writeMaster(f.dir() / "reg");
    ScriptedPrompt prompt;
    TallyResult r = runTally(f.store, 0, MasterSource::local(root), &prompt);
    EXPECT_EQ(prompt.said, "");

    std::string bytes = tolvtest::readBytes(f.zedPath());
    ASSERT_EQ(bytes.size(), 13u * 384);
    EXPECT_EQ(record(bytes, 1), control(3, tallyNames()).str());
    for (int n = 2; n <= 10; ++n) EXPECT_EQ(record(bytes, n), std::string(384, '\0')) << n;

    Team t1{"13001",    "さくらスイミングクラブ", "さくらＳＣ",   "ｻｸﾗ",         "桜井　一郎",
            "100-0001", "東京都千代田区",         "千代田１－１", "03-1234-5678"};
    // persons: a main man; d (code 3) in item 14; c is grade 81. Individual: slots 0, 1, 2, 29 men, 0 women.
    t1.q = {{0, 1}, {4, 4}, {5, 1}, {6, 2}, {14, 1}};
    t1.entries = {{{0, 0}, 1}, {{0, 1}, 1}, {{1, 0}, 1}, {{2, 0}, 1}, {{22, 0}, 1}, {{29, 0}, 1}, {{30, 0}, 1}};
    t1.flag = "1";
    EXPECT_EQ(record(bytes, 11), teamBytes(t1));

    Team t2{"13002", "みどり水泳部", "みどり水泳", "ﾐﾄﾞﾘ", "緑川　花子"};
    t2.q = {{5, 1}};
    t2.entries = {{{1, 1}, 1}};
    t2.flag = ""; // registered in another month
    EXPECT_EQ(record(bytes, 12), teamBytes(t2));

    Team t3{"14001", "", "かながわ", "ｶﾅｶﾞﾜ"};
    t3.q = {{1, 1}};
    EXPECT_EQ(record(bytes, 13), teamBytes(t3));
    EXPECT_EQ(r.teams.size(), 3u);
}

TEST(Tally, PrefectureBodyGroupsAPrefectureUnderOneKey)
{
    EntryFile f(1);
    addSwimmers(f);
    fs::path root = writeMaster(f.dir() / "reg");
    runTally(f.store, 1, MasterSource::local(root));
    std::string bytes = tolvtest::readBytes(f.zedPath());
    ASSERT_EQ(bytes.size(), 12u * 384);
    EXPECT_EQ(record(bytes, 1), control(2, tallyNames()).str());

    // No master team has the key 13000: name and contact stay blank.
    Team t1{"13000", "", "東京都", "ﾄｳｷｮｳ"};
    t1.q = {{0, 1}, {4, 4}, {5, 2}, {6, 2}, {14, 1}};
    t1.entries = {{{0, 0}, 1}, {{0, 1}, 1}, {{1, 0}, 1}, {{1, 1}, 1}, {{2, 0}, 1}, {{22, 0}, 1}, {{29, 0}, 1}, {{30, 0}, 1}};
    EXPECT_EQ(record(bytes, 11), teamBytes(t1));
    Team t2{"14000", "", "東京都", "ﾄｳｷｮｳ"};
    t2.q = {{1, 1}};
    EXPECT_EQ(record(bytes, 12), teamBytes(t2));
}

TEST(Tally, NamesPricesCountersAndFillerSurviveARetally)
{
    EntryFile f;
    addSwimmers(f);
    // An earlier file: five teams, own names and prices, edited quantities and amounts received.
    Raw old = control(5, {"旧0", "旧1", "旧2", "旧3", "旧4", "旧5", "旧6", "旧7", "記録証", "", "", "", "", "", "プログラム"},
                      {1000, 800, 1000, 800, 500, 500, 1200, 1200, 300, 0, 0, 0, 0, 0, 700});
    for (int i = 0; i < 28; ++i) old.i16(242 + 2 * static_cast<std::size_t>(i), static_cast<std::int16_t>(i + 1));
    old.byte(298, 'F').byte(383, 'Z');
    std::string file = old.str() + std::string(9 * 384, '\0');
    for (int n = 1; n <= 5; ++n) {
        Team t{"9900" + std::to_string(n), "old"};
        t.q = {{8, 5}, {13, 2}};
        t.received = 12345;
        file += teamBytes(t);
    }
    tolvtest::writeBytes(f.zedPath(), file);

    runTally(f.store, 0, MasterSource::local(f.dir() / "no-master"));
    std::string bytes = tolvtest::readBytes(f.zedPath());
    ASSERT_EQ(bytes.size(), file.size());
    Raw want = control(3,
                       {"男子（主）", "その他", "女子（主）", "その他", "個人男子", "個人女子", "リレー男子", "リレー女子",
                        "記録証", "", "", "", "", "", "プログラム"},
                       {1000, 800, 1000, 800, 500, 500, 1200, 1200, 300, 0, 0, 0, 0, 0, 700});
    for (int i = 0; i < 28; ++i) want.i16(242 + 2 * static_cast<std::size_t>(i), static_cast<std::int16_t>(i + 1));
    want.byte(298, 'F').byte(383, 'Z');
    EXPECT_EQ(record(bytes, 1), want.str());
    // New teams start with quantities 8-13 and the amount received at 0.
    TeamTotalsFile z;
    z.open(f.zedPath());
    z.readTeam(1);
    EXPECT_EQ(z.team().quantity(8), 0);
    EXPECT_EQ(z.team().received(), 0);
    // Records beyond the new count are left as they were.
    EXPECT_EQ(record(bytes, 14), record(file, 14));
    EXPECT_EQ(record(bytes, 15), record(file, 15));
}

TEST(Tally, AnEmptyEntryFileKeepsTheControlRecord)
{
    EntryFile f;
    Raw old = control(0, {"参加料"}, {2500});
    tolvtest::writeBytes(f.zedPath(), old.str());
    runTally(f.store, 0, MasterSource::local(f.dir()));
    EXPECT_EQ(tolvtest::readBytes(f.zedPath()), old.str());
}

TEST(Tally, AMissingTeamListIsToldAndLeavesTheContactBlank)
{
    EntryFile f;
    addSwimmers(f);
    fs::path root = f.dir() / "reg";
    std::string flags(80, '0');
    flags[12] = '1';
    fs::create_directories(root);
    writeUnitFlags(root / "kanriken.ctl", flags);
    ScriptedPrompt prompt;
    TallyResult r = runTally(f.store, 0, MasterSource::local(root), &prompt);
    ASSERT_EQ(r.missingMasters.size(), 1u); // opened once for both teams of prefecture 13
    EXPECT_NE(prompt.said.find("dantai.dat"), std::string::npos);
    EXPECT_EQ(r.teams[0].name(), std::string(34, ' '));
}

TEST(Tally, InternetModeReadsTheWorkingCopiesInTemp)
{
    EntryFile f;
    addSwimmers(f);
    fs::path temp = f.dir() / "temp";
    writeMaster(f.dir() / "reg");
    fs::create_directories(temp);
    fs::copy_file(f.dir() / "reg" / "ken13" / "dantai.dat", temp / "dantai.dat");
    fs::copy_file(f.dir() / "reg" / "kanriken.ctl", temp / "KANRIKEN.CTL");
    TallyResult r = runTally(f.store, 0, MasterSource::downloaded(temp));
    EXPECT_EQ(r.teams[0].representative(), "桜井　一郎      ");
    EXPECT_EQ(r.teams[0].monthFlag(), "1");
}

TEST(Tally, AnOverflowingCountStopsAndWritesNothing)
{
    EntryFile f;
    Swimmer s;
    s.qbango = "13001200105011";
    for (int slot = 0; slot < 22; ++slot) s.kiro[slot] = 3000;
    // 1490 swimmers with 22 individual events each: 32780 individual entries of men.
    f.addMany(std::vector<Swimmer>(1490, s));
    Raw old = control(0, {"参加料"}, {2500});
    tolvtest::writeBytes(f.zedPath(), old.str());
    try {
        runTally(f.store, 0, MasterSource::local(f.dir()));
        FAIL() << "no overflow";
    } catch (const TolvError& e) {
        EXPECT_STREQ(e.what(), "オーバーフローしました。");
    }
    EXPECT_EQ(tolvtest::readBytes(f.zedPath()), old.str());

    // One event fewer fits: 1490 * 21 = 31290.
    EntryFile g;
    s.kiro.erase(21);
    g.addMany(std::vector<Swimmer>(1490, s));
    TallyResult r = runTally(g.store, 0, MasterSource::local(g.dir()));
    EXPECT_EQ(r.teams[0].quantity(4), 31290);
    EXPECT_EQ(r.teams[0].quantity(0), 1490);
}

TEST(Tally, TeamKeys)
{
    Swimmer w;
    w.qbango = "13001200105011";
    SwimmerRecord s = reporttest::swimmerRecord(1, w);
    EXPECT_EQ(teamKeyOf(s, 0), "13001");
    EXPECT_EQ(teamKeyOf(s, 1), "13000");
    EXPECT_EQ(teamKeyOf(s, 2), "13001");
    SwimmerRecord empty; // never assigned: NUL bytes stay in the key
    EXPECT_EQ(teamKeyOf(empty, 0), std::string(5, '\0'));
    EXPECT_EQ(teamKeyOf(empty, 1), std::string(2, '\0') + "000");
}
