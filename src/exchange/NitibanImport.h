#pragma once
// Registration numbers of the national federation ("転入" → "日水登録番号"): jpnnewsmer.csv in the
// transfer folder, CP932, comma-separated, five fields per line, no header. Field 2 is the match
// key, field 5 the registration number (7 characters); fields 1, 3 and 4 are not used.
//
// A swimmer's match key is its sex code, the birth date YYMMDD of old-number characters 8-13 and
// its name without any blank (half- or full-width) or control character; field 2 is compared
// after the same blank removal. Every swimmer whose key equals a line's key takes its number.
#include "transfer/ImportSupport.h"

#include <string>

namespace tolv {

class EntryStore;
class Prompt;
class SwimmerRecord;

// The match key of a swimmer (UTF-8).
std::string registrationMatchKey(const SwimmerRecord& s);

// Reads and checks the list, then sets Bango of every matching swimmer and commits the entry file
// in one step. The swimmers' keys are built once and indexed. A list without any match leaves the
// entry file untouched (report.changed false).
ImportReport importRegistrationNumbers(EntryStore& store, const ImportFolder& folder, Prompt& prompt);

} // namespace tolv
