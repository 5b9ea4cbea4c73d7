#include "storage/KeySort.h"

#include <algorithm>
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

} // namespace

void keySort(std::vector<SortItem>& items)
{
    // Diminishing-increment insertion sort. The exact increments matter: equal keys are never
    // exchanged with each other, but the order in which records with equal keys come out follows
    // from these passes, and the rewritten files must come out the same every time.
    const std::size_t count = items.size();
    std::size_t increment = 1;
    while (increment <= count) increment *= 2;  // smallest power of two greater than the count
    for (;;) {
        increment = (increment - 1) / 2;
        if (increment == 0) break;
        for (std::size_t i = 0; i + increment < count; ++i) {
            // Walk back by one increment while the earlier key is greater.
            for (std::size_t j = i;; j -= increment) {
                if (!greater(items[j].key, items[j + increment].key)) break;
                std::swap(items[j], items[j + increment]);
                if (j < increment) break;
            }
        }
    }
}

} // namespace tolv
