#include "reports/ReportMenu.h"

#include "platform/Paths.h"
#include "reports/EntryForm.h"
#include "reports/IndividualLists.h"
#include "reports/TeamLists.h"
#include "reports/TimeList.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/Session.h"

namespace tolv::reports {

MasterSource masterSourceFor(bool internetMode)
{
    if (internetMode) return MasterSource::downloaded(tempDir());
    return MasterSource::local(toHostPath(loadTorControl(ctlDir()).folder));
}

MasterSource masterSourceFor(const Session& session) { return masterSourceFor(session.internet()); }

TallyResult tallyEntries(const EntryStore& store, int botai, const Session& session, Prompt& prompt)
{
    return runTally(store, botai, masterSourceFor(session), &prompt);
}

void sortEntries(EntryStore& store, SortOrder order, int botai) { sortEntryFile(store, order, botai); }

namespace {

void teamList(Printer& p, const ListRequest& r)
{
    std::string html = printTeamList(p, *r.totals, r.store->header());
    if (r.html) *r.html = std::move(html);
}
void eventList(Printer& p, const ListRequest& r) { printEventList(p, *r.totals, r.store->header(), false); }
void reserveEventList(Printer& p, const ListRequest& r) { printEventList(p, *r.totals, r.store->header(), true); }
void feeList(Printer& p, const ListRequest& r) { printFeeList(p, *r.totals, r.store->header()); }
void receipts(Printer& p, const ListRequest& r) { printReceipts(p, *r.totals, r.first, r.last, r.issuer); }
void addressSample(Printer& p, const ListRequest&) { printAddressSample(p); }
void entryForm(Printer& p, const ListRequest& r) { printEntryForm(p, *r.totals, *r.store, r.first, r.last); }
void individuals(Printer& p, const ListRequest& r) { printIndividualList(p, *r.store, r.first, r.last); }
void individualEvents(Printer& p, const ListRequest& r) { printIndividualEventList(p, *r.store, r.first, r.last, r.fontName); }
void timeList(Printer& p, const ListRequest& r) { printTimeList(p, *r.store, r.store->header().botai(), r.fontName); }

const ListItem kLists[] = {
    {"cmdInsatu1", "申込一覧", "team-list", ListSource::TeamTotals, teamList, true},
    {"cmdInsatu2", "種目一覧", "events", ListSource::TeamTotals, eventList},
    {"cmdInsatu6", "種目一覧予備", "events-reserve", ListSource::TeamTotals, reserveEventList},
    {"cmdInsatu3", "申込金一覧", "fee-list", ListSource::TeamTotals, feeList},
    {"cmdInsatu4", "領収証", "receipts", ListSource::TeamTotals, receipts},
    {"cmdInsatu5", "宛名", "address", ListSource::Nothing, addressSample},
    {"cmdMoshisho", "申込書", "entry-form", ListSource::TeamTotals, entryForm},
    {"cmdKozin", "個 人 一 覧", "individuals", ListSource::EntryFile, individuals},
    {"cmdShumoku", "個人種目一覧", "individual-events", ListSource::EntryFile, individualEvents},
    {"mOutTichi", "タイム一覧表", "time-list", ListSource::EntryFile, timeList},
};

} // namespace

std::span<const ListItem> listItems() { return kLists; }

const ListItem* findListItem(const std::string& cliName)
{
    for (const ListItem& l : kLists)
        if (cliName == l.cliName) return &l;
    return nullptr;
}

const ListItem* findListMenuItem(const std::string& objectName)
{
    for (const ListItem& l : kLists)
        if (objectName == l.objectName) return &l;
    return nullptr;
}

} // namespace tolv::reports
