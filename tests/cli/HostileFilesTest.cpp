// The program's own bookkeeping files found changed by someone else (a shared transfer folder, a
// backup folder on a shared drive): export journals and the backup record can never make a
// command change a file outside their folder, and the command says why it refuses.
#include "platform/Clock.h"
#include "platform/ContentDigest.h"
#include "platform/Paths.h"
#include "storage/Backups.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::TempTree;
using tolvtest::writeBytes;
namespace fs = std::filesystem;

namespace {

tolvtest::RunResult tolvRun(const std::vector<std::string>& args) { return tolvtest::runProgram(TOLV_BIN, args); }

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// Every element under `root` with its kind and bytes (links by their target, not followed).
std::map<std::string, std::string> tree(const fs::path& root)
{
    std::map<std::string, std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->is_symlink()) out[name] = "link:" + fs::read_symlink(it->path()).string();
        else if (it->is_directory()) out[name] = "folder";
        else if (it->is_regular_file()) // the huge sparse files by their size
            out[name] = it->file_size() > (1u << 20) ? "size " + std::to_string(it->file_size()) : readBytes(it->path());
        else out[name] = "other";
    }
    return out;
}

// An entry file of three swimmers.
fs::path makeEntry(const fs::path& entry)
{
    EntryStore s;
    s.openEntryFile(entry);
    std::vector<SwimmerRecord> all;
    for (int i = 1; i <= 3; ++i) {
        SwimmerRecord r = EntryStore::emptySwimmer();
        r.setSeq(i);
        r.setQBango("1300120010501" + std::to_string(i));
        r.setBango(std::to_string(1000000 + i));
        r.setNamae("選手");
        all.push_back(r);
    }
    s.appendSwimmers(all, "test");
    return entry;
}

} // namespace

TEST(HostileJournals, AJournalNamingAnythingButItsOwnTemporaryFilesIsRefusedAndChangesNothing)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "club.zep");
    const fs::path to = t.dir() / "transfer", victim = t.dir() / "victim";
    fs::create_directories(to / "MEDIA2");
    fs::create_directories(victim);
    writeBytes(victim / "a.txt", "victim a");
    writeBytes(victim / ".a.txt.1.1.tmp", "planted");
    writeBytes(to / "b.txt", "transfer b");
    writeBytes(to / "a.txt", "transfer a");
    const std::string journalName = ".tolvsys-set.2147483000.0.pending";
    const fs::path journal = to / journalName;
    const std::string in = to.string(), out = victim.string();

    struct Case {
        const char* what;
        std::function<void()> make;
        const char* says;
    };
    const std::vector<Case> cases{
        {"outside", [&] { writeBytes(journal, out + "/.a.txt.1.1.tmp\t" + out + "/a.txt\n"); }, "記録のあるフォルダの外です"},
        {"relative", [&] { writeBytes(journal, "../victim/.a.txt.1.1.tmp\t../victim/a.txt\n"); },
         "書き出しで書いた形のパスではありません"},
        {"dot-dot", [&] { writeBytes(journal, in + "/.a.txt.1.1.tmp\t" + in + "/..\n"); }, "書き出し先の名前が正しくありません"},
        {"not its temporary", [&] { writeBytes(journal, in + "/a.txt\t" + in + "/b.txt\n"); },
         "一時ファイルの名前ではありません"},
        {"two folders", [&] { writeBytes(journal, in + "/MEDIA2/.a.txt.1.1.tmp\t" + in + "/a.txt\n"); },
         "同じフォルダにありません"},
        {"CR LF", [&] { writeBytes(journal, in + "/.a.txt.1.1.tmp\t" + in + "/a.txt\r\n"); },
         "書き出し先の名前が正しくありません"},
        {"temporary is a link",
         [&] {
             writeBytes(journal, in + "/.b.txt.1.1.tmp\t" + in + "/b.txt\n");
             fs::create_symlink(victim / "a.txt", to / ".b.txt.1.1.tmp");
         },
         "シンボリックリンク"},
        {"medium is a link",
         [&] {
             fs::create_symlink(victim, to / "MEDIA3");
             writeBytes(journal, in + "/MEDIA3/.a.txt.1.1.tmp\t" + in + "/MEDIA3/a.txt\n");
         },
         "フォルダではありません"},
        {"journal is a link",
         [&] {
             writeBytes(victim / "j", in + "/.a.txt.1.1.tmp\t" + in + "/a.txt\n");
             fs::create_symlink(victim / "j", journal);
         },
         "シンボリックリンク"},
        {"journal is a folder", [&] { fs::create_directory(journal); }, "フォルダ"},
        {"journal is a FIFO", [&] { ASSERT_TRUE(tolvtest::makeFifo(journal)); }, "通常のファイルではありません"},
        {"journal is huge",
         [&] {
             writeBytes(journal, "");
             fs::resize_file(journal, 1ull << 32);
         },
         "大きすぎます"},
    };
    // A first export elsewhere makes the working tree and installs the templates.
    ASSERT_EQ(tolvRun({"export", "tolvzep", entry.string(), "--to", t.dir().string()}).exitCode, 0);
    for (const Case& k : cases) {
        k.make();
        const auto before = tree(t.dir());
        const auto r = tolvRun({"export", "tolvzep", entry.string(), "--to", to.string()});
        EXPECT_EQ(r.exitCode, 1) << k.what;
        EXPECT_TRUE(contains(r.err, k.says)) << k.what << ": " << r.err;
        EXPECT_TRUE(contains(r.err, journalName)) << k.what << ": " << r.err;
        EXPECT_TRUE(tree(t.dir()) == before) << k.what;
        fs::remove_all(journal);
        for (const char* planted : {".b.txt.1.1.tmp", "MEDIA3"}) fs::remove(to / planted);
        fs::remove(victim / "j");
    }

    // The writer's own journal, its temporary file left by a kill: the rename is made, then the export.
    writeBytes(to / "MEDIA2" / ".a.txt.4.7.tmp", "new a");
    writeBytes(journal, in + "/MEDIA2/.a.txt.4.7.tmp\t" + in + "/MEDIA2/a.txt\n");
    const auto r = tolvRun({"export", "tolvzep", entry.string(), "--to", to.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(to / "MEDIA2" / "a.txt"), "new a");
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_EQ(readBytes(victim / "a.txt"), "victim a");
}

namespace {

// A bulk change through the store, which backs the file up first.
void change(const fs::path& entry, const std::string& name, const std::string& command = "rewrite-kana")
{
    EntryStore s;
    s.openEntryFile(entry);
    std::vector<SwimmerRecord> all = s.readAllSwimmers();
    all.at(0).setNamae(name);
    s.commitAll(all, command);
}

} // namespace

TEST(HostileBackups, ARecordOrCopiesChangedBySomeoneElseNeverReachOutsideTheBackupFolder)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "club.zep"), other = makeEntry(t.dir() / "other.zep");
    change(entry, "一回目");
    change(other, "別", "sort-sex");
    const std::string entryNow = readBytes(entry);
    const fs::path folder = backupFolderFor(entry), index = folder / "index.txt";
    std::string good = readBytes(index);
    const fs::path victim = t.dir() / "victim";
    fs::create_directories(victim);
    writeBytes(victim / "other.zep", readBytes(other));
    writeBytes(victim / "other.zed", "totals");
    const std::string otherDigest = ContentDigest::of(readBytes(other));
    const std::string seal(64, 'a');
    // The newest step of the index replaced by a line of our choosing.
    auto withStep = [&](const std::string& line) {
        const std::size_t at = good.find("step\t");
        writeBytes(index, good.substr(0, at) + line + good.substr(at));
    };
    const BackupInfo otherStep = listBackups(other).at(0);

    struct Case {
        const char* what;
        std::function<void()> make;
        const char* says;
    };
    const std::vector<Case> cases{
        {"dot-dot", [&] { withStep("step\t../../../victim/other\t" + otherDigest + "\t-\trewrite-kana\t" + seal + "\t\n"); },
         "バックアップの名前が正しくありません"},
        {"absolute", [&] { withStep("step\t" + (victim / "other").string() + "\t" + otherDigest + "\t-\tmerge\n"); },
         "バックアップの名前が正しくありません"},
        {"merge record", [&] { withStep("merged\t2008-10-16 09:00:00\t3\t" + otherDigest + "\t../x\t/a\n"); },
         "バックアップの名前が正しくありません"},
        {"unknown line", [&] { withStep("rm\t-rf\n"); }, "知らない種類の行です"},
        {"index is a link",
         [&] {
             fs::remove(index);
             fs::create_symlink(victim / "other.zed", index);
         },
         "シンボリックリンク"},
        {"index is a folder",
         [&] {
             fs::remove(index);
             fs::create_directory(index);
         },
         "フォルダ"},
        {"index is a FIFO",
         [&] {
             fs::remove(index);
             ASSERT_TRUE(tolvtest::makeFifo(index));
         },
         "通常のファイルではありません"},
        {"huge index",
         [&] {
             writeBytes(index, good);
             fs::resize_file(index, 1ull << 30);
         },
         "大きすぎます"},
        {"folder is a link",
         [&] {
             fs::rename(folder, t.dir() / "moved");
             fs::create_symlink(t.dir() / "moved", folder);
         },
         "シンボリックリンク"},
        {"another file's step with its record",
         [&] {
             // Its copy and its whole line (digest and seal) put into this file's folder.
             fs::copy_file(otherStep.file, folder / otherStep.file.filename());
             const std::string otherIndex = readBytes(backupFolderFor(other) / "index.txt");
             const std::size_t at = otherIndex.find("step\t");
             withStep(otherIndex.substr(at, otherIndex.find('\n', at) + 1 - at));
         },
         "照合できない"},
        {"copy and digest rewritten",
         [&] {
             const BackupInfo mine = listBackups(entry).at(0);
             writeBytes(mine.file, readBytes(other));
             std::string text = good;
             const std::size_t step = text.find("step\t");
             const std::size_t field = text.find('\t', text.find('\t', step) + 1) + 1;
             text.replace(field, 16, otherDigest);
             writeBytes(index, text);
         },
         "照合できない"},
    };
    for (const Case& k : cases) {
        k.make();
        const auto before = tree(t.dir());
        const auto r = tolvRun({"undo", entry.string(), "--yes", "--force"});
        EXPECT_EQ(r.exitCode, 1) << k.what;
        EXPECT_TRUE(contains(r.err, k.says)) << k.what << ": " << r.err;
        EXPECT_TRUE(tree(t.dir()) == before) << k.what;
        // A bulk change refuses as well (the record cannot be kept), or, where only a step is
        // foreign, goes ahead and never removes anything outside.
        EntryStore s;
        s.openEntryFile(entry);
        std::vector<SwimmerRecord> all = s.readAllSwimmers();
        try {
            for (int i = 0; i < 3; ++i) s.commitAll(all, "sort-club");
        } catch (const std::exception&) {
        }
        s.close();
        EXPECT_EQ(readBytes(victim / "other.zep"), readBytes(other)) << k.what;
        EXPECT_EQ(readBytes(victim / "other.zed"), "totals") << k.what;
        // Back to the good state for the next case.
        if (fs::is_symlink(folder)) {
            fs::remove(folder);
            fs::rename(t.dir() / "moved", folder);
        }
        fs::remove_all(folder);
        writeBytes(entry, entryNow);
        change(entry, "一回目");
        good = readBytes(index);
    }

    // An editor's CR LF line ends are read.
    std::string crlf;
    for (char c : readBytes(index)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    writeBytes(index, crlf);
    const auto r = tolvRun({"backups", entry.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "フリカナ書き直し")) << r.out;
}

TEST(HostileBackups, LinksPlantedUnderTheNextNamesAreReplacedNeverWrittenThrough)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "club.zep");
    change(entry, "一回目");
    const fs::path folder = backupFolderFor(entry);
    const fs::path victim = t.dir() / "victim.txt";
    writeBytes(victim, "victim");
    setFixedNow({2008, 10, 16, 9, 5, 7});
    // The next names under this clock, each a link to the victim.
    for (int seq = 0; seq < 3; ++seq)
        for (const char* ext : {".zep", ".zed"})
            fs::create_symlink(victim, folder / ("20081016-090507-0" + std::to_string(seq) + "-sort-club" + ext));
    change(entry, "二回目", "sort-club");
    resetClock();
    EXPECT_EQ(readBytes(victim), "victim");
    const std::vector<BackupInfo> steps = listBackups(entry);
    ASSERT_EQ(steps.size(), 3u); // the first write, the rewrite, the sort
    EXPECT_EQ(steps[0].file.filename().string(), "20081016-090507-03-sort-club.zep");
    EXPECT_FALSE(fs::is_symlink(steps[0].file));
}

TEST(HostileBackups, ManyStepsInOneSecondKeepTheirOwnNamesAndTheSettingSaysHowMany)
{
    TempTree t;
    const fs::path entry = makeEntry(t.dir() / "club.zep");
    setFixedNow({2008, 10, 16, 9, 5, 7});
    for (int i = 0; i < 101; ++i) change(entry, "回" + std::to_string(i), "sort-club");
    std::vector<BackupInfo> steps = listBackups(entry);
    ASSERT_EQ(steps.size(), 50u);
    EXPECT_EQ(steps.front().file.filename().string(), "20081016-090507-100-sort-club.zep");
    EXPECT_EQ(steps.back().file.filename().string(), "20081016-090507-51-sort-club.zep");
    writeBytes(ctlDir() / "backups.ctl", "53\r\n");
    for (int i = 0; i < 4; ++i) change(entry, "次" + std::to_string(i), "sort-club");
    resetClock();
    steps = listBackups(entry);
    EXPECT_EQ(steps.size(), 53u);
    // The newest step undone brings back what was there before it.
    const std::string before = readBytes(steps.at(0).file);
    ASSERT_EQ(tolvRun({"undo", entry.string(), "--yes"}).exitCode, 0);
    EXPECT_EQ(readBytes(entry), before);
}
