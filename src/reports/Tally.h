#pragma once
// The tally: one totals record per team of the open entry file, written to the team totals file.
#include "storage/MasterSource.h"
#include "storage/OrganisingBody.h"
#include "storage/TeamTotalsFile.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolv {

class EntryStore;
class SwimmerRecord;
class Prompt;

namespace reports {

// Team key of a swimmer (CP932 bytes, 5 characters): the first five characters of QBango, or with
// the organising body "県" its first two followed by "000".
std::string teamKeyOf(const SwimmerRecord& s, int botai);

// The new content of the team totals file.
struct TallyResult {
    ZedControlRecord control;
    std::vector<TeamTotalRecord> teams;                // team n is teams[n - 1]
    std::vector<std::filesystem::path> missingMasters; // team lists that could not be opened
};

// Counts the swimmers of the open entry file into team records. `oldControl` supplies the fee
// names, prices and counters that survive a tally. Throws the overflow message when a count does
// not fit 16 bits (nothing is written then).
TallyResult computeTally(const EntryStore& store, int botai, const ZedControlRecord& oldControl, const MasterSource& master);

// The whole tally: reads the control record of the totals file beside the entry file, computes,
// and replaces the file in one step. Records beyond the new team count stay as they were. When a
// team list could not be opened, `prompt` is told after the file is written.
TallyResult runTally(const EntryStore& store, int botai, const MasterSource& master, Prompt* prompt = nullptr);

} // namespace reports
} // namespace tolv
