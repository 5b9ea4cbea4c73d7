// Counted-record files read from bytes laid out here by hand (not by the writers under test), the
// errors a read must not hide, and replacement that leaves the old file when it fails.
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "storage/CountedRecordFile.h"
#include "storage/Master.h"
#include "support/TestSupport.h"
#include "transfer/ImportSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace tolv;
namespace fs = std::filesystem;
using tolvtest::readBytes;
using tolvtest::writeBytes;

namespace {

// Record 1: the little-endian i16 count; records 2..10 zeros; then `records` data records of
// `length` bytes ('a', 'b', ...), the last one cut to `lastBytes` when that is given.
std::string countedImage(std::size_t length, int count, int records, std::size_t lastBytes = 0)
{
    std::string image(10 * length, '\0');
    image[0] = static_cast<char>(count & 0xFF);
    image[1] = static_cast<char>((count >> 8) & 0xFF);
    for (int n = 1; n <= records; ++n) {
        std::string rec(length, static_cast<char>('a' + n - 1));
        if (n == records && lastBytes) rec.resize(lastBytes);
        image += rec;
    }
    return image;
}

} // namespace

TEST(CountedRecordFile, CountIsHeldAgainstTheRecordsPresent)
{
    tolvtest::TempTree t;
    struct Case {
        const char* what;
        int count, records;
        std::size_t lastBytes;
        long long present, usable;
        bool fits;
    };
    const Case cases[] = {
        {"count as written", 2, 2, 0, 2, 2, true},
        {"count beyond the file", 5, 2, 0, 2, 2, false},
        {"count below the records", 1, 3, 0, 3, 1, true},
        {"negative count", -1, 2, 0, 2, 0, false},
        {"short last record counts as present", 2, 2, 3, 2, 2, true},
        {"no data records", 0, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path p = t.dir() / "f.dat";
        writeBytes(p, countedImage(8, c.count, c.records, c.lastBytes));
        CountedRecordFile f(p, 8, RecordFile::Mode::ReadOnly);
        const CountedRecordFile::Count n = f.check(c.count);
        EXPECT_EQ(n.present, c.present);
        EXPECT_EQ(n.usable(), c.usable);
        EXPECT_EQ(n.fits(), c.fits);
        std::string rec(8, '?');
        if (c.records > 0) {
            f.readData(c.records, rec.data());
            const std::size_t have = c.lastBytes ? c.lastBytes : 8;
            EXPECT_EQ(rec, std::string(have, static_cast<char>('a' + c.records - 1)) + std::string(8 - have, '\0'));
        }
        // A record beyond the end reads as zeros.
        f.readData(c.records + 1, rec.data());
        EXPECT_EQ(rec, std::string(8, '\0'));
    }

    // The team list cuts a count beyond its records to what is there, and reads team 1 from
    // record 11: count 3 in record 1, one 384-byte team whose code is "13001".
    std::string teams = countedImage(384, 3, 0);
    std::string team(384, ' ');
    team.replace(0, 5, "13001");
    writeBytes(t.dir() / "dantai.dat", teams + team);
    TeamList list;
    list.openTeamList(t.dir() / "dantai.dat");
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.readTeam(1).code(), "13001");
}

TEST(CountedRecordFile, ReadErrorsAreReportedNotZeros)
{
    tolvtest::TempTree t;
    const fs::path folder = t.dir() / "kozin.dat";
    fs::create_directories(folder);
#ifdef _WIN32
    // Windows opens no folder as a file: the refusal comes at opening, naming the file and why.
    try {
        CountedRecordFile f(folder, 1024, RecordFile::Mode::ReadOnly);
        ADD_FAILURE() << "no error";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("ファイルを開けません: " + folder.string()), std::string::npos) << e.what();
    }
#else
    // A folder opens for reading but refuses every read, whoever runs the test.
    CountedRecordFile f(folder, 1024, RecordFile::Mode::ReadOnly);
    std::string rec(1024, '\0');
    try {
        f.read(1, rec.data());
        ADD_FAILURE() << "no error";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("ファイルを読めません: " + folder.string()), std::string::npos) << e.what();
    }
    EXPECT_THROW(f.readDataRange(1, 2), TolvError);
#endif
    AthleteList athletes;
    EXPECT_THROW(athletes.openAthleteList(folder), TolvError);

    // An input file: absent is nothing (the importer names it); a folder of that name is an error
    // naming it and why.
    EXPECT_FALSE(readInputFile(t.dir(), "Mcompd.dat").has_value());
    fs::create_directories(t.dir() / "Results.Dat");
    try {
        readInputFile(t.dir(), "Results.Dat");
        ADD_FAILURE() << "no error";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find((t.dir() / "Results.Dat").string() + "（フォルダです）"), std::string::npos)
            << e.what();
    }
}

TEST(CountedRecordFile, FailedReplacementKeepsTheOldMaster)
{
    tolvtest::TempTree t;
    const fs::path p = t.dir() / "master" / "dantai.dat";
    writeBytes(p, "old master");
    AtomicFile::beforeRenameHook() = [](const fs::path&) { throw TolvError("disk gone"); };
    TeamRecord team;
    team.setCode("13001");
    EXPECT_THROW(writeTeamList(p, {team}), TolvError);
    AtomicFile::beforeRenameHook() = nullptr;
    EXPECT_EQ(readBytes(p), "old master");
    std::vector<fs::path> left;
    for (const auto& e : fs::directory_iterator(p.parent_path())) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"dantai.dat"}) << "the temporary file is removed";

    writeTeamList(p, {team});
    const std::string bytes = readBytes(p);
    ASSERT_EQ(bytes.size(), 11u * 384);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(bytes.substr(10 * 384, 5), "13001");
}
