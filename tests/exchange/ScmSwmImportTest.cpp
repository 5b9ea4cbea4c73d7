// SCM and SWM imports on files built from the swimmer file's media form, the team file and the
// relay file.
#include "exchange/ScmSwmImport.h"
#include "exchange/ImportFixture.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/Codes.h"
#include "storage/PrefectureTable.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace importtest;
using tolvtest::sj;

namespace {

struct Line {
    std::string number, team, reg, name, kana, sex, birth, grade2, grade1;
    std::map<int, int> times; // slot -> time
};

// A swimmer line of 51 columns as the SCM media form writes it.
std::string swimmerLine(const Line& l)
{
    std::string flags(23, ' '), times(144, ' ');
    for (auto [slot, t] : l.times) {
        flags[std::size_t(slot)] = '1';
        std::string v = std::to_string(t);
        times.replace(std::size_t(slot) * 6 + 6 - v.size(), v.size(), v);
    }
    return quoted(columns(51, {{1, l.number},
                               {2, l.team},
                               {6, l.reg},
                               {7, l.name},
                               {8, l.kana},
                               {10, l.sex},
                               {11, l.birth},
                               {12, l.grade2},
                               {13, l.grade1},
                               {29, flags},
                               {30, times}}));
}
// A swimmer line of the SWM floppy's 13 columns.
std::string swmLine(const Line& l)
{
    std::string flags(23, ' '), times(144, ' ');
    for (auto [slot, t] : l.times) {
        flags[std::size_t(slot)] = '1';
        std::string v = std::to_string(t);
        times.replace(std::size_t(slot) * 6 + 6 - v.size(), v.size(), v);
    }
    return quoted({l.number, l.team, "1", l.reg, l.name, l.kana, l.sex, l.birth, l.grade2, l.grade1, flags, times, "key"});
}
std::string teamLine(const std::string& code, const std::string& name, const std::string& kana)
{
    return quoted(columns(85, {{1, code}, {6, name}, {7, kana}}));
}
std::string relayLine(const std::string& team, const std::string& stroke, const std::string& sex, const std::string& time,
                      const std::string& distance, const std::string& level = "")
{
    return quoted(columns(16, {{2, team}, {5, stroke}, {6, sex}, {7, time}, {10, level}, {11, distance}}));
}
const std::string kSwimmerHeader = quoted(columns(51, {{1, "番号"}}));
const std::string kTeamHeader = quoted(columns(85, {{1, "団体コード"}}));
const std::string kRelayHeader = quoted(columns(16, {{1, "大会コード"}}));

struct ScmBench : ImportBench {
    ScmBench()
    {
        installShippedPrefectureTable(dir());
        add({.qbango = "13009199001011", .namae = "既存", .nenrei = 1});
    }
    ImportReport run(MeetSystem system = MeetSystem::Scm)
    {
        return importMeetSystem(store, system, folder(), prompt, dir() / "ken.ctl");
    }
    SwimmerRecord at(int n) const { return store.swimmerAt(n); }
    ScriptedPrompt prompt{false};
};

} // namespace

TEST(ScmImport, SwimmersGetTheirFieldsTeamsTimesRelaysAndAges)
{
    ScmBench b;
    b.put("ScmSwimmerdt.csv",
          kSwimmerHeader +
              swimmerLine({"0012345",
                           "13001",
                           "130011990012",
                           "山田　太郎",
                           "ﾔﾏﾀﾞ ﾀﾛｳ",
                           "1",
                           "1998/04/02",
                           "",
                           "1",
                           {{2, 10234}, {21, 51000}}}) +
              swimmerLine({"", "13001", "000000000000", "鈴木花子", "ｽｽﾞｷ", "2", "1997/05/06", "3", "2", {}}) +
              swimmerLine({"", "27002", "0", "佐藤", "ｻﾄｳ", "1", "1996/01/01", "1", "1", {{0, 1500}}}) +
              swimmerLine({"", "13001", "", "田中", "ﾀﾅｶ", "1", "1995/01/01", "1", "2", {}}) +
              swimmerLine({"", "99999", "", "無所属", "ﾑ", "1", "1995/01/01", "1", "2", {}}));
    // The first line of a code wins, also when its team comes back after another team.
    b.put("Scmdt.csv", kTeamHeader + teamLine("13001", "東京ＳＣ", "ﾄｳｷｮｳ") + teamLine("27002", "大阪ＳＳ", "ｵｵｻｶ") +
                           teamLine("13001", "別の名前", "ﾍﾞﾂ"));
    b.put("ScmRelay.csv", kRelayHeader + relayLine("13001", "6", "1", "1:02.34", "4") + // first match only
                              relayLine("13001", "7", "2", "2:10.00", "3") + relayLine("13001", "6", "2", "  :59.99", "6") +
                              relayLine("40001", "6", "1", "1:00.00", "3") + // no such team: skipped
                              relayLine("13001", "6", "1", "1:00.00", "9")); // no such distance: skipped
    ImportReport r = b.run();

    ASSERT_EQ(b.store.header().total(), 6);
    const SwimmerRecord s = b.at(2);
    EXPECT_EQ(s.Bango(), "0012345");
    EXPECT_EQ(s.QBango(), "13001199804022"); // last character of the registration number
    EXPECT_EQ(s.Namae(), "山田　太郎      ");
    EXPECT_EQ(s.Kana(), "ﾔﾏﾀﾞ ﾀﾛｳ        ");
    EXPECT_EQ(s.gakunen(), "1 "); // column 13, then column 12 blank
    EXPECT_EQ(s.sei(), "1");
    EXPECT_EQ(s.shubetu(), "000000");
    EXPECT_EQ(s.shuFuku(), " ");
    EXPECT_EQ(s.ken(), "東京都  ");
    EXPECT_EQ(s.Shozoku(), "東京ＳＣ    ");
    EXPECT_EQ(s.ShozokuKana(), "ﾄｳｷｮｳ ");
    EXPECT_EQ(s.kiro(2), 10234);
    EXPECT_EQ(s.kiro(21), 51000);
    EXPECT_EQ(s.kiro(26), 10234); // relay 1:02.34 with a one-digit minute
    EXPECT_EQ(s.nenrei(), ageOn(19980402, "2005/04/01"));
    EXPECT_EQ(s.seq(), 2);
    EXPECT_EQ(b.at(1).nenrei(), 15); // the age rewrite covers every swimmer

    // Registration number all zeros: "5" for sex 2, "0" for sex 1.
    EXPECT_EQ(b.at(3).QBango(), "13001199705065");
    EXPECT_EQ(b.at(4).QBango(), "27002199601010");
    EXPECT_EQ(b.at(3).gakunen(), "23");
    EXPECT_EQ(b.at(3).kiro(22), 21000);
    EXPECT_EQ(b.at(3).kiro(28), 5999);
    EXPECT_EQ(b.at(4).Shozoku(), "大阪ＳＳ    ");
    EXPECT_EQ(b.at(4).ken(), "大阪府  ");
    EXPECT_EQ(b.at(5).Shozoku(), "東京ＳＣ    "); // 13001 again after 27002: scanned from the top
    EXPECT_EQ(b.at(5).kiro(26), 0);               // the relay went to the first match only
    EXPECT_EQ(b.at(6).Shozoku(), "            "); // unknown team: blank, not the last team read
    EXPECT_EQ(b.at(6).ShozokuKana(), "      ");

    const std::string m = r.message();
    EXPECT_NE(m.find("選手 5 人を追加しました"), std::string::npos) << m;
    EXPECT_NE(m.find("リレーのタイム 3 件"), std::string::npos) << m;
    EXPECT_NE(m.find("99999 無所属"), std::string::npos) << m;
    EXPECT_NE(m.find("ScmRelay.csv 5 行目"), std::string::npos) << m;
    EXPECT_NE(m.find("ScmRelay.csv 6 行目"), std::string::npos) << m;
    EXPECT_TRUE(b.prompt.said.empty());
}

TEST(ScmImport, MissingFilesGiveTheirThreeLines)
{
    const std::string swimmers = kSwimmerHeader + swimmerLine({"", "13001", "", "山田", "ﾔﾏﾀﾞ", "1", "1998/04/02", "", "1", {}});
    const std::string teams = kTeamHeader + teamLine("13001", "東京ＳＣ", "ﾄｳｷｮｳ");
    struct Case {
        bool swimmerFile, teamFile;
        std::string message;
    } cases[] = {
        {false, true,
         "「ScmSwimmerdt.csv」ファイルがありません。\nＳＷＭで作成されたファイルではありません。\n処理を中止します。"},
        {true, false, "「Scmdt.csv」ファイルがありません。\nＳＷＭで作成されたファイルではありません。\n処理を中止します。"},
    };
    for (const Case& c : cases) {
        ScmBench b;
        if (c.swimmerFile) b.put("ScmSwimmerdt.csv", swimmers);
        if (c.teamFile) b.put("Scmdt.csv", teams);
        const std::string before = b.bytes();
        try {
            b.run();
            ADD_FAILURE() << "no error";
        } catch (const TolvError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_TRUE(b.bytes() == before);
    }
    // Without the relay file the swimmers still come in and the user is told.
    ScmBench b;
    b.put("scmswimmerdt.CSV", swimmers); // names in any letter case
    b.put("Scmdt.csv", teams);
    b.run();
    EXPECT_EQ(b.store.header().total(), 2);
    EXPECT_EQ(b.prompt.said, "「Scmrelay.csv」ファイルがありません。\nリレーデータの入力はしません。\n処理を中止します。\n");
}

TEST(ScmImport, AFaultyLineNamesItsFileAndLineAndChangesNothing)
{
    const std::string good = swimmerLine({"", "13001", "", "山田", "ﾔﾏﾀﾞ", "1", "1998/04/02", "", "1", {{0, 3000}}});
    std::string badTime = good;
    badTime.replace(badTime.find("  3000"), 6, " 30.00");
    std::string notATime = good; // 99:99.99: no time of the coding
    notATime.replace(notATime.find("  3000"), 6, "999999");
    struct Case {
        std::string swimmers, relays, where;
    } cases[] = {
        {kSwimmerHeader + good + "\"1\",\"13001\",\"x\"\r\n", "", "ScmSwimmerdt.csv 3 行目: 項目が 3 個"},
        {kSwimmerHeader + good + badTime, "", "ScmSwimmerdt.csv 3 行目: 種目 1 のタイム"},
        {kSwimmerHeader + good + notATime, "", "ScmSwimmerdt.csv 3 行目: 種目 1 のタイム「999999」はタイムではありません"},
        {kSwimmerHeader + good, kRelayHeader + relayLine("13001", "6", "1", "99:99.99", "3"),
         "ScmRelay.csv 2 行目: タイム「99:99.99」"},
        {kSwimmerHeader + good, kRelayHeader + relayLine("13001", "6", "1", "1'02\"34", "3"), "ScmRelay.csv 2 行目: タイム"},
        {kSwimmerHeader + good + "\"\x82\"\r\n", "", "ScmSwimmerdt.csv 3 行目: シフトJIS"},
    };
    for (const Case& c : cases) {
        ScmBench b;
        b.put("ScmSwimmerdt.csv", c.swimmers);
        b.put("Scmdt.csv", kTeamHeader);
        if (!c.relays.empty()) b.put("ScmRelay.csv", c.relays);
        const std::string before = b.bytes();
        try {
            b.run();
            ADD_FAILURE() << "no error for " << c.where;
        } catch (const TolvError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.where, 0), 0u) << e.what();
        }
        EXPECT_TRUE(b.bytes() == before) << c.where;
    }
}

TEST(SwmImport, TeamFoldersAndSchoolLevelOfRelays)
{
    ScmBench b;
    b.put("Teamdt.csv", kTeamHeader + teamLine("13001", "東京ＳＣ", "ﾄｳｷｮｳ"));
    // The SWM floppy export writes one swimmer file per team folder.
    std::filesystem::create_directories(b.transfer / "SWM13001");
    tolvtest::writeBytes(b.transfer / "SWM13001" / "RIZARUTO.csv",
                         quoted(columns(13, {{1, "番号"}})) +
                             swmLine({"", "13001", "130019105051", "中学生", "ﾁｭｳ", "1", "1991/05/05", "3", "2", {{19, 12345}}}) +
                             swmLine({"0000077", "13001", "000000000000", "高校生", "ｺｳ", "2", "1989/05/05", "1", "3", {}}));
    b.put("RELAYENT.csv", kRelayHeader + relayLine("13001", "6", "2", "1:50.00", "4", "3") +
                              relayLine("13001", "6", "2", "1:55.00", "4", "2") + // level 2: no such swimmer
                              relayLine("13001", "7", "1", "2:00.00", "4"));
    ImportReport r = b.run(MeetSystem::Swm);
    ASSERT_EQ(b.store.header().total(), 3);
    const SwimmerRecord s = b.at(2);
    EXPECT_EQ(s.QBango(), "13001199105051");
    EXPECT_EQ(s.Namae(), "中学生          ");
    EXPECT_EQ(s.Kana(), "ﾁｭｳ             ");
    EXPECT_EQ(s.gakunen(), "23");
    EXPECT_EQ(s.kiro(19), 12345);
    EXPECT_EQ(s.kiro(23), 20000);
    EXPECT_EQ(s.Shozoku(), "東京ＳＣ    ");
    EXPECT_EQ(b.at(3).QBango(), "13001198905055");
    EXPECT_EQ(b.at(3).Bango(), "0000077");
    EXPECT_EQ(b.at(3).kiro(26), 15000); // school level 3 matches the first grade character
    EXPECT_NE(r.message().find("RELAYENT.csv 3 行目"), std::string::npos) << r.message();
    EXPECT_NE(r.message().find("SWM13001/RIZARUTO.csv から選手 2 人"), std::string::npos) << r.message();

    ScmBench missing;
    try {
        missing.run(MeetSystem::Swm);
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "「Teamdt.csv」ファイルがありません。\nＳＷＭで作成されたファイルではありません。\n処理を中止します。");
    }
}

namespace {
// Maps drive A on the first question, as a user putting a floppy in.
struct FloppyPrompt : Prompt {
    std::filesystem::path media;
    int asked = 0;
    bool insert = true;
    void tell(const std::string&) override {}
    bool ask(const std::string& m) override
    {
        EXPECT_EQ(m, "a:\\ にフロッピーを入れてください。");
        ++asked;
        if (insert) setenv("TOLVSYS_DRIVE_A", media.string().c_str(), 1);
        return insert;
    }
};
} // namespace

TEST(ImportSupport, ADriveThatIsNotReadyIsAskedForUntilCancelled)
{
    tolvtest::TempTree t;
    unsetenv("TOLVSYS_DRIVE_A");
    FloppyPrompt p;
    p.media = t.dir();
    const ImportFolder a{toHostPath("a:\\"), "a:\\"};
    waitForDrive(a, p);
    EXPECT_EQ(p.asked, 1);
    waitForDrive(a, p); // ready now: not asked again
    EXPECT_EQ(p.asked, 1);
    unsetenv("TOLVSYS_DRIVE_A");
    p.insert = false;
    EXPECT_THROW(waitForDrive(a, p), ImportCancelled);
}

TEST(ImportSupport, ClockTimesAndCenturies)
{
    EXPECT_EQ(clockTime("1:02.34"), 10234);
    EXPECT_EQ(clockTime("12:02.34"), 120234);
    EXPECT_EQ(clockTime("  :35.10"), 3510);
    EXPECT_EQ(clockTime("1:05.3x"), std::nullopt);
    EXPECT_EQ(clockTime("100:00.00"), std::nullopt);
    EXPECT_EQ(clockTime("99:99.99"), std::nullopt); // seconds of 60 or more: no time
    EXPECT_EQ(clockTime("99:59.99"), 995999);
    EXPECT_EQ(clockTime("1'02.34"), std::nullopt);
    EXPECT_EQ(clockTime(""), 0);
    // Reference 2005/04/01: birth years 98 and 05 are 19.., 01 is 20...
    EXPECT_EQ(widenRegistrationNumber("131239804021", "2005/04/01"), "13123199804021");
    EXPECT_EQ(widenRegistrationNumber("131230104021", "2005/04/01"), "13123200104021");
    EXPECT_EQ(widenRegistrationNumber("131230504021", "2005/04/01"), "13123190504021");
    EXPECT_THROW(requireReferenceYear("    /  /  "), TolvError);
}
