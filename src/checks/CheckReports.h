#pragma once
// The check reports of the entry window's "チェック" menu. Each reads every swimmer record of the
// open entry file, prints the suspicious ones as one print job (ended with endDoc, also when nothing
// is found) and changes nothing, not even the store's swimmer buffer.
#include "platform/Printer.h"
#include "storage/EntryStore.h"

#include <string>

namespace tolv {

// The entry window's font, which the four-events report prints in.
inline constexpr const char* kEntryWindowFont = "ＭＳ 明朝";

// Duplicate checks: the records sorted by a key, each adjacent pair with equal keys on one line.
void checkNumber(const EntryStore& store, Printer& p);    // number within one registration kind
void checkOldNumber(const EntryStore& store, Printer& p); // old number (blank ones included)
void checkSameStem(const EntryStore& store, Printer& p);  // old number less its sex digit
void checkKana(const EntryStore& store, Printer& p);      // kana reading within one registration kind

// Stored grade and age against the birth date coded in the old number.
void checkGrade(const EntryStore& store, Printer& p);
void checkAge(const EntryStore& store, Printer& p);

// Records without any category flag.
void checkNoCategory(const EntryStore& store, Printer& p);
// Swimmers entered in more than three individual events.
void checkFourEvents(const EntryStore& store, Printer& p, const std::string& fontName = kEntryWindowFont);
// Equal entry times of swimmers of one sex in one event.
void checkSameTime(const EntryStore& store, Printer& p);

} // namespace tolv
