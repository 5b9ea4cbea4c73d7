#pragma once
// The competition entry form "大会参加申込書": per team one ruled sheet for every five swimmers,
// with the meet and team data at the top and one column per swimmer.
namespace tolv {

class Printer;
class EntryStore;
class TeamTotalsFile;

namespace reports {

// Sheets for teams first..last of the totals file (clamped to its teams). A swimmer belongs to a
// team when its team key, formed as in the tally, equals the team's key.
void printEntryForm(Printer& p, const TeamTotalsFile& totals, const EntryStore& store, int first, int last);

} // namespace reports
} // namespace tolv
