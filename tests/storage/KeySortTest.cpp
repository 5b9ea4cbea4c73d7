#include "storage/KeySort.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace tolv;

namespace {

std::vector<SortItem> itemsOf(const std::vector<std::string>& keys)
{
    std::vector<SortItem> items;
    for (std::size_t i = 0; i < keys.size(); ++i) items.push_back({keys[i], static_cast<int>(i) + 1});
    return items;
}

std::vector<int> sortedRecords(const std::vector<std::string>& keys)
{
    std::vector<SortItem> items = itemsOf(keys);
    keySort(items);
    std::vector<int> records;
    for (const SortItem& item : items) records.push_back(item.record);
    return records;
}

} // namespace

TEST(KeySort, EmptyAndSingleItemsAreLeftAlone)
{
    std::vector<SortItem> none;
    keySort(none);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(sortedRecords({"xyz"}), std::vector<int>{1});
}

TEST(KeySort, InputInKeyOrderKeepsEveryRecordInPlaceEvenWithEqualKeys)
{
    // Runs of equal keys, as many swimmers of one team and sex give.
    EXPECT_EQ(sortedRecords(
                  {"13001", "13001", "13001", "13002", "13002", "14000", "14000", "14000", "14000", "27110", "27110", "27110"}),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    std::vector<int> inPlace(37);
    for (int i = 0; i < 37; ++i) inPlace[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(sortedRecords(std::vector<std::string>(37, "1")), inPlace);
}

TEST(KeySort, RandomKeysMatchAPlainSortAndCarryTheirRecords)
{
    std::mt19937 random(20081016);
    for (int round = 0; round < 40; ++round) {
        // Few distinct bytes, so equal keys and shared prefixes are common; high bytes included.
        std::vector<std::string> keys(1 + random() % 300);
        for (std::string& key : keys)
            for (std::size_t k = random() % 4; k > 0; --k) key += "0A\x82\xE0"[random() % 4];
        std::vector<SortItem> items = itemsOf(keys);
        keySort(items);

        std::vector<std::string> expected = keys;
        std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            });
        });
        std::vector<int> seen(keys.size() + 1, 0);
        for (std::size_t i = 0; i < items.size(); ++i) {
            ASSERT_EQ(items[i].key, expected[i]) << "round " << round << " position " << i;
            // Each record number still travels with its own key, and none is lost or doubled.
            ASSERT_EQ(items[i].key, keys[static_cast<std::size_t>(items[i].record - 1)]);
            ASSERT_EQ(++seen[static_cast<std::size_t>(items[i].record)], 1);
        }
    }
}

TEST(KeySort, ComparesBytesUnsignedWithPrefixesFirst)
{
    // A CP932 lead byte (0x82) is above every ASCII byte; a key that is a prefix of another comes first.
    EXPECT_EQ(sortedRecords({tolvtest::sj("あ"), "z", "123", "12", "", "\x7f"}), (std::vector<int>{5, 4, 3, 2, 6, 1}));
    EXPECT_EQ(sortedRecords({"5", "4", "3", "2", "1"}), (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST(KeySort, EqualKeysEndUpWhereTheIncrementPassesPutThem)
{
    // The order of equal keys follows from the exact passes, and rewritten files depend on it.
    // Four items: increments 3 then 1; the first pass moves record 4 ahead of record 2.
    EXPECT_EQ(sortedRecords({"B", "A", "C", "A"}), (std::vector<int>{4, 2, 1, 3}));
    // Eight items: the increment starts above 8 (16), so the passes are 7, 3, 1. Starting at 8
    // (passes 3, 1) or a stable sort would give another order.
    EXPECT_EQ(sortedRecords({"B", "B", "B", "B", "B", "A", "B", "A"}), (std::vector<int>{8, 6, 2, 4, 5, 3, 7, 1}));
}

TEST(KeySort, LongKeysSharingTheirLeadingBytesComeOutAsTheItemsThemselvesSorted)
{
    // The passes moving the items themselves, as the sort did before it moved small slots: the
    // order, equal keys included, must stay that one, also where keys differ only after byte 8.
    auto reference = [](std::vector<SortItem> items) {
        const std::size_t count = items.size();
        auto greater = [](const std::string& a, const std::string& b) {
            const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
            return c != 0 ? c > 0 : a.size() > b.size();
        };
        std::size_t increment = 1;
        while (increment <= count) increment *= 2;
        while ((increment = (increment - 1) / 2) != 0)
            for (std::size_t i = 0; i + increment < count; ++i)
                for (std::size_t j = i; greater(items[j].key, items[j + increment].key); j -= increment) {
                    std::swap(items[j], items[j + increment]);
                    if (j < increment) break;
                }
        return items;
    };
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::string> keys(1 + random() % 500);
        for (std::string& key : keys) {
            key = std::string(random() % 10, '\x82'); // shared leading bytes, sometimes all of them
            for (std::size_t k = random() % 3; k > 0; --k) key += "0\x82\x00"[random() % 3];
        }
        std::vector<SortItem> items = itemsOf(keys);
        const std::vector<SortItem> expected = reference(items);
        keySort(items);
        for (std::size_t i = 0; i < items.size(); ++i) ASSERT_EQ(items[i].record, expected[i].record) << round << " " << i;
    }
}
