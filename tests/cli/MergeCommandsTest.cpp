// tolv merge and tolv formats, run as a program.
#include "merge/ReadingFormats.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "storage/EntryStore.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    r = runProgram(TOLV_BIN, {"merge", m.entry.string(), m.at("a.zep"), "--prefer-master", "--master", root.string(), "--again"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, m.at("a.zep") + "\t2\t2\n");
}

TEST(MergeCommand, EverySourceIsCheckedBeforeTheFirstIsAppended)
{
    CliMerge m;
    tolvtest::writeBytes(m.tree.dir() / "bad.csv", "1,2,3,4\r\n5,6\r\n");
    tolvtest::writeBytes(m.tree.dir() / "time.csv", tolvtest::sj("旧番号,名前,50自\r\n13001200105011,山田,99:99.99\r\n"));
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
        {{m.at("time.csv"), "--format", "クラブ"}, 1, "タイムではありません（50m自由形「99:99.99」"},
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
    EXPECT_NE(r.out.find("タイトル項目\t1\n種目の読込方法\t固定位置\n範囲\t0 -> 0\n0\t番号\t0\n1\t旧番号\t1\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("7\t50m自由形\t3\n"), std::string::npos) << r.out;
    EXPECT_EQ(runProgram(TOLV_BIN, {"formats", "show", "なし"}).exitCode, 1);
}

namespace {

// A club's file as the entry window makes it: swimmers numbered 1 … n, the last typed twice when
// `twice`.
void clubFile(const fs::path& path, int club, int swimmers, bool twice)
{
    EntryStore s;
    s.openEntryFile(path);
    for (int n = 1; n <= swimmers + (twice ? 1 : 0); ++n) {
        const int who = std::min(n, swimmers);
        s.swimmer() = EntryStore::emptySwimmer();
        s.swimmer().setSeq(n);
        s.swimmer().setBango(std::to_string(1000000 + club * 100 + who));
        s.swimmer().setQBango("13" + std::to_string(100 + club) + "2001050" + std::to_string(who % 5) + "1");
        s.header().setTotal(n);
        s.writeSwimmer(n);
    }
    s.close();
    fs::remove(FileLock::lockPathFor(path)); // as it comes from the club: the file alone
}

} // namespace

TEST(MergeCommand, ClubFilesWithDuplicatesAreAppendedAndTheirFindingsListed)
{
    CliMerge m;
    std::vector<std::string> args = {"merge", m.entry.string()};
    for (int club = 1; club <= 20; ++club) {
        const fs::path folder = m.tree.dir() / ("club" + std::to_string(club));
        fs::create_directories(folder);
        clubFile(folder / "entry.zep", club, 3, club % 2 == 0);
        args.push_back((folder / "entry.zep").string());
    }
    auto r = runProgram(TOLV_BIN, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 20);
    EXPECT_EQ(readBytes(m.entry).substr(0, 4), std::string("\x46\0\0\0", 4)); // 20 x 3 + 10
    for (int club = 2; club <= 20; club += 2)
        EXPECT_NE(r.err.find((m.tree.dir() / ("club" + std::to_string(club)) / "entry.zep").string() +
                             ": 重複番号 1 件（「チェック」→「番号」で確認してください）\n"),
                  std::string::npos)
            << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 10) << r.err;
    // Reading a club's file leaves nothing in its folder.
    for (int club = 1; club <= 20; ++club)
        EXPECT_EQ(std::distance(fs::directory_iterator(m.tree.dir() / ("club" + std::to_string(club))), fs::directory_iterator()),
                  1);
    // verify lists the duplicates as data findings: sound, exit 3.
    r = runProgram(TOLV_BIN, {"verify", m.entry.string()});
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_NE(r.out.find("\n【データ】選手 7（番号 1000203）: 競技者番号（Bango）が選手 6 と重複しています\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\n申込ファイルは健全です。データの指摘 10 件\n"), std::string::npos) << r.out;
}

TEST(MergeCommand, TheSameBytesAreMergedOnceUnlessAgainIsGiven)
{
    CliMerge m;
    ASSERT_EQ(runProgram(TOLV_BIN, {"merge", m.entry.string(), m.at("a.zep")}).exitCode, 0);
    const std::string once = readBytes(m.entry);
    // The same bytes under another name, and the same file twice in one call.
    fs::copy_file(m.tree.dir() / "a.zep", m.tree.dir() / "copy.zep");
    for (const std::vector<std::string>& sources : {std::vector<std::string>{m.at("a.zep")}, {m.at("copy.zep")}}) {
        std::vector<std::string> args = {"merge", m.entry.string()};
        args.insert(args.end(), sources.begin(), sources.end());
        auto r = runProgram(TOLV_BIN, args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("にこの申込ファイルへ結合済みです（" + m.at("a.zep") + "）。もう一度結合するには --again"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(readBytes(m.entry), once);
    }
    auto r = runProgram(TOLV_BIN, {"merge", m.entry.string(), m.at("b.ZEP"), m.at("b.ZEP")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("同じ内容のファイルが二度指定されています"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(m.entry), once);
    r = runProgram(TOLV_BIN, {"merge", m.entry.string(), m.at("a.zep"), "--again"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(m.entry).substr(0, 4), std::string("\x04\0\0\0", 4));
    // Undoing a merge takes its record with it: the file can be merged again.
    ASSERT_EQ(runProgram(TOLV_BIN, {"undo", m.entry.string(), "--yes"}).exitCode, 0);
    ASSERT_EQ(runProgram(TOLV_BIN, {"undo", m.entry.string(), "2", "--yes"}).exitCode, 0);
    EXPECT_EQ(runProgram(TOLV_BIN, {"merge", m.entry.string(), m.at("a.zep")}).exitCode, 0);
}
