#pragma once
// The entry time list "タイム一覧表": every swimmer with the individual events entered and their
// entry times, one line each, a page head whenever a new team begins.
#include <string>

namespace tolv {

class Printer;
class EntryStore;

namespace reports {

// Label of individual slot 0..21: distance right-aligned to four, a blank, the stroke, a blank.
std::string timeListLabel(int slot);

// `botai` is the organising-body option (team key rule); `fontName` the font of the entry window's
// swimmer-number box. Lines that would run past the bottom of a sheet continue on the next one.
void printTimeList(Printer& p, const EntryStore& store, int botai, const std::string& fontName = "ＭＳ 明朝");

} // namespace reports
} // namespace tolv
