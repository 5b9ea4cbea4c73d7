#pragma once
// Entries made on a web entry system ("転入" → "Web"): three fixed-column CP932 text files in the
// transfer folder. Every line starts with its sequence number written without padding; blanks are
// put before it to a fixed width (4 for swcomp.txt and swteam.txt, 5 for swent.txt), and the
// positions below are byte positions (1-based) of the line after that. Fields are taken on bytes,
// so double-byte characters need no re-alignment.
//
// swcomp.txt, one competitor per line:
//   1-4 sequence number   10 sex   11-30 name (first 12 characters)   31-46 kana
//   64-83 affiliation (first 12 characters)   84-89 affiliation kana
//   207-218 registration number: prefecture 2, team 3, birth YYMMDD, check character; widened to
//           the old number by the reference date's century. Numbers starting "34" are not imported.
//   222-228 number
// swent.txt, one individual entry per line:
//   1-5 competitor sequence number   14 stroke   15 distance   18-19, 21-22, 24-25 time m, s, h
// swteam.txt, one relay team per line (this program's reading, see docs/imports.md):
//   1-4 sequence number   16-18 team number   99-100 prefecture code   122 sex
//   138 stroke ("7" medley relay, "6" freestyle relay)   143 distance   146-147, 149-150, 152-153 time
//   The team code is bytes 99-100 followed by 16-18; the time goes to the first competitor of this
//   import in file order whose old number starts with the team code and whose sex matches.
#include "transfer/ImportSupport.h"

namespace tolv {

class EntryStore;
class Prompt;

// Reads and checks the three files, then appends the competitors with their entry and relay times
// in one step. Every file must be there; nothing changes when one is missing or has a fault.
ImportReport importWebEntries(EntryStore& store, const ImportFolder& folder, Prompt& prompt);

// The slot of a web entry's stroke and distance codes (nothing when the pair names no event).
std::optional<int> webEventSlot(char stroke, char distance);

} // namespace tolv
