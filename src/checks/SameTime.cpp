// Identical entry times: within each sex code 1-3 and each standard event slot 0-28, the entered
// times are sorted by a six-digit key (time + 1000000, last six characters) and every adjacent pair
// with equal keys is a hit. The check prints the pairs; the rewrite moves the later swimmer of each
// pair one hundredth back.
#include "checks/CheckReports.h"
#include "checks/CheckSupport.h"
#include "checks/Rewrites.h"
#include "storage/Codes.h"
#include "storage/KeySort.h"

#include <vector>

namespace tolv {
namespace {

constexpr int kSexCodes = 3;
// "参加" carries no time; the rewrite turns it into the slowest time before comparing.
constexpr std::int32_t kEnteredAsTime = 595900;

std::string timeKey(std::int32_t time)
{
    std::string digits = std::to_string(static_cast<long long>(time) + 1000000);
    return digits.size() > 6 ? digits.substr(digits.size() - 6) : digits;
}

bool inGroup(const SwimmerRecord& s, int sex, int slot)
{
    return SwimmerRecord::digitValue(s.sei()) == sex && s.kiro(slot) != 0;
}

std::string whoLine(int record, const SwimmerRecord& s)
{
    return Printer::numberItem(record) + " " + printedField(s, SwimmerRecord::kQBango, 14) + " " +
           printedField(s, SwimmerRecord::kShozoku, 12) + " " + printedField(s, SwimmerRecord::kNamae, 16);
}

} // namespace

void checkSameTime(const EntryStore& store, Printer& p)
{
    const std::vector<SwimmerRecord> records = allSwimmers(store);
    for (int sex = 1; sex <= kSexCodes; ++sex) {
        for (int slot = 0; slot < kStandardSlots; ++slot) {
            std::vector<SortItem> items;
            for (std::size_t i = 0; i < records.size(); ++i)
                if (inGroup(records[i], sex, slot)) items.push_back({timeKey(records[i].kiro(slot)), int(i) + 1});
            if (items.empty()) continue;
            keySort(items);
            for (std::size_t j = 0; j + 1 < items.size(); ++j) {
                if (items[j].key != items[j + 1].key) continue;
                const SwimmerRecord& a = records[std::size_t(items[j].record) - 1];
                const SwimmerRecord& b = records[std::size_t(items[j + 1].record) - 1];
                p.print(sexText(std::to_string(sex)) + " " + eventName(slot + 1) + " " + formatTime(b.kiro(slot)) +
                        " " + whoLine(items[j].record, a) + whoLine(items[j + 1].record, b));
            }
        }
    }
    p.endDoc();
}

std::int32_t oneHundredthLater(std::int32_t time)
{
    if (time < 0) return time + 1;
    std::int32_t minutes = time / 10000;
    std::int32_t seconds = time / 100 % 100;
    std::int32_t hundredths = time % 100 + 1;
    if (hundredths >= 100) {
        hundredths -= 100;
        ++seconds;
    }
    if (seconds >= 60) {
        seconds -= 60;
        ++minutes;
    }
    return minutes * 10000 + seconds * 100 + hundredths;
}

void rewriteSameTime(EntryStore& store)
{
    KeepCurrentSwimmer keep(store);
    const int total = store.header().total();
    for (int sex = 1; sex <= kSexCodes; ++sex) {
        for (int slot = 0; slot < kStandardSlots; ++slot) {
            std::vector<SortItem> items;
            for (int n = 1; n <= total; ++n) {
                SwimmerRecord s = store.swimmerAt(n);
                if (!inGroup(s, sex, slot)) continue;
                std::int32_t time = s.kiro(slot);
                if (time == kMarkEntered) {
                    store.readSwimmer(n);
                    store.swimmer().setKiro(slot, kEnteredAsTime);
                    store.writeSwimmer(n);
                    time = kEnteredAsTime;
                }
                // Other result marks (start, stroke, ... withdrawn) are no times: one hundredth
                // more would turn them into a nonsense time.
                if (isResultMark(time)) continue;
                items.push_back({timeKey(time), n});
            }
            keySort(items);
            // Keys stay as sorted: in a run of equal times every swimmer after the first gets
            // one hundredth, which leaves those equal among themselves.
            for (std::size_t j = 0; j + 1 < items.size(); ++j) {
                if (items[j].key != items[j + 1].key) continue;
                const int n = items[j + 1].record;
                store.readSwimmer(n);
                store.swimmer().setKiro(slot, oneHundredthLater(store.swimmer().kiro(slot)));
                store.writeSwimmer(n);
            }
        }
    }
}

} // namespace tolv
