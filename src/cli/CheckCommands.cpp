// tolv check NAME ENTRY / tolv rewrite NAME ENTRY: the "チェック" menu from the command line.
#include "checks/CheckMenu.h"
#include "cli/Commands.h"
#include "platform/Error.h"
#include "platform/Printer.h"
#include "platform/Prompt.h"
#include "storage/EntryStore.h"

#include <filesystem>
#include <ostream>

namespace tolv::cli {
namespace {

const CheckMenuItem& itemNamed(CheckKind kind, const std::string& name)
{
    if (const CheckMenuItem* item = findCheckItem(kind, name)) return *item;
    std::string names;
    for (const CheckMenuItem& item : checkMenuItems())
        if (item.kind == kind) names += std::string(names.empty() ? "" : ", ") + item.cliName;
    throw UsageError("unknown " + std::string(kind == CheckKind::Report ? "check" : "rewrite") + " " + name +
                     " (one of: " + names + ")");
}

// Checks and rewrites work on an existing entry file; opening would create a missing one. A check
// only reads: it takes the shared lock and leaves the file as it is.
void openExisting(EntryStore& store, const std::string& path, EntryStore::Access access = EntryStore::Access::Write)
{
    enforce(std::filesystem::is_regular_file(path), "申込ファイルがありません: " + path);
    store.openEntryFile(std::filesystem::path(path), access);
}

void passOn(Context& ctx, const ScriptedPrompt& prompt)
{
    if (!prompt.said.empty()) ctx.err << prompt.said;
}

} // namespace

int cmdCheck(Context& ctx)
{
    const CheckMenuItem& item = itemNamed(CheckKind::Report, ctx.args.need(0, "NAME"));
    EntryStore store;
    openExisting(store, ctx.args.need(1, "ENTRY"), EntryStore::Access::Read);
    ScriptedPrompt prompt(false);
    withPrinter(ctx, [&](Printer& p) { item.run(store, &p, prompt); });
    passOn(ctx, prompt);
    return 0;
}

int cmdRewrite(Context& ctx)
{
    const CheckMenuItem& item = itemNamed(CheckKind::Rewrite, ctx.args.need(0, "NAME"));
    EntryStore store;
    openExisting(store, ctx.args.need(1, "ENTRY"));
    ScriptedPrompt prompt(false);
    item.run(store, nullptr, prompt);
    passOn(ctx, prompt);
    return 0;
}

} // namespace tolv::cli
