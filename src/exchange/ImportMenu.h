#pragma once
// Every import, once: the entry window's "転入" menu builds its items from this table and
// `tolv import FORMAT` finds its formats, their options and their help in it. An item with a run
// function is run the same way by both; one without has its own form or file dialog in the window
// and its own command in tolv (each side finds it by its command-line name, and fails when it has
// none). An item without a command-line name is done by another tolv command.
#include "transfer/ImportSupport.h"

#include <span>
#include <string>

namespace tolv {

class EntryStore;
class Prompt;

using ImportFn = ImportReport (*)(EntryStore& store, const ImportFolder& folder, Prompt& prompt);

struct ImportMenuItem {
    const char* objectName; // the menu item of the entry window ("mInScm")
    const char* caption;    // its caption in the menu
    const char* cliName;    // tolv import FORMAT; nullptr: another command (the merge: tolv merge)
    const char* options;    // the format's own options as a usage line writes them ("" none)
    const char* about;      // one line for tolv help import
    ImportFn run;           // reads the folder into the open entry file; nullptr: its own form and command
};

// In the order tolv help import lists them.
std::span<const ImportMenuItem> importMenuItems();
// The item by its menu objectName, or nullptr.
const ImportMenuItem* findImportMenuItem(const std::string& objectName);

} // namespace tolv
