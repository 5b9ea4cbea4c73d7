// tolv merge and tolv formats, run as a program.
#include "merge/ReadingFormats.h"
#include "platform/Paths.h"
#include "storage/EntryStore.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;

namespace {

namespace fs = std::filesystem;

struct CliMerge {
    tolvtest::TempTree tree;
    fs::path entry = tree.dir() / "all.zep";

    CliMerge()
    {
        ensureWorkTree();
        merge::ReadingFormat f;
        f.name = "クラブ";
        f.titleRecords = 1;
        f.columns[1] = {1, false};
        f.columns[3] = {2, false};
        f.columns[7] = {3, false};
        merge::registerReadingFormat(ctlDir() / "yomi.dat", f);
        team("a.zep", 2);
        team("b.ZEP", 1);
        tolvtest::writeBytes(tree.dir() / "c.csv", tolvtest::sj("旧番号,名前,50自\r\n13001200105011,山田,30.50\r\n"));
        EXPECT_EQ(runProgram(TOLV_BIN, {"new", entry.string()}).exitCode, 0);
    }

    void team(const char* name, int swimmers)
    {
        EntryStore s;
        s.openEntryFile(tree.dir() / name);
        for (int n = 1; n <= swimmers; ++n) {
            s.swimmer() = EntryStore::emptySwimmer();
            s.swimmer().setSeq(n);
            s.swimmer().setQBango("13001200105011");
            s.header().setTotal(n);
            s.writeSwimmer(n);
        }
    }

    std::string at(const char* name) const { return (tree.dir() / name).string(); }
};

} // namespace

TEST(MergeCommand, AppendsEverySourceInOrderAndSaysHowMany)
{
    CliMerge m;
    auto r = runProgram(TOLV_BIN, {"merge", m.entry.string(), m.at("a.zep"), m.at("b.ZEP"), m.at("c.csv"), "--format", "クラブ"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, m.at("a.zep") + "\t2\n" + m.at("b.ZEP") + "\t1\n" + m.at("c.csv") + "\t1\n");
    EXPECT_EQ(fs::file_size(m.entry), 14u * 384u);
    EXPECT_EQ(readBytes(m.entry).substr(0, 4), std::string("\x04\0\0\0", 4));

    // With the master preferred the third column counts the swimmers it filled.
    const fs::path root = m.tree.dir() / "registration";
    tolvtest::writeFixtureMaster(root);
    r = runProgram(TOLV_BIN, {"merge", m.entry.string(), m.at("a.zep"), "--prefer-master", "--master", root.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, m.at("a.zep") + "\t2\t2\n");
}

TEST(MergeCommand, EverySourceIsCheckedBeforeTheFirstIsAppended)
{
    CliMerge m;
    tolvtest::writeBytes(m.tree.dir() / "bad.csv", "1,2,3,4\r\n5,6\r\n");
    const std::string before = readBytes(m.entry);
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* says;
    };
    const Case cases[] = {
        {{m.at("a.zep"), m.at("all.zed")}, 1, "ここでは読込できません"},
        {{m.at("a.zep"), m.at("bad.csv"), "--format", "クラブ"}, 1, "ファイルの終わりのレコードの項目が足りません"},
        {{m.at("a.zep"), m.at("c.csv"), "--format", "なし"}, 1, "読込形式 なし はありません"},
        {{m.at("a.zep"), m.at("c.csv")}, 2, "--format NAME is needed"},
        {{}, 2, "SOURCE を指定してください"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"merge", m.entry.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = runProgram(TOLV_BIN, args);
        EXPECT_EQ(r.exitCode, c.exit) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(readBytes(m.entry) == before) << "entry file changed";
    }
}

TEST(FormatsCommand, ListsAndShowsTheStoredFormats)
{
    CliMerge m;
    auto r = runProgram(TOLV_BIN, {"formats", "list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "クラブ\n");
    r = runProgram(TOLV_BIN, {"formats", "show", "クラブ"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("タイトル項目\t1\n種目の読込方法\t固定位置\n範囲\t0 -> 0\n0\t番号\t0\n1\t旧番号\t1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("7\t50m自由形\t3\n"), std::string::npos) << r.out;
    EXPECT_EQ(runProgram(TOLV_BIN, {"formats", "show", "なし"}).exitCode, 1);
}
