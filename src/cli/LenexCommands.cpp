// tolv export lenex ENTRY [--to DIR] [--zip] / tolv import lenex ENTRY FILE [--from DIR]
#include "cli/Commands.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexWriter.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"

#include <filesystem>
#include <ostream>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;

// --DIR when given, else the transfer folder of dr_ten.ctl.
fs::path transferFolder(const Context& ctx, const char* option)
{
    if (auto dir = ctx.args.option(option)) return fs::path(*dir);
    return toHostPath(readTenControl(ctlDir()).value_or(TenControl{}).folder);
}

} // namespace

int cmdExportLenex(Context& ctx)
{
    const fs::path entry = ctx.args.need(0, "ENTRY");
    const bool zip = ctx.args.flag("--zip");
    const fs::path folder = transferFolder(ctx, "--to");
    enforce(fs::is_directory(folder), "転送先フォルダがありません: " + folder.string());
    EntryStore store;
    store.openEntryFile(entry, EntryStore::Access::Read);
    const lenex::ExportResult r = lenex::exportLenex(store, lenex::defaultExportPath(folder, entry, zip), zip);
    ctx.out << lenex::describeExport(r) << "\n";
    return 0;
}

int cmdImportLenex(Context& ctx)
{
    const fs::path entry = ctx.args.need(0, "ENTRY");
    fs::path file = ctx.args.need(1, "FILE");
    // A relative FILE is taken in --from DIR, else as given or, when it is not there, in the
    // transfer folder.
    if (file.is_relative() && (ctx.args.option("--from") || !fs::exists(file)))
        file = transferFolder(ctx, "--from") / file;
    EntryStore store;
    store.openEntryFile(entry, EntryStore::Access::Write);
    const lenex::ImportResult r = lenex::importLenex(store, file);
    ctx.out << lenex::describeImport(r, file) << "\n";
    return 0;
}

} // namespace tolv::cli
