#include "reports/Sorting.h"

#include "platform/Error.h"
#include "platform/AtomicFile.h"
#include "reports/Tally.h"
#include "storage/EntryStore.h"
#include "storage/KeySort.h"

namespace tolv::reports {

namespace {

// The last n characters of CP932 bytes.
std::string lastCharsBytes(std::string_view cp932, std::size_t n)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < cp932.size();) {
        starts.push_back(i);
        bool pair = isCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size();
        i += pair ? 2 : 1;
    }
    if (starts.size() <= n) return std::string(cp932);
    return std::string(cp932.substr(starts[starts.size() - n]));
}

} // namespace

std::string sortKey(const SwimmerRecord& s, SortOrder order, int botai)
{
    std::string_view q = s.raw(SwimmerRecord::kQBango, 14);
    std::string sei(s.raw(SwimmerRecord::kSei, 1));
    if (order == SortOrder::Club) return teamKeyOf(s, botai) + sei + lastCharsBytes(q, 9);
    return sei + std::string(q);
}

std::vector<int> sortEntryFile(EntryStore& store, SortOrder order, int botai, const SortHooks& hooks)
{
    enforce(store.isOpen(), "申込ファイルが開かれていません");
    const std::filesystem::path path = store.path();
    const int swimmers = store.header().total();

    std::vector<SortItem> items;
    items.reserve(static_cast<std::size_t>(swimmers));
    for (int n = 1; n <= swimmers; ++n) items.push_back({sortKey(store.swimmerAt(n), order, botai), n});
    keySort(items);

    std::vector<int> order_;
    {
        AtomicFile out(path);
        const std::size_t len = kEntryRecordLength;
        for (int d = 1; d <= swimmers; ++d) {
            const int from = items[static_cast<std::size_t>(d - 1)].record;
            SwimmerRecord s = store.swimmerAt(from);
            out.writeAt(static_cast<long long>(d + 9) * static_cast<long long>(len), std::string_view(s.bytes().data(), len));
            order_.push_back(from);
            if (hooks.afterRecord) hooks.afterRecord(d);
        }
        EntryHeader h = store.header();
        h.setTotal(swimmers);
        out.writeAt(0, std::string_view(h.bytes().data(), len));
        out.writeAt(static_cast<long long>(len), std::string_view(store.reserve().bytes().data(), len));
        store.close();
        try {
            out.commit();
        } catch (...) {
            store.reopen();
            throw;
        }
    }
    store.reopen();
    return order_;
}

} // namespace tolv::reports
