// Mcompd.dat records built at their byte offsets.
#include "timing/McompdImport.h"
#include "checks/EntryFixture.h"
#include "platform/Error.h"

#include <fstream>

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::sj;
namespace fs = std::filesystem;

namespace {

struct Rec {
    std::string reg, name = "山田", occupancy = "    1";
    std::vector<std::string> events{}; // 14 characters each
};

std::string record(const Rec& r)
{
    std::string b(kMcompdRecordLength, ' ');
    auto put = [&](std::size_t off, const std::string& v) { b.replace(off, v.size(), v); };
    put(0, r.reg);
    put(12, sj(r.name));
    put(28, sj("東京ＳＣ"));
    put(44, sj("東京"));
    put(76, "23");
    for (std::size_t i = 0; i < r.events.size(); ++i) put(78 + 14 * i, r.events[i]);
    put(220, sj("ﾔﾏﾀﾞ ﾀﾛｳﾀﾞｲｽｹｻﾌﾞﾛｳ")); // 20 kana, 16 used
    put(240, "1");
    put(251, r.occupancy);
    return b;
}

} // namespace

TEST(McompdImport, OccupiedRecordsBecomeSwimmers)
{
    checktest::EntryFixture f("2008/04/01");
    std::string file =
        record({.reg = "011231980012", .events = {"1 100 1:02.34", " 1 200 2:00.00", "9 999 1:00.00", "11500 16:00.00"}}) +
        record({.reg = "131230501011", .occupancy = "00000"}) + record({.reg = "131230501011", .occupancy = "     "}) +
        record({.reg = "131230501011", .name = "若手"});
    for (int i = 5; i <= 4000; ++i) file += record({.reg = "131230501011", .occupancy = "    0"});
    file += record({.reg = "131230501011", .name = "四千一"}); // beyond record 4000: not read
    tolvtest::writeBytes(f.dir() / "Mcompd.dat", file);

    ImportReport r = importMcompd(f.store, f.dir());
    ASSERT_EQ(f.store.header().total(), 2);
    const SwimmerRecord s = f.store.swimmerAt(1);
    EXPECT_EQ(s.QBango(), "01123191980012");
    EXPECT_EQ(s.Namae(), "山田            ");
    EXPECT_EQ(s.Kana(), "ﾔﾏﾀﾞ ﾀﾛｳﾀﾞｲｽｹｻﾌﾞ"); // 16 of 18 characters
    EXPECT_EQ(s.Shozoku(), "東京ＳＣ    ");
    EXPECT_EQ(s.ken(), "東京    ");
    EXPECT_EQ(s.gakunen(), "23");
    EXPECT_EQ(s.sei(), "1");
    EXPECT_EQ(s.kiro(2), 10234);  // "1 100" with 1:02.34
    EXPECT_EQ(s.kiro(3), 0);      // an entry starting with a blank
    EXPECT_EQ(s.kiro(6), 160000); // "11500"
    // Born 2005, reference 2008: 2005, not 1905.
    EXPECT_EQ(f.store.swimmerAt(2).QBango(), "13123200501011");
    EXPECT_NE(r.message().find("選手 2 人を追加しました"), std::string::npos);
    EXPECT_NE(r.message().find("レコード 1: 種目コード「9 999」"), std::string::npos) << r.message();
}

TEST(McompdImport, RefusalsLeaveEverythingAsItWas)
{
    checktest::EntryFixture f;
    f.add({.qbango = "13001199804021"});
    const std::string before = f.bytes();
    EXPECT_THROW(importMcompd(f.store, f.dir()), TolvError);
    EXPECT_FALSE(std::filesystem::exists(f.dir() / "Mcompd.dat")); // reported, never created

    tolvtest::writeBytes(f.dir() / "Mcompd.dat", record({.reg = "011231980012"}) + "x");
    EXPECT_THROW(importMcompd(f.store, f.dir()), TolvError); // not whole records
    EXPECT_TRUE(f.bytes() == before);
    tolvtest::writeBytes(f.dir() / "Mcompd.dat", record({.reg = "011231980012", .events = {"1 100 99999999"}}));
    try {
        importMcompd(f.store, f.dir());
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Mcompd.dat レコード 1: 種目コード「1 100」のタイム「99999999」はタイムではありません", 0),
                  0u)
            << e.what();
    }
    EXPECT_TRUE(f.bytes() == before);

    // A file one swimmer short of the limit takes no two more.
    f.store.header().setTotal(kMaxSwimmers - 1);
    f.store.close();
    std::filesystem::resize_file(f.path, std::uintmax_t(kMaxSwimmers + 9) * kEntryRecordLength);
    {
        std::fstream io(f.path, std::ios::in | std::ios::out | std::ios::binary);
        const std::int32_t n = kMaxSwimmers - 1;
        io.write(reinterpret_cast<const char*>(&n), 4);
    }
    f.store.openEntryFile(f.path);
    tolvtest::writeBytes(f.dir() / "Mcompd.dat", record({.reg = "011231980012"}) + record({.reg = "011231980012"}));
    const std::string big = f.bytes();
    try {
        importMcompd(f.store, f.dir());
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("100000 人まで"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(f.bytes() == big);
}

TEST(McompdImport, OnlyTheRecordsReadAreReadAndAFifoIsRefused)
{
    checktest::EntryFixture f("2008/04/01");
    const fs::path file = f.dir() / "Mcompd.dat";
    // 1 GiB, nothing but the first record written (sparse): the import reads 4000 records of it.
    tolvtest::writeBytes(file, record({.reg = "011231980012"}));
    fs::resize_file(file, 1ull << 30);
    importMcompd(f.store, f.dir());
    EXPECT_EQ(f.store.header().total(), 1);

#ifndef _WIN32 // no FIFOs on Windows
    fs::remove(file);
    ASSERT_TRUE(tolvtest::makeFifo(file));
    try {
        importMcompd(f.store, f.dir());
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("通常のファイルではありません"), std::string::npos) << e.what();
    }
#endif
}
