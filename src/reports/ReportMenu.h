#pragma once
// The entry window's menu commands of this subsystem, each one call on the open entry file:
//   "集計" -> "集計"                    tallyEntries
//   "索引" -> "性別" / "クラブ"          sortEntries (then show the last swimmer)
//   "転出" -> "ＳＷＭ大会" -> "タイム一覧表"  listItems() (draw into the print preview)
// `botai` is the index of the window's organising-body option group optBotai.
#include "reports/FeeReports.h"
#include "reports/Sorting.h"
#include "reports/Tally.h"

#include <filesystem>
#include <span>
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

// Every printed list, once: the lists window "団体" builds its print buttons from this table, the
// individual lists window and the entry window's menu find theirs in it, and `tolv print LIST`
// takes its list names from it.
enum class ListSource {
    Nothing,    // a sample sheet
    EntryFile,  // the swimmers of the open entry file
    TeamTotals, // the team totals file of the last tally
};

// What a list is drawn from; each list reads the fields its source names.
struct ListRequest {
    const EntryStore* store = nullptr;      // the open entry file (its header for every list)
    const TeamTotalsFile* totals = nullptr; // the last tally
    int first = 1, last = 0;                // the teams or swimmers to print, where the list takes a range
    ReceiptIssuer issuer;                   // the receipts' issuer lines
    std::string fontName = "ＭＳ 明朝";     // the lists the windows print in the font of their range fields
    std::string* html = nullptr;            // the team list: its HTML copy is returned here when given
};
using ListFn = void (*)(Printer& p, const ListRequest& request);

struct ListItem {
    const char* objectName; // the button of its window, or the entry window's menu item
    const char* caption;    // the button's or the menu item's caption
    const char* cliName;    // tolv print LIST
    ListSource source;
    ListFn draw;           // draws the list and ends the document
    bool htmlCopy = false; // the team list: an HTML copy is written beside the entry file as well
};

// In the order tolv print lists them.
std::span<const ListItem> listItems();
// The list by its command-line name, or nullptr.
const ListItem* findListItem(const std::string& cliName);
// The list by the objectName of its button or menu item, or nullptr.
const ListItem* findListMenuItem(const std::string& objectName);

} // namespace reports
} // namespace tolv
