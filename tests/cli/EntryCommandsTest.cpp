// The tolv command's entry-file commands, run as a user runs them.
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;
using tolvtest::TempTree;
namespace fs = std::filesystem;

namespace {
tolvtest::RunResult tolvRun(const std::vector<std::string>& args) { return runProgram(TOLV_BIN, args); }
} // namespace

TEST(CliEntry, NewWritesTheInitialisedHeaderAndSetHeaderAppliesTheDateRule)
{
    TempTree t;
    auto file = (t.dir() / "TEST.zep").string();
    auto r = tolvRun({"new", file});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(file).size(), 768u);

    r = tolvRun({"set-header", file, "--zigyo", "県大会", "--stbi", "20081016", "--kijunbi", "20080401", "--course", "0",
                 "--botai", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EntryStore s;
    s.openEntryFile(file);
    EXPECT_EQ(s.header().zigyo(), "県大会  ");
    EXPECT_EQ(s.header().stBi(), "2008/10/16");
    EXPECT_EQ(s.header().kijunBi(), "2008/04/01");
    EXPECT_EQ(s.header().course(), 0);
    EXPECT_EQ(s.header().botai(), 1);
    EXPECT_EQ(s.header().day(0), 20081016);
    EXPECT_EQ(s.header().day(9), 20081025);
    s.close();

    // A seven-digit date, an impossible day or an out-of-range option is refused and changes nothing.
    std::string before = readBytes(file);
    for (auto bad : std::vector<std::vector<std::string>>{
             {"--stbi", "2008101"}, {"--enbi", "20081340"}, {"--kubun", "3"}, {"--course", "x"}}) {
        std::vector<std::string> args{"set-header", file};
        args.insert(args.end(), bad.begin(), bad.end());
        r = tolvRun(args);
        EXPECT_EQ(r.exitCode, 2) << bad[0];
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(readBytes(file), before);
}

TEST(CliEntry, ShowJsonReadsBackEveryFieldOfAHandBuiltFile)
{
    TempTree t;
    auto file = t.dir() / "h.zep";
    {
        EntryStore s;
        s.openEntryFile(file);
        s.reserve().setYobiKubun(0, "小学");
        s.reserve().setYobiName(0, "25mキック");
        s.reserve().setYobiRelay(0, "1");
        SwimmerRecord& w = s.swimmer();
        w = EntryStore::emptySwimmer();
        w.setSeq(1);
        w.setBango("1300001");
        w.setQBango("13001200105011");
        w.setNamae("髙橋　一郎");
        w.setKana("ﾀｶﾊｼ ｲﾁﾛｳ");
        w.setKen("東京都");
        w.setKenKana("ﾄｳｷｮｳ");
        w.setGakunen("12");
        w.setNenrei(7);
        w.setSei("1");
        w.setShuFuku("1");
        w.setKiro(0, 1523);
        w.setKiro(43, 666666);
        w.setMarkA(0, "D");
        w.setMarkB(0, "Q");
        w.setTorobi(20080401);
        w.setCard("1");
        w.setDaishi("0");
        s.header().setTotal(1);
        s.writeSwimmer(1);
    }
    auto r = tolvRun({"show", file.string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string& j = r.out;
    for (const char* want :
         {"\"total\": 1", "\"course\": 1", "\"yobiKubun\": [\"小学    \"", "\"yobiRelay\": [\"1\"", "\"n\": 1",
          "\"Bango\": \"1300001\"", "\"QBango\": \"13001200105011\"", "\"Namae\": \"髙橋　一郎      \"",
          "\"Kana\": \"ﾀｶﾊｼ ｲﾁﾛｳ       \"", "\"ken\": \"東京都  \"", "\"nenrei\": 7", "\"kiro\": [1523, 0", ", 666666]",
          "\"markA\": [\"D\", \" \"", "\"markB\": [\"Q\"", "\"torobi\": 20080401", "\"card\": \"1\"", "\"shubetu\": \"000000\""})
        EXPECT_NE(j.find(want), std::string::npos) << want << "\n" << j;
}

TEST(CliEntry, UsageAndFailuresAreReportedWithExitCodes)
{
    TempTree t;
    EXPECT_EQ(tolvRun({}).exitCode, 2);
    EXPECT_EQ(tolvRun({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(tolvRun({"show"}).exitCode, 2);
    auto r = tolvRun({"show", (t.dir() / "missing.zep").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(t.dir() / "missing.zep"));
    // A damaged file is refused, not trusted.
    tolvtest::writeBytes(t.dir() / "bad.zep", std::string("\xff\xff\xff\x7f", 4) + std::string(800, '\0'));
    r = tolvRun({"show", (t.dir() / "bad.zep").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("壊れています"), std::string::npos);
}

TEST(CliEntry, DemoWritesAMasterWhoseSampleFileOpens)
{
    TempTree t;
    auto r = tolvRun({"demo", (t.dir() / "demo").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* f :
         {"registration/kanriken.ctl", "registration/ken13/dantai.dat", "registration/ken13/Otoko/kozin.dat",
          "registration/ken13/Otoko/indexq.dat", "registration/ken13/Onna/indext.dat", "entry/sample.zep", "ken.ctl"})
        EXPECT_TRUE(fs::exists(t.dir() / "demo" / f)) << f;
    r = tolvRun({"show", (t.dir() / "demo" / "entry" / "sample.zep").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("岬　大地"), std::string::npos);
}

TEST(CliEntry, CommandsThatOnlyReadNeitherWriteNorInitialiseTheFile)
{
    TempTree t;
    // A file of 10 bytes or less is shown as empty and left as it is.
    const fs::path tiny = t.dir() / "tiny.zep";
    tolvtest::writeBytes(tiny, "abcde");
    for (std::vector<std::string> args : {std::vector<std::string>{"show", tiny.string()},
                                          {"show", tiny.string(), "--json"},
                                          {"check", "number", tiny.string()},
                                          {"print", "individuals", tiny.string()}}) {
        auto r = tolvRun(args);
        EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
        EXPECT_EQ(readBytes(tiny), "abcde") << args[0];
    }

    // A write-protected file (and folder) is shown. Root writes anyway, so the command runs as nobody.
    auto r = tolvRun({"demo", (t.dir() / "demo").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path entry = t.dir() / "demo" / "entry" / "sample.zep";
    const std::string before = readBytes(entry);
    fs::permissions(entry, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(entry.parent_path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    for (fs::path p = entry.parent_path(); p != t.dir().parent_path(); p = p.parent_path())
        fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
    std::vector<std::string> show = {"show", entry.string()};
#ifdef _WIN32
    r = tolvRun(show);
#else
    if (geteuid() == 0) {
        show.insert(show.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", TOLV_BIN});
        r = runProgram("/usr/bin/setpriv", show);
    } else {
        r = tolvRun(show);
    }
#endif
    fs::permissions(entry.parent_path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("岬　大地"), std::string::npos);
    EXPECT_EQ(readBytes(entry), before);
}

TEST(CliEntry, ShowJsonMemoryDoesNotGrowWithTheFile)
{
    TempTree t;
    ASSERT_EQ(tolvRun({"demo", (t.dir() / "demo").string()}).exitCode, 0);
    // 20,000 swimmers: the demo's records repeated, the header count set to match.
    const std::string demo = readBytes(t.dir() / "demo" / "entry" / "sample.zep");
    const std::size_t rec = kEntryRecordLength;
    const std::size_t demoSwimmers = demo.size() / rec - 10;
    std::string big = demo.substr(0, 10 * rec);
    const std::int32_t count = 20000;
    big.replace(0, 4, reinterpret_cast<const char*>(&count), 4);
    for (int i = 0; i < count; ++i) big += demo.substr((10 + i % demoSwimmers) * rec, rec);
    const fs::path file = t.dir() / "big.zep";
    tolvtest::writeBytes(file, big);
    // The whole document held as text would need well over 100 MB; 48 MB of data is ample.
    auto r = runProgram("/usr/bin/prlimit", {"--data=50331648", TOLV_BIN, "show", file.string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_GT(r.out.size(), 20000u * 1000u);
    EXPECT_NE(r.out.find("\"n\": 20000,"), std::string::npos);
}
