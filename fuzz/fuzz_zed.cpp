// The team totals file (.zed): the input opened read-only as the totals of the demo's entry file,
// every team read and the fee list, receipts, team list and event list printed from it.
#include "FuzzSupport.h"
#include "platform/Printer.h"
#include "reports/FeeReports.h"
#include "reports/TeamLists.h"
#include "storage/EntryStore.h"
#include "storage/TeamTotalsFile.h"

#include <sstream>

TOLV_FUZZ_TARGET(zed)
{
    static const tolv::EntryHeader header = [] {
        tolvfuzz::ImportBench bench;
        bench.reset({});
        tolv::EntryStore store;
        store.openEntryFile(bench.entry(), tolv::EntryStore::Access::Read);
        return store.header();
    }();
    const auto path = tolvfuzz::inputFile("totals.zed", data, size);
    tolvfuzz::quietly([&] {
        tolv::TeamTotalsFile totals;
        totals.open(path, tolv::TeamTotalsFile::Access::Read);
        for (int n = 1; n <= totals.teamCount() && n <= 200; ++n) {
            const tolv::TeamTotalRecord t = totals.teamAt(n);
            (void)(t.key() + t.name() + t.shortName() + t.scoreboard() + t.representative() + t.postal() + t.address1() +
                   t.address2() + t.phone() + t.monthFlag());
            tolvfuzz::quietly([&] { (void)tolv::reports::teamFees(t, totals.control()); });
        }
        for (int k = 0; k < tolv::kFeeItems; ++k) (void)totals.control().feeName(k);
        std::ostringstream out;
        tolv::PrintLog log(out);
        tolvfuzz::quietly([&] { tolv::reports::printFeeList(log, totals, header); });
        tolvfuzz::quietly([&] { tolv::reports::printReceipts(log, totals, 1, 20, tolv::reports::ReceiptIssuer::defaults()); });
        tolvfuzz::quietly([&] { (void)tolv::reports::printTeamList(log, totals, header); });
        tolvfuzz::quietly([&] { tolv::reports::printEventList(log, totals, header, true); });
    });
    return 0;
}
