// tolv import scm|swm|web|results1|results2|nitiban|mcompd ENTRY [--from DIR]: the imports of the
// entry window's "転入" menu. Files are read from --from DIR, else from the transfer folder of
// dr_ten.ctl (results2: the folder of ENTRY). What was done goes to stdout; questions and the
// system's messages go to stderr. Exit 1 when nothing could be imported.
#include "cli/Commands.h"
#include "exchange/ResultsImport.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "storage/EntryStore.h"
#include "timing/McompdImport.h"

#include <filesystem>
#include <functional>
#include <ostream>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;

ImportFolder folderOf(Context& ctx)
{
    if (auto from = ctx.args.option("--from")) return importFolderAt(fs::path(*from));
    return transferImportFolder();
}

// Opens ENTRY (it must exist), runs the import and reports. The floppy question is answered
// Cancel: the command line cannot wait for a medium.
int runWith(Context& ctx, bool answer, const std::function<ImportReport(EntryStore&, Prompt&)>& import)
{
    const std::string path = ctx.args.need(0, "ENTRY");
    enforce(fs::is_regular_file(path), "申込ファイルがありません: " + path);
    EntryStore store;
    store.openEntryFile(fs::path(path));
    ScriptedPrompt prompt(answer);
    ImportReport report;
    try {
        report = import(store, prompt);
    } catch (const TolvError&) {
        ctx.err << prompt.said;
        throw;
    }
    ctx.err << prompt.said;
    if (!report.changed) {
        ctx.err << report.message() << "\n";
        return 1;
    }
    ctx.out << report.message() << "\n";
    return 0;
}

} // namespace

int runImport(Context& ctx, ImportFn import)
{
    return runWith(ctx, false, [&](EntryStore& s, Prompt& p) { return import(s, folderOf(ctx), p); });
}

int cmdImportResults1(Context& ctx)
{
    const bool replace = ctx.args.flag("--replace");
    try {
        return runWith(ctx, replace, [&](EntryStore& s, Prompt& p) { return importResultsReplacing(s, folderOf(ctx), p); });
    } catch (const ImportCancelled&) {
        if (!replace) throw TolvError("申込ファイルの選手を置き換えるには --replace を付けてください。");
        throw;
    }
}

int cmdImportResults2(Context& ctx)
{
    const std::string entry = ctx.args.need(0, "ENTRY");
    fs::path folder = fs::absolute(fs::path(entry)).parent_path();
    if (auto from = ctx.args.option("--from")) folder = fs::path(*from);
    ImportReport report = combineResults(folder);
    ctx.out << report.message() << "\n";
    return 0;
}

int cmdImportMcompd(Context& ctx)
{
    return runWith(ctx, false, [&](EntryStore& s, Prompt& p) {
        ImportFolder f = folderOf(ctx);
        waitForDrive(f, p);
        return importMcompd(s, f.host);
    });
}

} // namespace tolv::cli
