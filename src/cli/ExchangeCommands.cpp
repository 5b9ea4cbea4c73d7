// tolv export FORMAT ENTRY / tolv import FORMAT ENTRY: one table row per foreign format; each
// format's command lives in the file of its subsystem. A row may list the format's own options as in
// a usage line ("[--zip] [--class K]..."): they are then checked and shown by `--help`; a row that
// lists none accepts any `--name VALUE` (and the flags isFlagOption names).
#include "cli/Commands.h"

#include <ostream>
#include <string>

namespace tolv::cli {
namespace {

struct Format {
    const char* name;
    CommandFn fn;  // called with the FORMAT argument removed: positional 0 is ENTRY
    const char* options = nullptr;
};

// Exports: `--to DIR` (default: the transfer folder of dr_ten.ctl).
const Format kExports[] = {
    // --zip: the .lxf archive instead of the .lef file; --city: the meet's city (kept for ENTRY)
    {"lenex", cmdExportLenex, "[--zip] [--city NAME]"},
    // --master: the registration root holding the team registers (default: dr_tor.ctl).
    {"scm-link", cmdExportScmLink, "[--master DIR]"},
    {"scm-media", cmdExportScmMedia, "[--master DIR]"},
    {"swm-media", cmdExportSwmMedia, "[--master DIR]"},
    {"tolvzep", cmdExportTolvzep, ""},
    {"qtolv", cmdExportQTolv, ""},
    {"swmkari", cmdExportSwmKari, ""},
    {"swm-dbase", cmdExportDbase, ""},
    {"interhigh", cmdExportInterHigh, ""},
    {"registration", cmdExportRegistration, "[--master DIR]"},
    {"registration-docs", cmdExportRegistrationDocs, "[--master DIR] [--print-log FILE] [--pdf FILE]"},
    {"seiko", cmdExportSeiko, "[--events CODE,...] [--class-by open|age|grade] [--class N:LO-HI]..."},
};

// Imports: `--from DIR` (default: the transfer folder of dr_ten.ctl).
const Format kImports[] = {
    // FILE: a .lef or .lxf file; --header: the meet replaces the header of ENTRY with swimmers
    {"lenex", cmdImportLenex, "FILE [--header]"},
    {"scm", cmdImportScm, ""},
    {"swm", cmdImportSwm, ""},
    {"web", cmdImportWeb, ""},
    {"results1", cmdImportResults1, "[--replace]"},  // the swimmers of ENTRY are replaced
    {"results2", cmdImportResults2, ""},  // results.$$$ -> results.zep in the folder of ENTRY
    {"nitiban", cmdImportNitiban, ""},
    {"mcompd", cmdImportMcompd, ""},      // --from: the folder holding Mcompd.dat
};

template <std::size_t N>
int dispatch(Context& ctx, const Format (&table)[N], const char* what)
{
    const std::string name = ctx.args.need(0, "FORMAT");
    for (const Format& f : table) {
        if (f.name && name == f.name) {
            ctx.args.positional.erase(ctx.args.positional.begin());
            return f.fn(ctx);
        }
    }
    std::string names;
    for (const Format& f : table)
        if (f.name) names += std::string(names.empty() ? "" : ", ") + f.name;
    throw UsageError(std::string(what) + "の形式 " + name + " はありません（" + names + " のいずれか）");
}

template <std::size_t N>
std::vector<Variant> variants(const Format (&table)[N])
{
    std::vector<Variant> out;
    for (const Format& f : table)
        if (f.name) out.push_back({f.name, f.options});
    return out;
}

} // namespace

std::vector<Variant> exportFormats() { return variants(kExports); }
std::vector<Variant> importFormats() { return variants(kImports); }

int cmdExport(Context& ctx) { return dispatch(ctx, kExports, "書き出し"); }
int cmdImport(Context& ctx) { return dispatch(ctx, kImports, "読み込み"); }

} // namespace tolv::cli
