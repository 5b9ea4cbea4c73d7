#include "storage/KeySort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace tolv {
namespace {

// Plain byte order: bytes compared as unsigned, a key that is a prefix of another sorts first.
bool greater(const std::string& a, const std::string& b)
{
    std::size_t n = std::min(a.size(), b.size());
    int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c > 0;
    return a.size() > b.size();
}

// The first eight bytes of a key as a big-endian number (zeros past its end): two keys whose
// numbers differ compare as their numbers do; equal numbers need the whole keys.
std::uint64_t prefixOf(const std::string& key)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v = (v << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return v;
}

struct Slot {
    std::uint64_t prefix;
    std::uint32_t item; // index into the items as given
};

} // namespace

void keySort(std::vector<SortItem>& items)
{
    // Diminishing-increment insertion sort. The exact increments matter: equal keys are never
    // exchanged with each other, but the order in which records with equal keys come out follows
    // from these passes, and the rewritten files must come out the same every time. (A stable
    // sort would give equal keys another order.) The passes move small slots, a key's leading
    // bytes and its index, and compare whole keys only where the leading bytes are equal; every
    // comparison answers as on the keys, so the order is the same as moving the items themselves.
    const std::size_t count = items.size();
    std::vector<Slot> slots(count);
    for (std::size_t i = 0; i < count; ++i) slots[i] = Slot{prefixOf(items[i].key), static_cast<std::uint32_t>(i)};
    auto isGreater = [&items](const Slot& a, const Slot& b) {
        if (a.prefix != b.prefix) return a.prefix > b.prefix;
        return greater(items[a.item].key, items[b.item].key);
    };
    std::size_t increment = 1;
    while (increment <= count) increment *= 2; // smallest power of two greater than the count
    for (;;) {
        increment = (increment - 1) / 2;
        if (increment == 0) break;
        for (std::size_t i = 0; i + increment < count; ++i) {
            // Walk back by one increment while the earlier key is greater.
            for (std::size_t j = i;; j -= increment) {
                if (!isGreater(slots[j], slots[j + increment])) break;
                std::swap(slots[j], slots[j + increment]);
                if (j < increment) break;
            }
        }
    }
    std::vector<SortItem> sorted;
    sorted.reserve(count);
    for (const Slot& s : slots) sorted.push_back(std::move(items[s.item]));
    items = std::move(sorted);
}

} // namespace tolv
