#include "reports/Sorting.h"

#include "platform/Cp932Text.h"
#include "platform/Error.h"
#include "reports/Tally.h"
#include "storage/EntryStore.h"
#include "storage/KeySort.h"

namespace tolv::reports {

std::string sortKey(const SwimmerRecord& s, SortOrder order, int botai)
{
    std::string_view q = s.raw(SwimmerRecord::kQBango);
    std::string sei(s.raw(SwimmerRecord::kSei));
    if (order == SortOrder::Club)
        return teamKeyOf(s, botai) + sei + std::string(Cp932Text(q).right(SwimmerRecord::kQBangoBirthSexChars));
    return sei + std::string(q);
}

std::vector<int> sortEntryFile(EntryStore& store, SortOrder order, int botai, const SortHooks& hooks)
{
    enforce(store.isOpen(), "申込ファイルが開かれていません");
    std::vector<SwimmerRecord> records = store.readAllSwimmers();
    std::vector<SortItem> items;
    items.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) items.push_back({sortKey(records[i], order, botai), int(i) + 1});
    keySort(items);
    std::vector<int> from;
    from.reserve(records.size());
    for (const SortItem& item : items) {
        from.push_back(item.record);
        if (hooks.afterRecord) hooks.afterRecord(static_cast<int>(from.size()));
    }
    // Records moved into their new places in the one vector, cycle by cycle.
    std::vector<SwimmerRecord>& sorted = records;
    std::vector<bool> placed(records.size(), false);
    for (std::size_t start = 0; start < records.size(); ++start) {
        if (placed[start]) continue;
        const SwimmerRecord first = sorted[start];
        std::size_t d = start;
        for (;;) {
            placed[d] = true;
            const std::size_t src = std::size_t(from[d]) - 1;
            if (src == start) {
                sorted[d] = first;
                break;
            }
            sorted[d] = sorted[src];
            d = src;
        }
    }
    // Whole records move as they are stored; one atomic replace of the file, after a backup.
    store.commitAll(sorted, order == SortOrder::Club ? "sort-club" : "sort-sex");
    return from;
}

} // namespace tolv::reports
