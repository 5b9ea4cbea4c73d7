// A generated 2,000-swimmer federation file through every check, rewrite, tally, list and sort:
// the print logs and files must stay byte for byte what they were when the digests below were
// taken, whatever is done to make the commands faster.
#include "FederationFile.h"
#include "checks/CheckMenu.h"
#include "platform/Paths.h"
#include "reports/EntryForm.h"
#include "reports/FeeReports.h"
#include "reports/IndividualLists.h"
#include "reports/Sorting.h"
#include "reports/Tally.h"
#include "reports/TeamLists.h"
#include "storage/TeamTotalsFile.h"
#include "reports/TimeList.h"
#include "reports/ReportFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

using namespace tolv;
using namespace tolv::reports;
using reporttest::logOf;

namespace {

// FNV-1a, 64 bits: stable on every platform and plenty to tell two outputs apart.
std::string digest(const std::string& bytes)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

const std::map<std::string, std::string> kExpected = {
    {"check age", "144288702d3d607c"},
    {"check birth", "c682b6da48f6d4ba"},
    {"check four-events", "f5f24fe59391d0bc"},
    {"check grade", "7b5855e6661b32ad"},
    {"check kana", "14cb5102f808d6a7"},
    {"check no-category", "2a189670ec277ef5"},
    {"check number", "4e5a886e7ee6da10"},
    {"check qbango", "1469276942be4641"},
    {"check same-time", "57162dec03a581f5"},
    {"file", "e931d9578f492bb9"},
    {"print entry-form", "4fb7bac97a7b311c"},
    {"print events", "b4373c6ce15e1531"},
    {"print events-reserve", "c3195c32d7502ec9"},
    {"print fee-list", "5a8910d12db8f76f"},
    {"print individual-events", "48d4b31255df4516"},
    {"print individuals", "a8264364dd4571f4"},
    {"print receipts", "68e0e311ca30c693"},
    {"print team-list", "61c40b7c1351975c"},
    {"print team-list html", "10446dc94898c4b2"},
    {"print time-list", "08101f8ef66b7a20"},
    {"rewrite age", "72f6ee10e32ec4f0"},
    {"rewrite grade", "e5133402eacdac42"},
    {"rewrite grade-company", "25b813d9c6373c81"},
    {"rewrite kana", "e213159ef1c6088a"},
    {"rewrite main", "e88ea7a877cd97a6"},
    {"rewrite prefecture", "e931d9578f492bb9"},
    {"rewrite same-time", "99f0a9b1c370f38e"},
    {"rewrite secondary", "5b1e8d6920fd49fe"},
    {"sort club", "8c49ea32586631d1"},
    {"sort sex", "3efa670cd9744151"},
    {"tally", "a34115543eb8261d"},
};

} // namespace

TEST(FederationRegression, EveryCommandKeepsItsOutputBytes)
{
    tolvtest::TempTree tree;
    setFixedNow({2024, 5, 1, 10, 0, 0});
    const tolvbench::FederationFile f = tolvbench::writeFederation(tree.dir(), 2000, 7, ctlDir());
    const std::string original = tolvtest::readBytes(f.entry);
    std::map<std::string, std::string> got;
    got["file"] = digest(original);
    ScriptedPrompt prompt(false);

    for (const CheckMenuItem& item : checkMenuItems()) {
        tolvtest::writeBytes(f.entry, original);
        EntryStore store;
        store.openEntryFile(f.entry);
        if (item.kind == CheckKind::Report) {
            got[std::string("check ") + item.cliName] = digest(logOf([&](Printer& p) { item.run(store, &p, prompt); }));
        } else {
            item.run(store, nullptr, prompt);
            store.close();
            got[std::string("rewrite ") + item.cliName] = digest(tolvtest::readBytes(f.entry));
        }
    }

    tolvtest::writeBytes(f.entry, original);
    {
        EntryStore store;
        store.openEntryFile(f.entry);
        const EntryHeader& h = store.header();
        runTally(store, h.botai(), MasterSource::local(f.registrationRoot), &prompt);
        {
            // Prices, so the fee list and receipts carry amounts.
            TeamTotalsFile totals;
            totals.open(teamTotalsPath(f.entry));
            for (int k = 0; k < 8; ++k) totals.control().setPrice(k, 500 + 250 * k);
            totals.writeControl();
        }
        got["tally"] = digest(tolvtest::readBytes(teamTotalsPath(f.entry)));
        TeamTotalsFile totals;
        totals.open(teamTotalsPath(f.entry));
        std::string html;
        got["print team-list"] = digest(logOf([&](Printer& p) { html = printTeamList(p, totals, h); }));
        got["print team-list html"] = digest(html);
        got["print events"] = digest(logOf([&](Printer& p) { printEventList(p, totals, h, false); }));
        got["print events-reserve"] = digest(logOf([&](Printer& p) { printEventList(p, totals, h, true); }));
        got["print fee-list"] = digest(logOf([&](Printer& p) { printFeeList(p, totals, h); }));
        got["print receipts"] = digest(logOf([&](Printer& p) {
            printReceipts(p, totals, 1, totals.teamCount(), ReceiptIssuer::defaults());
        }));
        got["print entry-form"] = digest(logOf([&](Printer& p) { printEntryForm(p, totals, store, 1, totals.teamCount()); }));
        got["print individuals"] = digest(logOf([&](Printer& p) { printIndividualList(p, store, 1, h.total()); }));
        got["print individual-events"] = digest(logOf([&](Printer& p) { printIndividualEventList(p, store, 1, h.total()); }));
        got["print time-list"] = digest(logOf([&](Printer& p) { printTimeList(p, store, h.botai()); }));
    }

    for (SortOrder order : {SortOrder::Club, SortOrder::Sex}) {
        tolvtest::writeBytes(f.entry, original);
        EntryStore store;
        store.openEntryFile(f.entry);
        sortEntryFile(store, order, store.header().botai());
        store.close();
        got[order == SortOrder::Club ? "sort club" : "sort sex"] = digest(tolvtest::readBytes(f.entry));
    }

    std::string table;
    for (const auto& [name, d] : got) table += "    {\"" + name + "\", \"" + d + "\"},\n";
    EXPECT_EQ(got, kExpected) << "digests now:\n" << table;
}
