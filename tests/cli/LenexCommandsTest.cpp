// tolv export lenex / tolv import lenex, run as a user runs them.
#include "exchange/LenexConformance.h"
#include "exchange/LenexWorld.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;
using tolvtest::TempTree;
namespace fs = std::filesystem;

namespace {

tolvtest::RunResult tolvRun(const std::vector<std::string>& args) { return runProgram(TOLV_BIN, args); }

void makeEntry(const fs::path& file, int swimmers)
{
    EntryStore store;
    store.openEntryFile(file);
    store.header().setStBi("2008/11/14");
    store.saveHeader();
    std::vector<SwimmerRecord> more;
    for (int n = 1; n <= swimmers; ++n) {
        SwimmerRecord s = EntryStore::emptySwimmer();
        s.setSeq(n);
        s.setQBango("13001200105011");
        s.setNamae("選手　" + std::to_string(n));
        s.setSei("1");
        s.setKiro(2, 10000 + n);
        more.push_back(s);
    }
    if (!more.empty()) store.appendSwimmers(more, "test");
}

} // namespace

TEST(CliLenex, ExportsIntoTheTransferFolderAndImportsBack)
{
    TempTree t;
    const fs::path transfer = t.dir() / "transfer";
    fs::create_directories(transfer);
    ensureWorkTree();
    writeTenControl(ctlDir(), TenControl{toStoredPath(transfer, true)});
    makeEntry(t.dir() / "TEAM.zep", 2);
    makeEntry(t.dir() / "BACK.zep", 0);

    // The city is needed once; the entry file keeps it.
    auto r = tolvRun({"export", "lenex", (t.dir() / "TEAM.zep").string(), "--zip"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("開催地の市町村名がありません。--city で指定してください"), std::string::npos) << r.err;
    r = tolvRun({"export", "lenex", (t.dir() / "TEAM.zep").string(), "--city", "横浜市"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = tolvRun({"export", "lenex", (t.dir() / "TEAM.zep").string(), "--zip"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find((transfer / "TEAM.lxf").string()), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("選手 2 人"), std::string::npos) << r.out;

    r = tolvRun({"import", "lenex", (t.dir() / "BACK.zep").string(), "TEAM.lxf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("2 人を追加しました"), std::string::npos) << r.out;
    EntryStore back;
    back.openEntryFile(t.dir() / "BACK.zep", EntryStore::Access::Read);
    ASSERT_EQ(back.header().total(), 2);
    EXPECT_EQ(back.swimmerAt(2).Namae(), "選手　2         ");
    EXPECT_EQ(back.swimmerAt(2).kiro(2), 10002);
    EXPECT_EQ(back.header().zigyo(), "TEAM    "); // an empty file takes the meet
    back.close();
    EXPECT_NE(readBytes(transfer / "TEAM.lef").find("city=\"横浜市\""), std::string::npos);

    // Into a file with swimmers the header changes only with --header; the same file a second
    // time only with --again.
    makeEntry(t.dir() / "MORE.zep", 1);
    r = tolvRun({"import", "lenex", (t.dir() / "MORE.zep").string(), "TEAM.lxf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string once = readBytes(t.dir() / "MORE.zep");
    r = tolvRun({"import", "lenex", (t.dir() / "MORE.zep").string(), "TEAM.lxf", "--header"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("取り込み済みです。もう一度取り込むには --again を付けてください"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(t.dir() / "MORE.zep"), once);
    for (const char* flag : {"", "--header"}) {
        std::vector<std::string> args = {"import", "lenex", (t.dir() / "MORE.zep").string(), "TEAM.lxf", "--again"};
        if (*flag) args.push_back(flag);
        r = tolvRun(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EntryStore more;
        more.openEntryFile(t.dir() / "MORE.zep", EntryStore::Access::Read);
        EXPECT_EQ(more.header().zigyo(), *flag ? "TEAM    " : "MORE    ") << flag;
    }
    r = tolvRun({"import", "lenex", "--help"});
    EXPECT_NE(r.out.find("--header"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("大会名・場所・期日・基準日・水路をLenexファイルの大会で置き換えます"), std::string::npos) << r.out;

    // A missing file and a missing argument fail without touching the entry file.
    const std::string before = readBytes(t.dir() / "BACK.zep");
    r = tolvRun({"import", "lenex", (t.dir() / "BACK.zep").string(), "none.lef", "--from", t.dir().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ファイルがありません"), std::string::npos) << r.err;
    r = tolvRun({"import", "lenex", (t.dir() / "BACK.zep").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(readBytes(t.dir() / "BACK.zep"), before);
}

TEST(CliLenex, AResultsFileFromAbroadImportsWholeAndGoesBackOutConformant)
{
    TempTree t;
    tolvtest::writeBytes(t.dir() / "world.lef", tolvtest::kLenexWorld);
    ASSERT_EQ(tolvRun({"new", (t.dir() / "W.zep").string()}).exitCode, 0);
    auto r = tolvRun({"import", "lenex", (t.dir() / "W.zep").string(), (t.dir() / "world.lef").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* part :
         {"6 人を追加しました", "文字を基本の文字に置き換えた選手（氏名・所属） 4 件", "欄の長さで切った選手 2 件",
          "タイムにしなかったエントリー・結果 4 件", "取り込まなかったエントリー・結果", "制御文字を取り除いた行: 52"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    // The city came with the file: no --city needed.
    r = tolvRun({"export", "lenex", (t.dir() / "W.zep").string(), "--to", t.dir().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(tolvtest::lenexFaults(readBytes(t.dir() / "W.lef")), std::vector<std::string>{});
}

TEST(CliLenex, TakesTheOrganisersMeetAndEntersAgainstItsEvents)
{
    TempTree t;
    ensureWorkTree();
    const fs::path entry = t.dir() / "CLUB.zep";
    makeEntry(entry, 2);
    // The organiser's invitation: the meet, one session, 100 m freestyle for men aged 10 to 20
    // (event 7) and for older ones (event 8); no athletes.
    const fs::path invitation = t.dir() / "invitation.lef";
    tolvtest::writeBytes(invitation, R"(<?xml version="1.0" encoding="UTF-8"?>
<LENEX version="3.0">
  <MEETS>
    <MEET name="Kanto Open" city="Chiba" nation="JPN" course="LCM">
      <AGEDATE type="DATE" value="2024-04-01" />
      <SESSIONS>
        <SESSION number="1" date="2024-07-20">
          <EVENTS>
            <EVENT eventid="7" number="1" gender="M"><SWIMSTYLE distance="100" relaycount="1" stroke="FREE" />
              <AGEGROUPS><AGEGROUP agegroupid="71" agemin="10" agemax="20" /></AGEGROUPS></EVENT>
            <EVENT eventid="8" number="2" gender="M"><SWIMSTYLE distance="100" relaycount="1" stroke="FREE" />
              <AGEGROUPS><AGEGROUP agegroupid="81" agemin="21" agemax="-1" /></AGEGROUPS></EVENT>
          </EVENTS>
        </SESSION>
      </SESSIONS>
    </MEET>
  </MEETS>
</LENEX>
)");
    auto r = tolvRun({"export", "lenex", entry.string(), "--to", t.dir().string(), "--city", "千葉市"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("種目はこのプログラムの種目番号のままです"), std::string::npos) << r.out;

    r = tolvRun({"import", "lenex-meet", entry.string(), invitation.string(), "--header"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("主催者の大会を取り込みました: Kanto Open"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("セッション 1、種目 2"), std::string::npos) << r.out;
    EXPECT_NE(readBytes(fs::path(entry.string() + ".lenex")).find("meet\t4\tEVENT\teventid=7\tnumber=1\tgender=M\n"),
              std::string::npos);

    // Born 2001-05-01: 22 on the age date, so event 8.
    r = tolvRun({"export", "lenex", entry.string(), "--to", t.dir().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("取り込んだ主催者の大会の種目にエントリーしました"), std::string::npos) << r.out;
    const std::string lef = readBytes(t.dir() / "CLUB.lef");
    EXPECT_EQ(tolvtest::lenexFaults(lef), std::vector<std::string>{});
    EXPECT_NE(lef.find("<MEET name=\"Kanto Open\" city=\"Chiba\""), std::string::npos) << lef;
    EXPECT_NE(lef.find("<ENTRY eventid=\"8\" entrytime=\"00:01:00.01\" />"), std::string::npos) << lef;
    EXPECT_EQ(lef.find("eventid=\"3\""), std::string::npos);

    r = tolvRun({"import", "lenex-meet", "--help"});
    EXPECT_NE(r.out.find("主催者の Lenex ファイル"), std::string::npos) << r.out;
    r = tolvRun({"import", "lenex-meet", entry.string(), (t.dir() / "CLUB.zep").string()});
    EXPECT_EQ(r.exitCode, 1);
}
