#include "platform/Clock.h"
#include "platform/Error.h"
#include "storage/AthleteLookup.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <unistd.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::sj;
using tolvtest::TempTree;

namespace {
std::string le32(std::int32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}
std::string pad(const std::string& bytes, std::size_t w) { return bytes + std::string(w - bytes.size(), ' '); }
} // namespace

TEST(EntryStore, NewFileIsInitialisedAndWrittenAtOnce)
{
    TempTree t;
    setFixedNow({2008, 10, 16, 9, 30, 0});
    EntryStore store;
    store.openEntryFile(t.dir(), "TEST.zep");
    std::string bytes = readBytes(t.dir() / "TEST.zep");
    ASSERT_EQ(bytes.size(), 768u);
    // Header: total 0, course 1, dates today, name = base name, kinds 0, days 0, reserved NUL.
    std::string expect = le32(0) + std::string("\x01\x00", 2) + "2008/10/16" + pad("TEST", 8) + pad("", 12) + "2008/10/16" +
                         "2008/10/16" + pad("", 7) + std::string(4, '\0') + std::string(40, '\0') + std::string(277, '\0');
    EXPECT_EQ(bytes.substr(0, 384), expect);
    // Reserve events: empty texts are blanks, the tail NUL.
    EXPECT_EQ(bytes.substr(384, 375), std::string(375, ' '));
    EXPECT_EQ(bytes.substr(759, 9), std::string(9, '\0'));
    EXPECT_EQ(store.header().zigyo(), "TEST    ");
}

TEST(EntryStore, SwimmersLiveAtRecordNPlusTenAndEveryWriteCarriesTheHeader)
{
    TempTree t;
    EntryStore store;
    store.openEntryFile(t.dir() / "a.zep");
    for (int n = 1; n <= 3; ++n) {
        store.readSwimmer(0);
        store.swimmer().setSeq(n);
        store.swimmer().setNamae("選手" + std::to_string(n));
        store.header().setTotal(n);
        store.writeSwimmer(n);
    }
    std::string bytes = readBytes(t.dir() / "a.zep");
    ASSERT_EQ(bytes.size(), 4992u); // 13 records of 384 bytes
    EXPECT_EQ(bytes.substr(0, 4), le32(3));
    EXPECT_EQ(bytes.substr(3840, 4), le32(1));
    EXPECT_EQ(bytes.substr(3840 + 25, 16), pad(sj("選手1"), 16));
    // Records 3 to 10 are never written: zeros.
    EXPECT_EQ(bytes.substr(768, 8 * 384), std::string(8 * 384, '\0'));
    // A cleared buffer writes blanks in text fields, "000000" flags, NUL in the reserved tail.
    const std::string rec = bytes.substr(3840, 384);
    EXPECT_EQ(rec.substr(4, 7), std::string(7, ' '));
    EXPECT_EQ(rec.substr(271, 6), "000000");
    EXPECT_EQ(rec.substr(281, 88), std::string(88, ' '));
    EXPECT_EQ(rec.substr(371, 13), std::string(13, '\0'));

    store.close();
    EntryStore again;
    again.openEntryFile(t.dir() / "a.zep");
    EXPECT_EQ(again.header().total(), 3);
    again.readSwimmer(2);
    EXPECT_EQ(again.swimmer().Namae(), "選手2           "); // 5 bytes + 11 blanks
    // Beyond the end reads as an all-zero record.
    again.readSwimmer(50);
    EXPECT_EQ(again.swimmer().seq(), 0);
    EXPECT_EQ(again.swimmer().Namae(), "");
}

TEST(EntryStore, FieldsAreCutAtTheirWidthAndUnknownBytesSurviveARewrite)
{
    TempTree t;
    EntryStore store;
    store.openEntryFile(t.dir() / "b.zep");
    store.readSwimmer(0);
    store.swimmer().setNamae("山田太郎花子一二三"); // nine full-width characters: the ninth is cut
    EXPECT_EQ(store.swimmer().Namae(), "山田太郎花子一二");
    store.swimmer().setShozoku("a東京都港区の"); // the sixth character would be cut: blank instead
    EXPECT_EQ(store.swimmer().raw(SwimmerRecord::kShozoku), sj("a東京都港区") + " ");
    // Bytes the program never interprets (reserved tail, a doubly-mapped character) stay as they are.
    store.swimmer().bytes()[375] = '\x7f';
    store.swimmer().bytes()[SwimmerRecord::kKana.offset] = '\xed';
    store.swimmer().bytes()[SwimmerRecord::kKana.offset + 1] = '\x40';
    store.header().setTotal(1);
    store.writeSwimmer(1);
    store.readSwimmer(1);
    store.swimmer().setNenrei(12);
    store.writeSwimmer(1);
    std::string rec = readBytes(t.dir() / "b.zep").substr(3840, 384);
    EXPECT_EQ(rec[375], '\x7f');
    EXPECT_EQ(rec.substr(SwimmerRecord::kKana.offset, 2), "\xed\x40");
    EXPECT_EQ(rec.substr(91, 2), std::string("\x0c\x00", 2));
}

TEST(EntryStore, RefusesAFileWhoseCountCannotBeTrusted)
{
    TempTree t;
    auto file = t.dir() / "bad.zep";
    for (std::int32_t total : {-1, 5, 1000000}) {
        std::string header = le32(total) + std::string(380, '\0');
        tolvtest::writeBytes(file, header + std::string(384, '\0') + std::string(8 * 384 + 2 * 384, '\0'));
        std::string before = readBytes(file);
        EntryStore store;
        EXPECT_THROW(store.openEntryFile(file), TolvError) << total;
        EXPECT_FALSE(store.isOpen());
        EXPECT_EQ(readBytes(file), before);
    }
    // Two swimmer records present: a count of 2 is fine.
    tolvtest::writeBytes(file, le32(2) + std::string(380, '\0') + std::string(11 * 384, '\0'));
    EntryStore ok;
    ok.openEntryFile(file);
    EXPECT_EQ(ok.header().total(), 2);
}

TEST(EntryStore, ShortFileOfTenBytesOrLessIsNew)
{
    TempTree t;
    tolvtest::writeBytes(t.dir() / "x.kek", "0123456789");
    EntryStore store;
    store.openEntryFile(t.dir(), "x.kek");
    EXPECT_EQ(readBytes(t.dir() / "x.kek").size(), 768u);
    EXPECT_EQ(store.header().total(), 0);
    EXPECT_EQ(store.header().course(), 1);
}

TEST(EntryStore, AFullFileRefusesTheNextSwimmerWithItsLimit)
{
    TempTree t;
    EntryStore store;
    store.openEntryFile(t.dir(), "full.zep");
    try {
        store.writeSwimmer(kMaxSwimmers + 1);
        FAIL() << "written past the limit";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("100000 人までです"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readBytes(t.dir() / "full.zep").size(), 768u); // nothing written
}

namespace {

// The descriptor the store writes `file` through, pointed at /dev/full for the scope: every
// write fails with "no space left" (reads give zeros), as on a full disk.
class FullDisk {
public:
    explicit FullDisk(const std::filesystem::path& file)
    {
        for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            if (std::filesystem::read_symlink(e.path(), ec) == file) fd_ = std::stoi(e.path().filename().string());
        }
        EXPECT_GE(fd_, 0);
        saved_ = ::dup(fd_);
        const int full = ::open("/dev/full", O_RDWR);
        ::dup2(full, fd_);
        ::close(full);
    }
    ~FullDisk()
    {
        ::dup2(saved_, fd_);
        ::close(saved_);
    }

private:
    int fd_ = -1;
    int saved_ = -1;
};

} // namespace

// A write that fails while a swimmer is deleted or a new entry is finished leaves the store's
// count as the file's: the next new entry never writes over the last swimmer.
TEST(EntryStore, AFailingWriteLeavesTheCountAndTheFileAgreeing)
{
    TempTree t;
    const std::filesystem::path path = t.dir() / "club.zep";
    EntryStore store;
    store.openEntryFile(path);
    for (int n = 1; n <= 3; ++n) {
        NewEntryRun run(store);
        run.record().setNamae("選手" + std::to_string(n));
        run.finish();
    }
    const std::string before = readBytes(path);
    for (int shown : {1, 3}) {
        {
            FullDisk full(path);
            EXPECT_THROW(deleteSwimmer(store, shown), TolvError) << shown;
        }
        EXPECT_EQ(store.header().total(), 3) << shown;
    }
    {
        NewEntryRun run(store);
        run.record().setNamae("四人目");
        FullDisk full(path);
        EXPECT_THROW(run.finish(), TolvError);
    }
    EXPECT_EQ(store.header().total(), 3);
    EXPECT_EQ(readBytes(path).substr(0, 4), before.substr(0, 4));
    // The store goes on from the count the file holds.
    EXPECT_EQ(deleteSwimmer(store, 1), 1);
    EXPECT_EQ(store.header().total(), 2);
    NewEntryRun run(store);
    EXPECT_EQ(run.number(), 3);
    store.close();
    EntryStore again;
    again.openEntryFile(path, EntryStore::Access::Read);
    EXPECT_EQ(again.header().total(), 2);
    EXPECT_EQ(again.swimmerAt(1).Namae(), "選手3" + std::string(11, ' '));
}

// Every change is written before the store takes it: when the write fails, the store's header,
// reserve events and swimmer and the file's bytes are all as they were, and no caller has to put
// anything back.
TEST(EntryStore, AFailedWriteLeavesTheStoreAndTheFileAsTheyWere)
{
    TempTree t;
    const std::filesystem::path path = t.dir() / "club.zep";
    const std::filesystem::path other = t.dir() / "other.zep";
    {
        EntryStore source;
        source.openEntryFile(other);
        ReserveEvents r = source.reserve();
        r.setYobiName(0, "25mキック");
        source.writeHeader(source.header(), r);
    }
    EntryStore store;
    store.openEntryFile(path);
    for (int n = 1; n <= 2; ++n) {
        NewEntryRun run(store);
        run.record().setNamae("選手" + std::to_string(n));
        run.finish();
    }
    store.readSwimmer(1);
    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"a draft header",
         [&] {
             store.header().setBasho("辰巳");
             store.saveHeader();
         }},
        {"draft reserve events",
         [&] {
             store.reserve().setYobiName(1, "50m");
             store.saveHeader();
         }},
        {"a draft swimmer",
         [&] {
             store.swimmer().setNamae("書換");
             store.writeSwimmer(1);
         }},
        {"a swimmer and a count",
         [&] {
             SwimmerRecord s = store.swimmer();
             s.setNamae("三人目");
             EntryHeader h = store.header();
             h.setTotal(3);
             store.writeSwimmer(3, s, h);
         }},
        {"header records",
         [&] {
             EntryHeader h = store.header();
             h.setZigyo("秋季");
             store.writeHeader(h, store.reserve());
         }},
        {"reserve events of another file", [&] { store.copyReserveEventsFrom(other); }},
    };
    for (const auto& c : changes) {
        const std::string file = readBytes(path);
        const EntryHeader header = store.header();
        const ReserveEvents reserve = store.reserve();
        const SwimmerRecord swimmer = store.swimmer();
        {
            FullDisk full(path);
            EXPECT_THROW(c.change(), TolvError) << c.name;
        }
        EXPECT_EQ(readBytes(path), file) << c.name;
        EXPECT_EQ(store.header().bytes(), header.bytes()) << c.name;
        EXPECT_EQ(store.reserve().bytes(), reserve.bytes()) << c.name;
        EXPECT_EQ(store.swimmer().bytes(), swimmer.bytes()) << c.name;
    }
    // The same change goes through once the disk takes it.
    store.header().setBasho("辰巳");
    store.saveHeader();
    store.close();
    EntryStore again;
    again.openEntryFile(path, EntryStore::Access::Read);
    EXPECT_EQ(again.header().basho(), "辰巳" + std::string(8, ' '));
    EXPECT_EQ(again.header().total(), 2);
}
