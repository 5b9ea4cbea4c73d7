#pragma once
// The entry window's "チェック" menu as a table: nine reports, then eight rewrites, in menu order.
// The window builds its menu items from it (objectName and caption) and the tolv command finds
// its check and rewrite names in it.
#include "platform/Printer.h"
#include "platform/Prompt.h"
#include "storage/EntryStore.h"

#include <span>
#include <string>

namespace tolv {

enum class CheckKind { Report, Rewrite };

// Runs the item on the open entry file. Reports draw on the printer (which must be given) and end
// the document; rewrites take no printer (nullptr) and leave the store's swimmer buffer showing the
// swimmer it showed before. Errors are thrown as TolvError.
using CheckAction = void (*)(EntryStore& store, Printer* printer, Prompt& prompt);

struct CheckMenuItem {
    const char* objectName; // "mCheck1" ...
    const char* caption;    // "番号" ...
    CheckKind kind;
    const char* cliName; // tolv check NAME / tolv rewrite NAME
    CheckAction run;
};

std::span<const CheckMenuItem> checkMenuItems();
// The item of a kind by its command-line name, or nullptr.
const CheckMenuItem* findCheckItem(CheckKind kind, const std::string& cliName);
// The item by its menu objectName, or nullptr.
const CheckMenuItem* findCheckItem(const std::string& objectName);

} // namespace tolv
