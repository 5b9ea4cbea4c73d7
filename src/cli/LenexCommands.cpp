// tolv export lenex ENTRY [--to DIR] [--zip] [--city NAME] / tolv import lenex ENTRY FILE [--from DIR] [--header]
// [--again] / tolv import lenex-meet ENTRY FILE [--from DIR] [--header]
#include "cli/Commands.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexReport.h"
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

// FILE as given, else (relative and not there, or --from given) in --from DIR or the transfer folder.
fs::path lenexFile(const Context& ctx)
{
    fs::path file = ctx.args.need(1, "FILE");
    if (file.is_relative() && (ctx.args.option("--from") || !fs::exists(file))) file = transferFolder(ctx, "--from") / file;
    return file;
}

lenex::ImportOptions importOptions(const Context& ctx)
{
    lenex::ImportOptions options;
    const bool header = ctx.args.flag("--header");
    options.takeHeader = [header](const lenex::MeetInfo&) { return header; };
    const bool again = ctx.args.flag("--again");
    options.again = [again](const std::string&) {
        enforce(again, "このLenexファイルはこの申込ファイルへ取り込み済みです。もう一度取り込むには --again を付けてください");
        return true;
    };
    return options;
}

} // namespace

int cmdExportLenex(Context& ctx)
{
    const fs::path entry = ctx.args.need(0, "ENTRY");
    const bool zip = ctx.args.flag("--zip");
    const fs::path folder = transferFolder(ctx, "--to");
    enforce(fs::is_directory(folder), "転送先フォルダがありません: " + folder.string());
    const std::string city = ctx.args.option("--city").value_or("");
    enforce(!city.empty() || !lenex::cityNeeded(entry),
            "開催地の市町村名がありません。--city で指定してください（申込ファイルごとに記録され、次からは省略できます）");
    EntryStore store;
    store.openEntryFile(entry, EntryStore::Access::Read);
    const lenex::ExportResult r = lenex::exportLenex(store, lenex::defaultExportPath(folder, entry, zip), zip, city, ctlDir());
    ctx.out << lenex::describeExport(r) << "\n";
    return 0;
}

int cmdImportLenex(Context& ctx)
{
    const fs::path entry = ctx.args.need(0, "ENTRY");
    const fs::path file = lenexFile(ctx);
    EntryStore store;
    store.openEntryFile(entry, EntryStore::Access::Write);
    const lenex::ImportResult r = lenex::importLenex(store, file, importOptions(ctx));
    ctx.out << lenex::describeImport(r, file) << "\n";
    return 0;
}

int cmdImportLenexMeet(Context& ctx)
{
    const fs::path entry = ctx.args.need(0, "ENTRY");
    const fs::path file = lenexFile(ctx);
    EntryStore store;
    store.openEntryFile(entry, EntryStore::Access::Write);
    const lenex::ImportResult r = lenex::takeLenexMeet(store, file, importOptions(ctx));
    ctx.out << lenex::describeMeet(r, file) << "\n";
    return 0;
}

} // namespace tolv::cli
