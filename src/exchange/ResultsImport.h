#pragma once
// Results of an outside meet system turned into entries ("転入" → "Results(1)", "Results(2)").
//
// Results.Dat (transfer folder): CP932, comma-separated, one result per line, no header; the line
// has 100 fields, of which these are used (1-based): 1 sex ("1" male), 2 stroke, 3 distance,
// 10 affiliation, 11 number, 13 name, 14 birth date YYYY/MM/DD, 27 and 28 grade code first and
// second character, 31 team code, 36 achieved time m:ss.hh. A line needs at least 36 fields.
// Stroke "1" with distances "1".."7" -> slots 0..6, "2"/"3"/"4" with "1".."4" -> 7.., 11.., 15..,
// "5" with "3","4","5" -> 19..21, "7" with "3","4","5" -> 22..24, "6" with "3".."6" -> 25..28.
//
// Results(1) replaces the swimmers of the open entry file by one swimmer per result line (made
// from a result: registration kind "3", markA "1" in the filled slot) and resets the header's
// course, competition number, kind, organising body and days. Results(2) combines consecutive
// records of one person (same name and old number) of results.$$$ into results.zep, both entry
// files in the entry file's folder.
#include "transfer/ImportSupport.h"

#include <filesystem>

namespace tolv {

class EntryStore;
class Prompt;

// Reads and checks Results.Dat, asks before replacing (Cancel throws ImportCancelled), then writes
// the new swimmers and the header in one step; a fault leaves the old file whole.
ImportReport importResultsReplacing(EntryStore& store, const ImportFolder& folder, Prompt& prompt);

// The slot of a Results.Dat stroke and distance (nothing when the pair names no event).
std::optional<int> resultsEventSlot(const std::string& stroke, const std::string& distance);

// results.$$$ in `folder` -> results.zep in the same folder, written whole under its lock. An empty
// results.$$$ gives a results.zep without swimmers.
ImportReport combineResults(const std::filesystem::path& folder);

} // namespace tolv
