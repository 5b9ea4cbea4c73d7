// tolv add, run as a program.
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/CsvDelimiters.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;
using tolvtest::TempTree;

namespace {

namespace fs = std::filesystem;

struct AddFixture {
    TempTree tree;
    fs::path entry = tree.dir() / "team.zep";
    fs::path root = tree.dir() / "registration";

    AddFixture()
    {
        tolvtest::writeFixtureMaster(root);
        tolvtest::writeFixturePrefectures(tree.home() / "ctl" / "ken.ctl");
        EXPECT_EQ(runProgram(TOLV_BIN, {"new", entry.string()}).exitCode, 0);
        EXPECT_EQ(runProgram(TOLV_BIN, {"set-header", entry.string(), "--kijunbi", "20081016"}).exitCode, 0);
    }

    tolvtest::RunResult add(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"add", entry.string()});
        return runProgram(TOLV_BIN, args);
    }

    std::string record(int n) const { return readBytes(entry).substr(std::size_t(n + 9) * 384, 384); }
};

std::string bytesOf(const SwimmerRecord& s) { return std::string(s.bytes().data(), s.bytes().size()); }

} // namespace

TEST(AddCommand, LookUpFillsTheSwimmerAndTheEventsAsTheNewEntryRunDoes)
{
    AddFixture f;
    // Typed with a wrong century; 11= takes the preset (short-course best time), 66 = 参加.
    auto r = f.add({"--qbango", "13001990105011", "--lookup", "--master", f.root.string(), "--event", "11=", "--event",
                    "19=10523", "--event", "73=66"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1\t13001200105011\t山田　太郎      \n");
    SwimmerRecord e = tolvtest::expectedYamada();
    e.setKiro(1, 2990);
    e.setKiro(9, 10523);
    e.setKiro(26, 666666);
    EXPECT_EQ(f.record(1), bytesOf(e));
    EXPECT_EQ(fs::file_size(f.entry), 11u * 384u);
    // The header's count went with the record.
    EXPECT_EQ(readBytes(f.entry).substr(0, 4), std::string("\x01\0\0\0", 4));
}

TEST(AddCommand, RegistrationRootComesFromDrTorAndTypedFieldsWin)
{
    AddFixture f;
    writeTorControl(f.tree.home() / "ctl", TorControl{"c:", toStoredPath(f.root, true)});
    auto r = f.add({"--qbango", "13001200105011", "--lookup", "--namae", "山田　太", "--bango", "9999999"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SwimmerRecord e = tolvtest::expectedYamada();
    e.setNamae("山田　太");
    e.setBango("9999999");
    EXPECT_EQ(f.record(1), bytesOf(e));
}

TEST(AddCommand, WithoutLookUpOnlyTheTypedFields)
{
    AddFixture f;
    ASSERT_EQ(f.add({"--qbango", "13001200105011", "--lookup", "--master", f.root.string()}).exitCode, 0);
    auto r = f.add({"--qbango", "1400100990707", "--kana", "ﾃｽﾄ", "--event", "94=2845"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SwimmerRecord e = EntryStore::emptySwimmer();
    e.setSeq(2);
    e.setQBango("1400119990707"); // 13 characters: the century is still completed
    e.setKana("ﾃｽﾄ");
    e.setKiro(43, 2845);
    EXPECT_EQ(f.record(2), bytesOf(e));
    EXPECT_EQ(readBytes(f.entry).substr(0, 4), std::string("\x02\0\0\0", 4));
}

TEST(AddCommand, FailuresWriteNothing)
{
    AddFixture f;
    const std::string before = readBytes(f.entry);

    // Unknown number, but two athletes share its birth date: they are named, nothing is added.
    auto r = f.add({"--qbango", "13001200105013", "--lookup", "--master", f.root.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("13001200105013"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("山田　太郎"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("鈴木　一郎"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(f.entry), before);

    // Event codes beyond the 44 slots, and "99", are refused.
    for (const char* code : {"95=100", "98=100", "99=100", "ab=100"}) {
        r = f.add({"--qbango", "13001200105011", "--event", code});
        EXPECT_EQ(r.exitCode, 1) << code;
        EXPECT_EQ(readBytes(f.entry), before) << code;
    }
    // A time that is no time.
    r = f.add({"--qbango", "13001200105011", "--event", "11=-5"});
    EXPECT_EQ(r.exitCode, 1);
    // No master where it is said to be.
    r = f.add({"--qbango", "13001200105011", "--lookup", "--master", (f.tree.dir() / "none").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readBytes(f.entry), before);

    // A delimiter of the CSV exports, and bytes that are not UTF-8, are refused naming the option.
    r = f.add({"--qbango", "13001200105011", "--namae", "山田,\"太郎"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(csvDelimiterRefusal("--namae")), std::string::npos) << r.err;
#ifndef _WIN32 // the command line of Windows is UTF-16 text: it carries no bytes to refuse
    r = f.add({"--qbango", "13001200105011", "--namae", "\xE9rica"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("引数 --namae: UTF-8 として読めないバイトがあります（0xE9）"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(f.entry), before);
#endif

    // Usage errors.
    EXPECT_EQ(f.add({}).exitCode, 2);
    EXPECT_EQ(f.add({"--qbango", "13001200105011", "--event", "11"}).exitCode, 2);
    // A missing entry file is not created.
    r = runProgram(TOLV_BIN, {"add", (f.tree.dir() / "missing.zep").string(), "--qbango", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(f.tree.dir() / "missing.zep"));
}
