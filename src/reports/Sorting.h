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
    // Called after swimmer d of the new order is written to the temporary file; a throw from it
    // stands for a failure at that point (tests).
    std::function<void(int written)> afterRecord;
};

// Sorts with the shared key sort, writes every swimmer in the new order, the header and the reserve
// events into a temporary file beside the entry file, flushes it to disk and only then renames it
// over the entry file in one step; the store is reopened. On any failure before the rename the
// entry file is untouched, the temporary file is removed and the error is thrown.
// Returns the record numbers before sorting in their new order.
std::vector<int> sortEntryFile(EntryStore& store, SortOrder order, int botai, const SortHooks& hooks = {});

} // namespace reports
} // namespace tolv
