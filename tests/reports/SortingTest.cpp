// Sorting the swimmer records: keys, the new order, an untouched file on failure.
#include "reports/Sorting.h"

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "reports/ReportFixture.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::reports;
using namespace reporttest;

namespace {

Swimmer who(const std::string& qbango, const std::string& sei, const std::string& namae)
{
    Swimmer w;
    w.qbango = qbango;
    w.sei = sei;
    w.namae = namae;
    return w;
}

std::string rec(const std::string& file, int n) { return file.substr(static_cast<std::size_t>(n - 1) * 384, 384); }

std::vector<std::string> names(EntryStore& s)
{
    std::vector<std::string> v;
    for (int n = 1; n <= s.header().total(); ++n) {
        std::string name = s.swimmerAt(n).Namae();
        v.push_back(name.substr(0, name.find(' ')));
    }
    return v;
}

bool onlyEntryAndZedFiles(const fs::path& dir)
{
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != "meet.zep" && e.path().filename() != "tolvsys" && e.path().filename() != ".meet.zep.lock")
            return false;
    return true;
}

} // namespace

TEST(SortKeys, ClubAndSexKeys)
{
    SwimmerRecord s = swimmerRecord(1, who("13001200105011", "1", "a"));
    EXPECT_EQ(sortKey(s, SortOrder::Club, 0), "13001"
                                              "1"
                                              "200105011");
    EXPECT_EQ(sortKey(s, SortOrder::Club, 1), "13000"
                                              "1"
                                              "200105011");
    EXPECT_EQ(sortKey(s, SortOrder::Sex, 0), "1"
                                             "13001200105011");
}

TEST(Sorting, AFileAlreadyInOrderKeepsEveryByte)
{
    EntryFile f;
    f.add(who("13001200105011", "1", "一"));
    f.add(who("13001200105011", "1", "二")); // the same key as the one before: never exchanged
    f.add(who("13001200105011", "2", "三"));
    f.add(who("13002199901011", "1", "四"));
    f.store.reserve().setYobiName(0, "水中運動会");
    f.store.saveHeader();
    const std::string before = f.bytes();
    std::vector<int> order = sortEntryFile(f.store, SortOrder::Club, 0);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(f.bytes(), before);
    EXPECT_TRUE(onlyEntryAndZedFiles(f.dir()));
}

TEST(Sorting, BySexThenRegistrationCodeMovingWholeRecords)
{
    EntryFile f;
    f.add(who("13002199901015", "2", "一"));
    f.add(who("13001200105011", "1", "二"));
    f.add(who("13001199001011", "2", "三"));
    f.add(who("12001200105011", "1", "四"));
    const std::string before = f.bytes();
    std::vector<int> order = sortEntryFile(f.store, SortOrder::Sex, 0);
    EXPECT_EQ(order, (std::vector<int>{4, 2, 3, 1}));
    const std::string after = f.bytes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(rec(after, 1), rec(before, 1));
    EXPECT_EQ(rec(after, 2), rec(before, 2));
    for (int d = 1; d <= 4; ++d) EXPECT_EQ(rec(after, d + 10), rec(before, order[static_cast<std::size_t>(d - 1)] + 10)) << d;
    // The store is open on the new file.
    EXPECT_EQ(names(f.store), (std::vector<std::string>{"四", "二", "三", "一"}));
    EXPECT_EQ(f.store.header().total(), 4);
}

TEST(Sorting, ClubWithThePrefectureBodyGroupsAPrefecture)
{
    EntryFile f(1);
    f.add(who("14001200105011", "1", "一"));
    f.add(who("13002200105012", "2", "二"));
    f.add(who("13001200105013", "1", "三"));
    f.add(who("13002199905011", "1", "四"));
    sortEntryFile(f.store, SortOrder::Club, 1);
    // 13000: men by the rest of their codes (1999..., 2001...), then the woman; then 14000.
    EXPECT_EQ(names(f.store), (std::vector<std::string>{"四", "三", "二", "一"}));
}

TEST(Sorting, AnInterruptedSortLeavesTheFileIntact)
{
    EntryFile f;
    f.add(who("13002199901015", "2", "一"));
    f.add(who("13001200105011", "1", "二"));
    f.add(who("12001200105011", "1", "三"));
    const std::string before = f.bytes();
    SortHooks hooks;
    hooks.afterRecord = [](int written) {
        if (written == 2) throw TolvError("ディスクがいっぱいです");
    };
    EXPECT_THROW(sortEntryFile(f.store, SortOrder::Sex, 0, hooks), TolvError);
    EXPECT_EQ(f.bytes(), before);
    EXPECT_TRUE(onlyEntryAndZedFiles(f.dir()));
    // The window goes on with the old file.
    EXPECT_TRUE(f.store.isOpen());
    EXPECT_EQ(names(f.store), (std::vector<std::string>{"一", "二", "三"}));
    f.store.readSwimmer(1);
    f.store.writeSwimmer(1);
    EXPECT_EQ(f.bytes(), before);

    // A failure when the sorted file is complete but not yet in place: the same.
    AtomicFile::beforeRenameHook() = [](const fs::path&) { throw TolvError("ディスクがいっぱいです"); };
    EXPECT_THROW(sortEntryFile(f.store, SortOrder::Sex, 0), TolvError);
    AtomicFile::beforeRenameHook() = nullptr;
    EXPECT_EQ(f.bytes(), before);
    EXPECT_TRUE(onlyEntryAndZedFiles(f.dir()));
    EXPECT_EQ(names(f.store), (std::vector<std::string>{"一", "二", "三"}));
    sortEntryFile(f.store, SortOrder::Sex, 0);
    EXPECT_EQ(names(f.store), (std::vector<std::string>{"三", "二", "一"}));
}

TEST(Sorting, AnEmptyFileKeepsItsHeaderAndEvents)
{
    EntryFile f;
    f.store.reserve().setYobiRelay(3, "1");
    f.store.saveHeader();
    const std::string before = f.bytes();
    ASSERT_EQ(before.size(), 768u);
    EXPECT_TRUE(sortEntryFile(f.store, SortOrder::Sex, 0).empty());
    EXPECT_EQ(f.bytes(), before);
}
