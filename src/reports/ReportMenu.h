#pragma once
// The entry window's menu commands of this subsystem, each one call on the open entry file:
//   "集計" -> "集計"                    tallyEntries
//   "索引" -> "性別" / "クラブ"          sortEntries (then show the last swimmer)
//   "転出" -> "ＳＷＭ大会" -> "タイム一覧表"  printEntryTimeList (draw into the print preview)
// `botai` is the index of the window's organising-body option group optBotai.
#include "reports/Sorting.h"
#include "reports/Tally.h"

#include <filesystem>
#include <string>

namespace tolv {

class EntryStore;
class Printer;
class Prompt;
class Session;

namespace reports {

// Where the registration master lives for the tally: in internet mode the working copies in
// c:\tolvsys\temp, in local mode the registration root of dr_tor.ctl.
MasterSource masterSourceFor(bool internetMode);
MasterSource masterSourceFor(const Session& session);

TallyResult tallyEntries(const EntryStore& store, int botai, const Session& session, Prompt& prompt);
void sortEntries(EntryStore& store, SortOrder order, int botai);
void printEntryTimeList(Printer& p, const EntryStore& store, int botai, const std::string& fontName = "ＭＳ 明朝");

} // namespace reports
} // namespace tolv
