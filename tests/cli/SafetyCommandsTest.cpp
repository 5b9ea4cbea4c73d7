// One writer at a time, whole files or none, crafted counts, damaged settings and tolv verify,
// each through the tolv program as a user runs it.
#include "platform/Cp932.h"
#include "platform/FileLock.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/Master.h"
#include "storage/PrefectureTable.h"
#include "support/TestSupport.h"
#include "transfer/SetJournal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <csignal>
#include <fcntl.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;
using tolvtest::TempTree;
using tolvtest::writeBytes;

namespace {

namespace fs = std::filesystem;

tolvtest::RunResult tolvRun(const std::vector<std::string>& args) { return runProgram(TOLV_BIN, args); }

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// Swimmer i of a generated file: teams 13001.., both sexes, one 50 m freestyle time each.
SwimmerRecord generated(int i)
{
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setSeq(i);
    char q[16], b[16];
    std::snprintf(q, sizeof q, "13%03d2001050%d1", (i * 7919) % 97, i % 2 ? 1 : 6);
    std::snprintf(b, sizeof b, "%07d", 1000000 + i);
    s.setQBango(q);
    s.setBango(b);
    s.setNamae("選手");
    s.setKana("ｾﾝｼｭ");
    s.setSei(i % 2 ? "1" : "2");
    s.setShuFuku("1");
    s.setKiro(1, 2800 + i % 500);
    return s;
}

fs::path makeEntry(const fs::path& path, int swimmers)
{
    EntryStore store;
    store.openEntryFile(path);
    std::vector<SwimmerRecord> all;
    for (int i = 1; i <= swimmers; ++i) all.push_back(generated(i));
    if (!all.empty()) store.appendSwimmers(all, "test");
    return path;
}

} // namespace

// A second writer is refused at once, naming the file, and nothing is lost or changed.
TEST(Safety, WritersAreRefusedWhileAnotherProgramHoldsTheFile)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "team.zep", 3);
    const std::string before = readBytes(entry);
    FileLock held(entry, FileLock::Kind::Exclusive); // a sort, an import or the entry window
    const std::vector<std::vector<std::string>> writers{
        {"add", entry.string(), "--qbango", "13001200105011"},   {"sort", "club", entry.string()},
        {"tally", entry.string(), "--master", t.dir().string()}, {"rewrite", "kana", entry.string()},
        {"set-header", entry.string(), "--zigyo", "x"},
    };
    for (const auto& args : writers) {
        auto r = tolvRun(args);
        EXPECT_EQ(r.exitCode, 1) << args[0];
        EXPECT_TRUE(contains(r.err, "他のプログラムが使用中です: " + entry.string())) << args[0] << ": " << r.err;
    }
    EXPECT_EQ(readBytes(entry), before);
    held.release();
    EXPECT_EQ(tolvRun({"add", entry.string(), "--qbango", "13001200105011"}).exitCode, 0);
}

// The tally is refused while the lists window holds the team totals file.
TEST(Safety, TheTallyIsRefusedWhileTheTotalsFileIsHeld)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "team.zep", 3);
    ASSERT_EQ(tolvRun({"tally", entry.string(), "--master", t.dir().string()}).exitCode, 0);
    const fs::path zed = t.dir() / "team.zed";
    const std::string before = readBytes(zed);
    FileLock held(zed, FileLock::Kind::Exclusive);
    auto r = tolvRun({"tally", entry.string(), "--master", t.dir().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "他のプログラムが使用中です: " + zed.string() + "\n");
    EXPECT_EQ(readBytes(zed), before);
}

TEST(Safety, ListsAreNotPrintedFromAnEmptyTotalsFile)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "team.zep", 3);
    writeBytes(t.dir() / "team.zed", "");
    auto r = tolvRun({"print", "team-list", entry.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "申込団体ファイルが空です。先に集計してください: " + (t.dir() / "team.zed").string() + "\n");
    EXPECT_EQ(fs::file_size(t.dir() / "team.zed"), 0u);
}

// A dr_web.ctl that cannot be parsed keeps the club's settings; the command says so once.
TEST(Safety, AnUnreadableSettingsFileIsLeftAsItWas)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "team.zep", 2);
    const fs::path web = t.home() / "ctl" / "dr_web.ctl";
    const std::string damaged = "\"13001\",\"secret\"\r\n\"http://example/\"," + std::string("\x82", 1);
    writeBytes(web, damaged);
    auto r = tolvRun({"tally", entry.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(web), damaged);
    EXPECT_EQ(r.err, damagedControlMessage({web}) + "\n");
#ifndef _WIN32              // a file no one may read: POSIX permissions (Windows' attributes make none)
    if (::geteuid() != 0) { // a permission only binds others than root
        writeBytes(web, "\"13001\",\"secret\"\r\n\"http://example/\",1,0\r\n");
        fs::permissions(web, fs::perms::none);
        r = tolvRun({"tally", entry.string()});
        EXPECT_EQ(r.err, damagedControlMessage({web}) + "\n");
        fs::permissions(web, fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(readBytes(web), "\"13001\",\"secret\"\r\n\"http://example/\",1,0\r\n");
    }
#endif
}

// An empty, cut or damaged ken.ctl stops the rewrite, naming the file; no prefecture is blanked.
TEST(Safety, APrefectureTableThatCannotBeReadStopsTheRewrite)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "team.zep", 4);
    const fs::path ken = t.home() / "ctl" / "ken.ctl";
    writePrefectureTable(ken, shippedPrefectures());
    const std::string good = readBytes(ken);
    ASSERT_EQ(tolvRun({"rewrite", "prefecture", entry.string()}).exitCode, 0);
    const std::string before = readBytes(entry);
    std::string damaged = good;
    damaged[12 * 20] = '\x85'; // no CP932 character starts with 0x85
    for (const std::string& bytes : {std::string(), good.substr(0, 20 * 13), damaged}) {
        writeBytes(ken, bytes);
        auto r = tolvRun({"rewrite", "prefecture", entry.string()});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(contains(r.err, ken.string())) << r.err;
        EXPECT_EQ(readBytes(entry), before);
    }
}

// A header count of 2^31 - 1 (or just past the limit) over a sparse file: every command stops at
// once with the file's name; nothing is read past the limit, nothing is written.
TEST(Safety, ACraftedCountOverASparseFileIsRefusedByEveryCommand)
{
    TempTree t;
    for (std::int32_t total : {std::int32_t(2147483647), std::int32_t(kMaxSwimmers + 1)}) {
        const fs::path entry = makeEntry(t.dir() / "crafted.zep", 0);
        {
            std::string head = readBytes(entry);
            std::memcpy(head.data(), &total, 4);
            writeBytes(entry, head);
            fs::resize_file(entry, static_cast<std::uintmax_t>(kMaxSwimmers + 20) * 384);
        }
        const std::string headBefore = readBytes(entry).substr(0, 768);
        const auto size = fs::file_size(entry);
        const auto start = std::chrono::steady_clock::now();
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"add", entry.string(), "--qbango", "13001200105011"},
              {"show", entry.string()},
              {"check", "number", entry.string()},
              {"tally", entry.string(), "--master", t.dir().string()},
              {"print", "individuals", entry.string()}}) {
            auto r = tolvRun(args);
            EXPECT_EQ(r.exitCode, 1) << args[0];
            EXPECT_TRUE(contains(r.err, entry.string())) << args[0] << ": " << r.err;
        }
        auto v = tolvRun({"verify", entry.string()});
        EXPECT_EQ(v.exitCode, 1);
        EXPECT_TRUE(contains(v.out, "総数（total）が上限 100000 人を超えています: " + std::to_string(total))) << v.out;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(fs::file_size(entry), size);
        EXPECT_EQ(readBytes(entry).substr(0, 768), headBefore);
        fs::remove(entry);
    }
}

namespace {

std::string withSwimmerField(std::string file, int n, std::size_t offset, const std::string& bytes)
{
    file.replace(static_cast<std::size_t>(n + 9) * 384 + offset, bytes.size(), bytes);
    return file;
}

std::string withI32(std::string file, std::size_t at, std::int32_t v)
{
    std::memcpy(file.data() + at, &v, 4);
    return file;
}

} // namespace

TEST(Verify, ReportsEachFaultBySwimmerAndField)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "club.zep", 3);
    const std::string good = readBytes(entry);
    auto r = tolvRun({"verify", entry.string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, entry.string() + "\n大きさ 4992 バイト、総数 3 人\n問題はありません\n");

    using S = SwimmerRecord;
    struct Case {
        std::string bytes;
        std::string line;
        int exit = 1; // 3: a data finding (a value outside its coding and the like), the file is sound
    };
    // 30 February: no calendar date.
    const std::string badBirth = withSwimmerField(good, 2, S::kQBango.offset + 5, "20010230");
    const std::vector<Case> cases{
        {withSwimmerField(good, 2, S::kSei.offset, "9"), "選手 2（番号 1000002）: 性別（sei）が正しくありません: \"9\"", 3},
        {withSwimmerField(good, 3, S::kNamae.offset, "\x85\x40"), "選手 3（番号 1000003）: 氏名（Namae）の文字が読めません"},
        {withSwimmerField(good, 1, S::kBango.offset, "1000003"),
         "選手 3（番号 1000003）: 競技者番号（Bango）が選手 1 と重複しています", 3},
        {badBirth,
         "選手 2（番号 1000002）: 旧番号（QBango）「" + badBirth.substr(11 * 384 + S::kQBango.offset, 14) +
             "」の生年月日が日付ではありません",
         3},
        {withI32(good, 10 * 384 + S::kKiro.offset + 4 * 3, 6075),
         "選手 1（番号 1000001）: 種目 13 のタイム（kiro）が正しくありません: 6075", 3},
        {withI32(good, 11 * 384 + S::kKiro.offset, -5), "選手 2（番号 1000002）: 種目 10 のタイム（kiro）が正しくありません: -5",
         3},
        {withSwimmerField(good, 1, S::kShubetu.offset, "0x0000"),
         "選手 1（番号 1000001）: 種別（shubetu）が正しくありません: \"0x0000\"", 3},
        {withI32(good, 0, 4), "総数（total）4 に対し、ファイル内の選手レコードは 3 です"},
        {withI32(good, 0, -1), "総数（total）が負です: -1"},
        {good.substr(0, 700), "ファイルが短すぎます（700 バイト、ヘッダと予備種目の 768 バイトに足りません）"},
        {good + "x", "ファイルの大きさ 4993 バイトが 384 の倍数ではありません"},
    };
    for (const Case& c : cases) {
        writeBytes(entry, c.bytes);
        r = tolvRun({"verify", entry.string()});
        EXPECT_EQ(r.exitCode, c.exit) << c.line;
        EXPECT_TRUE(contains(r.out, (c.exit == 1 ? "\n【損傷】" : "\n【データ】") + c.line + "\n")) << r.out;
        EXPECT_TRUE(contains(r.out, c.exit == 1 ? "\n損傷 1 件: 健全な申込ファイルではありません\n"
                                                : "\n申込ファイルは健全です。データの指摘 1 件\n"))
            << r.out;
        EXPECT_EQ(readBytes(entry), c.bytes);
    }

    // The merge refuses a source that does not verify, naming it and its first problem.
    const fs::path target = makeEntry(t.dir() / "federation.zep", 1);
    const std::string targetBefore = readBytes(target);
    writeBytes(entry, cases[1].bytes);
    r = tolvRun({"merge", target.string(), entry.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, "申込ファイルに誤りがあるため取り込めません（tolv verify で確認してください）: " +
                                    entry.string() + "\n" + cases[1].line))
        << r.err;
    EXPECT_EQ(readBytes(target), targetBefore);
    writeBytes(entry, good);
    EXPECT_EQ(tolvRun({"merge", target.string(), entry.string()}).exitCode, 0);
}

// A time outside the coding (6543: 65 seconds, as older programs stored) is a data finding: the
// file is sound, a rewrite runs on it and its undo puts the file back byte for byte.
TEST(Verify, AValueOutsideItsCodingDoesNotKeepARewriteFromBeingUndone)
{
    TempTree t;
    const fs::path entry = t.dir() / "club.zep";
    {
        EntryStore store;
        store.openEntryFile(entry);
        SwimmerRecord s = generated(1);
        s.setKana("ﾔﾏﾀﾞ　ﾀﾛｳ"); // a full-width blank for the kana rewrite to change
        s.setKiro(2, 6543);
        store.appendSwimmers({s}, "test");
    }
    const std::string before = readBytes(entry);
    auto r = tolvRun({"verify", entry.string()});
    EXPECT_EQ(r.exitCode, 3) << r.out;
    ASSERT_EQ(tolvRun({"rewrite", "kana", entry.string()}).exitCode, 0);
    ASSERT_NE(readBytes(entry), before);
    r = tolvRun({"undo", entry.string(), "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(entry), before);
}

#ifndef _WIN32 // the processes are started, killed and waited for with POSIX calls
namespace {

// Runs tolv with args, killed just before its step `step` of changing the file system (the
// kill-point library loaded into it numbers every file opened for writing, first write, fsync,
// close, rename, removal); stdout and stderr go nowhere. True when it was killed there, false when
// it had fewer steps and ran to its end.
bool killedAtStep(const std::vector<std::string>& args, int step)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::setenv("LD_PRELOAD", TOLV_KILL_POINTS, 1);
        ::setenv("TOLV_KILL_AT_STEP", std::to_string(step).c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(TOLV_BIN)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TOLV_BIN, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return true;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args[0] << " step " << step << ": status " << status;
    return false;
}

// More steps than any of these changes takes: a loop past it means the kill never comes.
constexpr int kMostSteps = 400;

} // namespace

// A bulk change killed at each of its steps leaves the old file or the new one, never a mix, and
// the header count always matches the records.
TEST(Safety, ABulkChangeKilledAtAnyMomentLeavesTheOldOrTheNewFile)
{
    TempTree t;
    // Small files do: every step is tried, whatever the size.
    const fs::path entry = makeEntry(t.dir() / "big.zep", 300);
    const std::string old = readBytes(entry);
    const fs::path source = makeEntry(t.dir() / "club.zep", 150);
    const std::vector<std::vector<std::string>> changes{{"sort", "club", entry.string()},
                                                        {"merge", entry.string(), source.string(), "--again"}};
    for (const auto& args : changes) {
        writeBytes(entry, old);
        ASSERT_EQ(tolvRun(args).exitCode, 0);
        const std::string changed = readBytes(entry);
        ASSERT_NE(changed, old);

        int oldSeen = 0, newSeen = 0, step = 1;
        for (;; ++step) {
            ASSERT_LT(step, kMostSteps) << args[0];
            writeBytes(entry, old);
            const bool killed = killedAtStep(args, step);
            const std::string now = readBytes(entry);
            ASSERT_TRUE(now == old || now == changed) << args[0] << " step " << step << ": " << now.size() << " bytes";
            std::int32_t total;
            std::memcpy(&total, now.data(), 4);
            ASSERT_EQ(static_cast<std::size_t>(total + 10) * 384, now.size());
            if (!killed) {
                EXPECT_EQ(now, changed) << args[0] << ": ran to its end";
                break;
            }
            // Once the new file is in place, a later kill cannot bring the old one back.
            if (now == old) {
                EXPECT_EQ(newSeen, 0) << args[0] << " step " << step;
            }
            (now == old ? oldSeen : newSeen)++;
        }
        // Killed both before and after the replacement.
        EXPECT_GT(oldSeen, 0) << args[0];
        EXPECT_GT(newSeen, 0) << args[0];
        RecordProperty(args[0] + "_steps", step - 1);
        // The next run clears the temporary files the killed ones left.
        writeBytes(entry, old);
        ASSERT_EQ(tolvRun(args).exitCode, 0);
        for (const auto& e : fs::directory_iterator(t.dir())) EXPECT_NE(e.path().extension(), ".tmp") << e.path();
    }
}

// An export of several files killed at each of its steps leaves the old set or the new one: once
// the interrupted renames are completed (as the next export into the folder does first), never a mix.
TEST(Safety, AnExportKilledAtAnyMomentLeavesTheOldSetOrTheNew)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "federation.zep", 1000); // three media of 450
    const fs::path to = t.dir() / "transfer";
    fs::create_directories(to);
    fs::create_directories(t.dir() / "ken13");
    std::vector<TeamRecord> teams(1);
    teams[0].setCode("13062");
    writeTeamList(t.dir() / "ken13" / "dantai.dat", teams);
    ASSERT_EQ(tolvRun({"tally", entry.string(), "--master", t.dir().string()}).exitCode, 0);
    const std::vector<std::string> args{"export", "scm-media", entry.string(), "--to", to.string(), "--master", t.dir().string()};
    auto set = [&] {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(to))
            if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                files[fs::relative(e.path(), to).string()] = readBytes(e.path());
        return files;
    };
    ::setenv("TOLVSYS_NOW", "2008-10-16 09:00:00", 1);
    auto first = tolvRun(args);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const auto oldSet = set();
    ::setenv("TOLVSYS_NOW", "2008-10-16 10:00:00", 1);
    ASSERT_EQ(tolvRun(args).exitCode, 0);
    const auto newSet = set();
    ASSERT_EQ(oldSet.size(), 5u); // three swimmer media, the team file, the relay file
    ASSERT_EQ(newSet.size(), oldSet.size());
    ASSERT_NE(newSet.at("Scmdt.csv"), oldSet.at("Scmdt.csv"));
    ASSERT_NE(newSet.at("MEDIA3/ScmSwimmerdt.csv"), oldSet.at("MEDIA3/ScmSwimmerdt.csv"));

    int oldSeen = 0, newSeen = 0, step = 1;
    for (;; ++step) {
        ASSERT_LT(step, kMostSteps);
        for (const auto& [name, bytes] : oldSet) writeBytes(to / name, bytes);
        const bool killed = killedAtStep(args, step);
        for (const fs::path& d : {to, to / "MEDIA2", to / "MEDIA3"}) exchange::finishInterruptedSets(d);
        const auto now = set();
        ASSERT_TRUE(now == oldSet || now == newSet) << "step " << step;
        if (!killed) {
            EXPECT_TRUE(now == newSet) << "ran to its end";
            break;
        }
        (now == oldSet ? oldSeen : newSeen)++;
    }
    ::unsetenv("TOLVSYS_NOW");
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
    RecordProperty("export_steps", step - 1);
}
#endif
