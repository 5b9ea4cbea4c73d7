// Identical entry times: within each sex code 1-3 and each standard event slot 0-28, the entered
// times are sorted by a six-digit key (time + 1000000, last six characters) and every adjacent pair
// with equal keys is a hit. The check prints the pairs; the rewrite moves the later swimmer of each
// pair one hundredth back.
#include "checks/CheckReports.h"
#include "checks/CheckSupport.h"
#include "checks/Rewrites.h"
#include "storage/Codes.h"
#include "storage/KeySort.h"
#include "storage/Verify.h"

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

// Record numbers of each sex code 1-3 (index sex - 1), in record order.
std::vector<std::vector<int>> bySex(const std::vector<SwimmerRecord>& records)
{
    std::vector<std::vector<int>> out(kSexCodes);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int sex = SwimmerRecord::digitValue(records[i].sei());
        if (sex >= 1 && sex <= kSexCodes) out[std::size_t(sex - 1)].push_back(int(i) + 1);
    }
    return out;
}

std::string whoLine(int record, const SwimmerRecord& s)
{
    return Printer::numberItem(record) + " " + printedField(s, SwimmerRecord::kQBango) + " " +
           printedField(s, SwimmerRecord::kShozoku) + " " + printedField(s, SwimmerRecord::kNamae);
}

} // namespace

void checkSameTime(const EntryStore& store, Printer& p)
{
    const std::vector<SwimmerRecord> records = allSwimmers(store);
    const std::vector<std::vector<int>> groups = bySex(records);
    for (int sex = 1; sex <= kSexCodes; ++sex) {
        for (int slot = 0; slot < kStandardSlots; ++slot) {
            std::vector<SortItem> items;
            for (int n : groups[std::size_t(sex - 1)])
                if (std::int32_t t = records[std::size_t(n) - 1].kiro(slot); t != 0) items.push_back({timeKey(t), n});
            if (items.empty()) continue;
            keySort(items);
            for (std::size_t j = 0; j + 1 < items.size(); ++j) {
                if (items[j].key != items[j + 1].key) continue;
                const SwimmerRecord& a = records[std::size_t(items[j].record) - 1];
                const SwimmerRecord& b = records[std::size_t(items[j + 1].record) - 1];
                p.print(sexText(std::to_string(sex)) + " " + eventName(slot + 1) + " " + formatTime(b.kiro(slot)) + " " +
                        whoLine(items[j].record, a) + whoLine(items[j + 1].record, b));
            }
        }
    }
    p.endDoc();
}

// One hundredth more, computed in 64 bits; a time with no later time in the coding (99:59.99, or a
// value that is no time at all) stays as it is, so nothing outside the coding is ever written.
std::int32_t oneHundredthLater(std::int32_t time)
{
    if (time <= 0 || !isTimeValue(time) || isResultMark(time)) return time;
    long long minutes = time / 10000;
    long long seconds = time / 100 % 100;
    long long hundredths = time % 100 + 1;
    if (hundredths >= 100) {
        hundredths -= 100;
        ++seconds;
    }
    if (seconds >= 60) {
        seconds -= 60;
        ++minutes;
    }
    const long long later = minutes * 10000 + seconds * 100 + hundredths;
    return isTimeValue(later) ? static_cast<std::int32_t>(later) : time;
}

void rewriteSameTime(EntryStore& store)
{
    std::vector<SwimmerRecord> records = store.readAllSwimmers();
    KeepCurrentSwimmer keep(store, records);
    std::vector<bool> changed(records.size(), false);
    // A changed record is taken as the buffer shows it, then changed, as a write-through would.
    auto edit = [&](int n) -> SwimmerRecord& {
        SwimmerRecord& s = records[std::size_t(n) - 1];
        if (!changed[std::size_t(n) - 1]) {
            EntryStore::readIntoBuffer(s);
            changed[std::size_t(n) - 1] = true;
        }
        return s;
    };
    const std::vector<std::vector<int>> groups = bySex(records);
    for (int sex = 1; sex <= kSexCodes; ++sex) {
        for (int slot = 0; slot < kStandardSlots; ++slot) {
            std::vector<SortItem> items;
            for (int n : groups[std::size_t(sex - 1)]) {
                std::int32_t time = records[std::size_t(n) - 1].kiro(slot);
                if (time == 0) continue;
                if (time == kMarkEntered) {
                    edit(n).setKiro(slot, kEnteredAsTime);
                    time = kEnteredAsTime;
                }
                // Other result marks (start, stroke, ... withdrawn) are no times: one hundredth
                // more would turn them into a nonsense time.
                if (isResultMark(time) || !isTimeValue(time)) continue;
                items.push_back({timeKey(time), n});
            }
            keySort(items);
            // Keys stay as sorted: in a run of equal times every swimmer after the first gets
            // one hundredth, which leaves those equal among themselves.
            for (std::size_t j = 0; j + 1 < items.size(); ++j) {
                if (items[j].key != items[j + 1].key) continue;
                SwimmerRecord& s = edit(items[j + 1].record);
                s.setKiro(slot, oneHundredthLater(s.kiro(slot)));
            }
        }
    }
    store.commitAll(records, "rewrite-same-time");
}

} // namespace tolv
