// Checks of single records: no category flag set, and more than three individual events.
#include "checks/CheckReports.h"
#include "checks/CheckSupport.h"
#include "storage/Codes.h"

namespace tolv {

void checkNoCategory(const EntryStore& store, Printer& p)
{
    int record = 0;
    for (const SwimmerRecord& s : allSwimmers(store)) {
        ++record;
        if (fieldBytes(s, SwimmerRecord::kShubetu).find('1') == std::string::npos)
            p.print(Printer::numberItem(record) + printedField(s, SwimmerRecord::kNamae));
    }
    p.endDoc();
}

void checkFourEvents(const EntryStore& store, Printer& p, const std::string& fontName)
{
    constexpr int kMostEvents = 3;
    p.setFont(fontName, 12);
    int record = 0;
    for (const SwimmerRecord& s : allSwimmers(store)) {
        ++record;
        std::string entered;
        int count = 0;
        for (int slot = 0; slot < kIndividualSlots; ++slot) {
            if (s.kiro(slot) == 0) continue;
            ++count;
            entered += Printer::numberItem(slot) + Printer::numberItem(s.kiro(slot));
        }
        if (count > kMostEvents)
            p.print(Printer::numberItem(record) + printedField(s, SwimmerRecord::kNamae) + printedField(s, SwimmerRecord::kKen) +
                    printedField(s, SwimmerRecord::kShozoku) + entered);
    }
    p.endDoc();
}

} // namespace tolv
