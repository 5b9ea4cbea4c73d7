#pragma once
// The lists window's team lists: "申込一覧" (with its HTML copy) and the per-event lists
// "種目一覧" (standard slots 0..28) and "種目一覧予備" (reserve slots 29..43).
#include <filesystem>
#include <string>

namespace tolv {

class Printer;
class EntryHeader;
class TeamTotalsFile;

namespace reports {

// The HTML copy of the team list: the entry file's base name followed by "1.html".
std::filesystem::path teamListHtmlPath(const std::filesystem::path& entryFile);

// Prints the team list over every team of the file and returns its HTML copy (UTF-8, CR LF lines).
// Every count is checked first: a total beyond 16 bits throws before anything is printed.
std::string printTeamList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h);
// Writes the HTML copy as CP932, replacing the file whole.
void writeTeamListHtml(const std::filesystem::path& htmlFile, const std::string& html);
// Prints the team list and writes the HTML copy to `htmlFile`.
void printTeamList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h, const std::filesystem::path& htmlFile);

// Entries per event and team: men, women and their sum; ten teams a page.
void printEventList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h, bool reserveSlots);

} // namespace reports
} // namespace tolv
