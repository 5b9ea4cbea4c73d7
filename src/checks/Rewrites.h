#pragma once
// The bulk rewrites of the entry window's "チェック" menu: one derived field of every swimmer record
// rewritten in one pass over the records read once, each taken as the swimmer buffer shows it, and
// written back whole through commitAll (a backup, then one atomic replace). They show nothing; an
// error anywhere leaves the file as it was. Afterwards the store's swimmer buffer shows the swimmer
// it showed before, as now stored.
#include "storage/EntryStore.h"

#include <filesystem>

namespace tolv {

void rewriteKana(EntryStore& store);                  // full-width blanks in the kana reading to blanks
void rewriteAge(EntryStore& store);                   // age on the reference date from the old number
void rewriteGrade(EntryStore& store);                 // grade code from the old number's birth date
void rewriteCompanyGrade(EntryStore& store);          // grade code by company-team age bands
void rewriteMainRegistration(EntryStore& store);      // registration kind "1"
void rewriteSecondaryRegistration(EntryStore& store); // registration kind "2"
// Prefecture name and reading from the prefecture table by the old number's first two characters;
// the table is ken.ctl in the control folder unless given.
void rewritePrefecture(EntryStore& store);
void rewritePrefecture(EntryStore& store, const std::filesystem::path& kenCtl);
// Equal entry times within a sex and an event made distinct by one hundredth.
void rewriteSameTime(EntryStore& store);

// A time one hundredth later, carrying into seconds and minutes (1:59.99 -> 2:00.00).
std::int32_t oneHundredthLater(std::int32_t time);

} // namespace tolv
