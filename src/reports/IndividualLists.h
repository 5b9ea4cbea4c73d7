#pragma once
// The individual lists over a range of swimmer records: "個 人 一 覧" (personal data) and
// "個人種目一覧" (a mark per entered event slot).
#include <string>

namespace tolv {

class Printer;
class EntryStore;
class SwimmerRecord;

namespace reports {

// Display texts of a swimmer's fields in these lists.
std::string sexMark(const std::string& sei);               // "男", "女", "混" or empty
std::string mainSecondaryText(const std::string& shuFuku); // "  ", "主", "副", "３", "４", "５"
std::string registrationDateText(int torobi);              // "yyyy-mm" (yyyymm or yyyymmdd), "    -  " for none
// ":" + one mark per slot ("*" entered, "-" not) with the stroke-group separators, then ":".
std::string eventMarks(const SwimmerRecord& s);

// Records first..last of the entry file (first > last prints only the page head); a new page and
// page head follow every record whose number is a multiple of 50.
void printIndividualList(Printer& p, const EntryStore& store, int first, int last);
// `fontName` is the font the window's range field shows its text in.
void printIndividualEventList(Printer& p, const EntryStore& store, int first, int last,
                              const std::string& fontName = "ＭＳ 明朝");

// The range rules of the window: a first number below 1 becomes 1, a last number above the swimmer
// count becomes the count; text that is no number counts as 0.
int clampFirst(const std::string& typed);
int clampLast(const std::string& typed, int swimmers);

} // namespace reports
} // namespace tolv
