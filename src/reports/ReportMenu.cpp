#include "reports/ReportMenu.h"

#include "platform/Paths.h"
#include "reports/TimeList.h"
#include "storage/ControlFiles.h"
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

void printEntryTimeList(Printer& p, const EntryStore& store, int botai, const std::string& fontName)
{
    printTimeList(p, store, botai, fontName);
}

} // namespace tolv::reports
