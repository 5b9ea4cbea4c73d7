#pragma once
// Every export, once: the entry window's "転出" menu builds its items from this table and
// `tolv export FORMAT` finds its formats, their options and their help in it. An item with a run
// function is run the same way by both; one without opens its own form in the window and has its
// own command in tolv (each side finds it by its command-line name, and fails when it has none).
#include "exchange/Exports.h"

#include <span>
#include <string>

namespace tolv::exchange {

struct ExportMenuItem {
    const char* objectName; // the menu item of the entry window ("mOutZep"); nullptr: tolv alone
    const char* caption;    // its caption in the menu
    const char* cliName;    // tolv export FORMAT
    const char* options;    // the format's own options as a usage line writes them ("" none)
    const char* about;      // one line for tolv help export: what it writes, what it needs first
    ExportFn run;           // writes the files from the entry data; nullptr: its own form and command
};

// Runs an export item on the entry data, as the window and tolv do: the closing notes name the
// swimmers whose half-width commas and double quotes were written full-width.
ExportResult runExportItem(ExportFn run, const EntryData& data, const ExportTarget& target);

// In the order tolv help export lists them.
std::span<const ExportMenuItem> exportMenuItems();
// The item by its menu objectName, or nullptr.
const ExportMenuItem* findExportMenuItem(const std::string& objectName);

} // namespace tolv::exchange
