// tolv export FORMAT ENTRY / tolv import FORMAT ENTRY: the formats, their options and their help
// come from the registries of the core (ExportMenu, ImportMenu) that the entry window's menus read
// too. A format the core runs itself goes through one shared command; the others have their own
// command in the file of their subsystem, found here by name. A format of a registry without either
// is a fault of this program, reported as such by every tolv export / import.
#include "cli/Commands.h"
#include "exchange/ExportMenu.h"
#include "exchange/ImportMenu.h"

#include <ostream>
#include <stdexcept>
#include <string>

namespace tolv::cli {
namespace {

struct OwnCommand {
    const char* name;
    CommandFn fn; // called with the FORMAT argument removed: positional 0 is ENTRY
};

// Exports: `--to DIR` (default: the transfer folder of dr_ten.ctl).
const OwnCommand kOwnExports[] = {
    {"lenex", cmdExportLenex},
    {"registration", cmdExportRegistration},
    {"registration-docs", cmdExportRegistrationDocs},
    {"seiko", cmdExportSeiko},
};

// Imports: `--from DIR` (default: the transfer folder of dr_ten.ctl).
const OwnCommand kOwnImports[] = {
    {"lenex", cmdImportLenex},       {"lenex-meet", cmdImportLenexMeet}, {"results1", cmdImportResults1},
    {"results2", cmdImportResults2}, {"mcompd", cmdImportMcompd},
};

template <std::size_t N> CommandFn ownCommand(const OwnCommand (&table)[N], const std::string& name)
{
    for (const OwnCommand& c : table)
        if (name == c.name) return c.fn;
    return nullptr;
}

// The formats of a registry, each with the command that runs it.
struct Format {
    Variant variant;
    CommandFn own; // nullptr: the registry's run function through the shared command
    exchange::ExportFn exportRun = nullptr;
    ImportFn importRun = nullptr;
};

std::vector<Format> exportTable()
{
    std::vector<Format> out;
    for (const exchange::ExportMenuItem& i : exchange::exportMenuItems()) {
        CommandFn own = ownCommand(kOwnExports, i.cliName);
        if (!own && !i.run) throw std::logic_error(std::string("tolv export has no command for ") + i.cliName);
        out.push_back({{i.cliName, i.options, i.about}, own, i.run});
    }
    return out;
}

std::vector<Format> importTable()
{
    std::vector<Format> out;
    for (const ImportMenuItem& i : importMenuItems()) {
        if (!i.cliName) continue;
        CommandFn own = ownCommand(kOwnImports, i.cliName);
        if (!own && !i.run) throw std::logic_error(std::string("tolv import has no command for ") + i.cliName);
        out.push_back({{i.cliName, i.options, i.about}, own, nullptr, i.run});
    }
    return out;
}

const Format& chosen(Context& ctx, const std::vector<Format>& table, const char* what)
{
    const std::string name = ctx.args.need(0, "FORMAT");
    for (const Format& f : table) {
        if (name == f.variant.name) {
            ctx.args.positional.erase(ctx.args.positional.begin());
            return f;
        }
    }
    std::string names;
    for (const Format& f : table) names += std::string(names.empty() ? "" : ", ") + f.variant.name;
    throw UsageError(std::string(what) + "の形式 " + name + " はありません（" + names + " のいずれか）");
}

std::vector<Variant> variants(const std::vector<Format>& table)
{
    std::vector<Variant> out;
    for (const Format& f : table) out.push_back(f.variant);
    return out;
}

} // namespace

std::vector<Variant> exportFormats() { return variants(exportTable()); }
std::vector<Variant> importFormats() { return variants(importTable()); }

int cmdExport(Context& ctx)
{
    const std::vector<Format> table = exportTable();
    const Format& f = chosen(ctx, table, "書き出し");
    if (f.own) return f.own(ctx);
    return runExport(ctx, f.exportRun);
}

int cmdImport(Context& ctx)
{
    const std::vector<Format> table = importTable();
    const Format& f = chosen(ctx, table, "読み込み");
    if (f.own) return f.own(ctx);
    return runImport(ctx, f.importRun);
}

} // namespace tolv::cli
