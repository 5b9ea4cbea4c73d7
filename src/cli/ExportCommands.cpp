// tolv export FORMAT ENTRY [--to DIR] [--master DIR]: the export items of the entry window's
// "転出" menu. Files go to the transfer folder of dr_ten.ctl unless --to names one; team registers
// come from the registration root of dr_tor.ctl unless --master names one. Prints each file
// written with its line count (header not counted); notes go to stderr.
#include "cli/Commands.h"
#include "exchange/Exports.h"
#include "exchange/ExportMenu.h"
#include "registration/RegistrationExport.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"

#include <filesystem>
#include <ostream>

namespace tolv::cli {
namespace fs = std::filesystem;

int runExport(Context& ctx, exchange::ExportFn fn)
{
    const std::string entry = ctx.args.need(0, "ENTRY");
    enforce(fs::is_regular_file(entry), "申込ファイルがありません: " + entry);
    ensureControlDefaults(ctlDir());
    exchange::ExportTarget target;
    target.transfer = ctx.args.option("--to") ? fs::path(*ctx.args.option("--to")) : toHostPath(loadTenControl(ctlDir()).folder);
    target.master = MasterSource::local(ctx.args.option("--master") ? fs::path(*ctx.args.option("--master"))
                                                                    : toHostPath(loadTorControl(ctlDir()).folder));
    target.ctl = ctlDir();
    target.when = now();

    EntryStore store;
    store.openEntryFile(fs::path(entry), EntryStore::Access::Read);
    const exchange::EntryData data = exchange::EntryData::read(store);
    store.close();
    const exchange::ExportResult r = exchange::runExportItem(fn, data, target);
    for (const exchange::PlannedFile& f : r.written) ctx.out << f.path.string() << "\t" << f.lines << "\n";
    for (const std::string& n : r.notes) ctx.err << n << "\n";
    return 0;
}

int cmdExportRegistration(Context& ctx) { return runExport(ctx, registration::exportRegistration); }

} // namespace tolv::cli
