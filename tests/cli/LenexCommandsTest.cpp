// tolv export lenex / tolv import lenex, run as a user runs them.
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

    auto r = tolvRun({"export", "lenex", (t.dir() / "TEAM.zep").string(), "--zip"});
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
    back.close();

    // A missing file and a missing argument fail without touching the entry file.
    const std::string before = readBytes(t.dir() / "BACK.zep");
    r = tolvRun({"import", "lenex", (t.dir() / "BACK.zep").string(), "none.lef", "--from", t.dir().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ファイルがありません"), std::string::npos) << r.err;
    r = tolvRun({"import", "lenex", (t.dir() / "BACK.zep").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(readBytes(t.dir() / "BACK.zep"), before);
}
