// Duplicate checks: number, old number, same old-number stem ("生年月日") and kana reading.
//
// Every record gets a sort key; after the shared key sort, equal keys stand next to each other and
// each entry is compared with the one before it. What is compared and what a reported line holds
// differ per check:
//
//   check       sort key              reported when (against the previous entry)
//   number      Bango                 same Bango, same shuFuku, previous Bango not numerically 0
//   old number  QBango                same QBango (blank ones too)
//   same stem   sei + QBango 1-13     same QBango characters 1-13 (the sex code only orders)
//   kana        Kana                  same Kana, same shuFuku
#include "checks/CheckReports.h"
#include "checks/CheckSupport.h"
#include "storage/Codes.h"
#include "storage/KeySort.h"

#include <vector>

namespace tolv {
namespace {

enum class Dup { Number, OldNumber, SameStem, Kana };

constexpr int kLinesPerPage = 60;

// What a walk step remembers of an entry; the previous one starts empty with record number 0.
struct Seen {
    std::string compared; // CP932 bytes
    int record = 0;
    std::string printed;
    std::string name;
    std::string affiliation;
    std::string kind;
};

std::string sortKey(Dup which, const SwimmerRecord& s)
{
    switch (which) {
    case Dup::Number: return fieldBytes(s, SwimmerRecord::kBango);
    case Dup::OldNumber: return fieldBytes(s, SwimmerRecord::kQBango);
    case Dup::SameStem:
        return fieldBytes(s, SwimmerRecord::kSei) + SwimmerRecord::kQBangoStem.of(fieldBytes(s, SwimmerRecord::kQBango));
    case Dup::Kana: return fieldBytes(s, SwimmerRecord::kKana);
    }
    return {};
}

Seen seen(Dup which, const SwimmerRecord& s, int record)
{
    Seen e;
    e.record = record;
    e.name = printedField(s, SwimmerRecord::kNamae);
    e.affiliation = printedField(s, SwimmerRecord::kShozoku);
    e.kind = printedField(s, SwimmerRecord::kShuFuku);
    switch (which) {
    case Dup::Number: e.compared = fieldBytes(s, SwimmerRecord::kBango); break;
    case Dup::OldNumber: e.compared = fieldBytes(s, SwimmerRecord::kQBango); break;
    case Dup::SameStem: e.compared = SwimmerRecord::kQBangoStem.of(fieldBytes(s, SwimmerRecord::kQBango)); break;
    case Dup::Kana: e.compared = fieldBytes(s, SwimmerRecord::kKana); break;
    }
    e.printed = which == Dup::SameStem ? printedField(s, SwimmerRecord::kQBango) : fromCp932(e.compared);
    return e;
}

bool reported(Dup which, const Seen& cur, const Seen& prev)
{
    switch (which) {
    case Dup::Number:
        // A blank or zero number is never the earlier one of a pair: unnumbered swimmers are normal.
        return cur.compared == prev.compared && cur.kind == prev.kind && numericValue(prev.compared) != 0;
    case Dup::OldNumber:
    case Dup::SameStem: return cur.compared == prev.compared;
    case Dup::Kana: return cur.compared == prev.compared && cur.kind == prev.kind;
    }
    return false;
}

std::string lineOf(Dup which, const Seen& cur, const Seen& prev)
{
    std::string line = cur.printed + Printer::numberItem(cur.record) + cur.name;
    if (which == Dup::SameStem) line += "(" + cur.affiliation + ")";
    line += cur.kind + "->" + prev.printed + Printer::numberItem(prev.record) + prev.name + prev.kind;
    return line;
}

void duplicateCheck(const EntryStore& store, Printer& p, Dup which)
{
    const std::vector<SwimmerRecord> records = allSwimmers(store);
    std::vector<SortItem> items;
    items.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) items.push_back({sortKey(which, records[i]), static_cast<int>(i) + 1});
    keySort(items);

    const bool paged = which == Dup::SameStem || which == Dup::Kana;
    int lines = 0;
    Seen prev;
    for (const SortItem& item : items) {
        Seen cur = seen(which, records[static_cast<std::size_t>(item.record) - 1], item.record);
        if (reported(which, cur, prev)) {
            if (paged && lines > 0 && lines % kLinesPerPage == 0) p.newPage();
            p.print(lineOf(which, cur, prev));
            ++lines;
        }
        prev = std::move(cur);
    }
    p.endDoc();
}

} // namespace

void checkNumber(const EntryStore& store, Printer& p) { duplicateCheck(store, p, Dup::Number); }
void checkOldNumber(const EntryStore& store, Printer& p) { duplicateCheck(store, p, Dup::OldNumber); }
void checkSameStem(const EntryStore& store, Printer& p) { duplicateCheck(store, p, Dup::SameStem); }
void checkKana(const EntryStore& store, Printer& p) { duplicateCheck(store, p, Dup::Kana); }

} // namespace tolv
