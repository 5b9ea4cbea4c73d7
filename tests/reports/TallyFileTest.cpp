// The team totals file as the tally writes it: whole, under its lock, or not at all.
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "reports/Tally.h"
#include "storage/TeamTotalsFile.h"
#include "reports/ReportFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tolv;
using namespace tolv::reports;
using reporttest::EntryFile;
using reporttest::Swimmer;
namespace fs = std::filesystem;

namespace {

void twoTeams(EntryFile& f)
{
    Swimmer a;
    a.qbango = "13001200105011";
    Swimmer b;
    b.qbango = "13002200105011";
    f.add(a);
    f.add(b);
}

// Runs the tally in a child process whose files may not grow past `limit` bytes (a full disk);
// returns the child's exit code: 0 done, 1 refused with an error.
int tallyWithFileLimit(EntryFile& f, rlim_t limit)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead
        rlimit r{limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        try {
            runTally(f.store, 0, MasterSource::local(f.dir()));
            _exit(0);
        } catch (const TolvError&) {
            _exit(1);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(TallyFile, AFullDiskLeavesTheTotalsAndTheEntryFileAsTheyWere)
{
    EntryFile f;
    twoTeams(f);
    runTally(f.store, 0, MasterSource::local(f.dir()));
    Swimmer c;
    c.qbango = "13003200105011";
    f.add(c);
    const std::string zed = tolvtest::readBytes(f.zedPath());
    const std::string entry = f.bytes();
    ASSERT_EQ(zed.size(), 12u * 384u);

    EXPECT_EQ(tallyWithFileLimit(f, 4096), 1);
    EXPECT_EQ(tolvtest::readBytes(f.zedPath()), zed);
    EXPECT_EQ(f.bytes(), entry);
    // Nothing half-written is left beside it.
    for (const auto& e : fs::directory_iterator(f.dir()))
        EXPECT_EQ(e.path().extension(), e.path().filename().string()[0] == '.' ? ".lock" : e.path().extension()) << e.path();

    EXPECT_EQ(tallyWithFileLimit(f, RLIM_INFINITY), 0);
    EXPECT_EQ(fs::file_size(f.zedPath()), 13u * 384u);
}

TEST(TallyFile, TheTallyIsRefusedWhileTheTotalsFileIsHeld)
{
    EntryFile f;
    twoTeams(f);
    runTally(f.store, 0, MasterSource::local(f.dir()));
    const std::string zed = tolvtest::readBytes(f.zedPath());
    {
        TeamTotalsFile lists; // the lists window editing fees
        lists.open(f.zedPath());
        try {
            runTally(f.store, 0, MasterSource::local(f.dir()));
            FAIL();
        } catch (const TolvError& e) {
            EXPECT_EQ(std::string(e.what()), inUseMessage(f.zedPath()));
        }
        EXPECT_EQ(tolvtest::readBytes(f.zedPath()), zed);
    }
    EXPECT_NO_THROW(runTally(f.store, 0, MasterSource::local(f.dir())));
}

// Printing reads: an empty, cut or damaged file is refused, never shown as an empty list.
TEST(TallyFile, ReadersRefuseAnEmptyOrDamagedTotalsFile)
{
    EntryFile f;
    twoTeams(f);
    runTally(f.store, 0, MasterSource::local(f.dir()));
    const std::string good = tolvtest::readBytes(f.zedPath());
    std::string negative = good;
    negative[0] = '\xFF';
    negative[1] = '\xFF';
    struct Case {
        std::string bytes;
        const char* message;
    };
    for (const Case& c : {Case{"", "申込団体ファイルが空です"}, Case{good.substr(0, 11 * 384), "申込団体ファイルが壊れています"},
                          Case{negative, "申込団体ファイルが壊れています"}}) {
        tolvtest::writeBytes(f.zedPath(), c.bytes);
        TeamTotalsFile t;
        try {
            t.open(f.zedPath(), TeamTotalsFile::Access::Read);
            ADD_FAILURE() << c.bytes.size();
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(f.zedPath().string()), std::string::npos) << e.what();
        }
        EXPECT_EQ(tolvtest::readBytes(f.zedPath()), c.bytes);
    }
}
