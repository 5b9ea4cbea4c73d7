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
    writeTenControl(ctlDir(), TenControl{transfer.string() + "/"});
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
    EXPECT_EQ(back.header().zigyo(), "TEAM    ");  // an empty file takes the meet
    back.close();
    EXPECT_NE(readBytes(transfer / "TEAM.lef").find("city=\"横浜市\""), std::string::npos);

    // Into a file with swimmers the header changes only with --header.
    makeEntry(t.dir() / "MORE.zep", 1);
    for (const char* flag : {"", "--header"}) {
        std::vector<std::string> args = {"import", "lenex", (t.dir() / "MORE.zep").string(), "TEAM.lxf"};
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
    for (const char* part : {"6 人を追加しました", "文字を基本の文字に置き換えた選手（氏名・所属） 4 件", "欄の長さで切った選手 2 件",
                             "タイムにしなかったエントリー・結果 4 件", "取り込まなかったエントリー・結果", "制御文字を取り除いた行: 52"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    // The city came with the file: no --city needed.
    r = tolvRun({"export", "lenex", (t.dir() / "W.zep").string(), "--to", t.dir().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(tolvtest::lenexFaults(readBytes(t.dir() / "W.lef")), std::vector<std::string>{});
}
