// tolv backups / tolv undo on the backups that bulk changes leave.
#include "platform/Clock.h"
#include "platform/FileLock.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;
using tolvtest::TempTree;
namespace fs = std::filesystem;

namespace {

tolvtest::RunResult tolvRun(const std::vector<std::string>& args) { return runProgram(TOLV_BIN, args); }

// Runs tolv on a terminal, answering its question with `answer`.
tolvtest::RunResult tolvOnTerminal(const std::vector<std::string>& args, const std::string& answer)
{
    int master = -1;
    pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(TOLV_BIN)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TOLV_BIN, argv.data());
        ::_exit(127);
    }
    tolvtest::RunResult r;
    bool answered = false;
    char buf[512];
    for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) {
        r.out.append(buf, static_cast<std::size_t>(n));
        if (!answered && r.out.find("[y/N]") != std::string::npos) {
            ::write(master, answer.data(), answer.size());
            answered = true;
        }
    }
    ::close(master);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A bulk change through the store, which backs the file up first.
void change(const fs::path& entry, const std::string& name, const std::string& command)
{
    EntryStore s;
    s.openEntryFile(entry);
    std::vector<SwimmerRecord> all = s.readAllSwimmers();
    all.at(0).setNamae(name);
    s.commitAll(all, command);
}

} // namespace

TEST(CliBackups, ListAndUndoStepByStep)
{
    TempTree t;
    ASSERT_EQ(tolvRun({"demo", (t.dir() / "demo").string()}).exitCode, 0);
    const fs::path entry = t.dir() / "demo" / "entry" / "sample.zep";
    const std::string original = readBytes(entry);
    auto r = tolvRun({"backups", entry.string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");

    setFixedNow({2008, 10, 16, 9, 5, 7});
    change(entry, "一回目", "rewrite-kana");
    const std::string afterFirst = readBytes(entry);
    change(entry, "二回目", "sort-club");
    resetClock();
    const std::string afterSecond = readBytes(entry);

    r = tolvRun({"backups", entry.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("2008-10-16 09:05:07\tsort-club\t"), 0u) << r.out;
    EXPECT_NE(r.out.find("\n2008-10-16 09:05:07\trewrite-kana\t"), std::string::npos) << r.out;

    // Without a terminal and without --yes nothing is restored.
    r = tolvRun({"undo", entry.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(entry), afterSecond);

    // Asked on a terminal: "n" keeps the file, "y" restores the newest backup.
    r = tolvOnTerminal({"undo", entry.string()}, "n\n");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("sort-club"), std::string::npos) << r.out;
    EXPECT_EQ(readBytes(entry), afterSecond);
    r = tolvOnTerminal({"undo", entry.string()}, "y\n");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(readBytes(entry), afterFirst);

    // Another program holding the file: refused, nothing changes.
    {
        FileLock held(entry, FileLock::Kind::Shared);
        r = tolvRun({"undo", entry.string(), "--yes"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("他のプログラムが使用中です"), std::string::npos) << r.err;
        EXPECT_EQ(readBytes(entry), afterFirst);
    }
    r = tolvRun({"undo", entry.string(), "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(entry), original);
    r = tolvRun({"undo", entry.string(), "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("バックアップがありません"), std::string::npos) << r.err;
}
