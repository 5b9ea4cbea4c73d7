#pragma once
// Permanent re-sorting of the swimmer records of the open entry file, by club or by sex.
#include <functional>
#include <string>
#include <vector>

namespace tolv {

class EntryStore;
class SwimmerRecord;

namespace reports {

enum class SortOrder { Club, Sex };

// Sort key (CP932 bytes). Club: team key (as in the tally), sex code, last 9 characters of QBango.
// Sex: sex code, the whole 14-character QBango.
std::string sortKey(const SwimmerRecord& s, SortOrder order, int botai);

struct SortHooks {
    // Called after swimmer d of the new order is placed; a throw from it stands for a failure at
    // that point (tests).
    std::function<void(int placed)> afterRecord;
};

// Sorts with the shared key sort and writes every swimmer in the new order through the store's
// commitAll: a backup first, then the whole file under a temporary name renamed over the entry
// file in one step; the store stays open on the new file. On any failure before the rename the
// entry file is untouched and the error is thrown. Returns the record numbers before sorting in
// their new order.
std::vector<int> sortEntryFile(EntryStore& store, SortOrder order, int botai, const SortHooks& hooks = {});

} // namespace reports
} // namespace tolv
