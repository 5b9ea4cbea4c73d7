// tolv export seiko ENTRY: the timing window's two "追加書出し" buttons from the command line;
// tolv export registration-docs ENTRY: the registration window's "印刷(csv)".
#include "cli/Commands.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "timing/SeikoExport.h"
#include "platform/Clock.h"
#include "registration/RegistrationDocs.h"
#include "storage/Backups.h"

#include <ostream>
#include <sstream>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;
using namespace tolv::timing;

// An event named by its two-digit entry code ("11", "35") or its timing code ("10050").
int slotNamed(const std::string& code)
{
    for (int slot = 0; slot < kStandardSlots; ++slot)
        if (code == seikoEventCode(slot) || code == eventCode(slot)) return slot;
    throw UsageError("unknown event " + code + " (a two-digit event code such as 11, or a timing code such as 10050)");
}

void readOptions(const Context& ctx, SeikoOptions& o)
{
    if (auto events = ctx.args.option("--events")) {
        o.everyone = false;
        std::stringstream list(*events);
        std::string code;
        while (std::getline(list, code, ','))
            if (!code.empty()) o.events[static_cast<std::size_t>(slotNamed(code))] = true;
    }
    if (auto by = ctx.args.option("--class-by")) {
        if (*by == "open") o.classBy = ClassBy::Open;
        else if (*by == "age") o.classBy = ClassBy::Age;
        else if (*by == "grade") o.classBy = ClassBy::Grade;
        else throw UsageError("--class-by takes open, age or grade: " + *by);
    }
    for (const std::string& c : ctx.args.all("--class")) {
        // N:LO-HI, N = 1..10
        const std::size_t colon = c.find(':'), dash = c.find('-', colon == std::string::npos ? 0 : colon + 1);
        int row = 0;
        try {
            row = colon == std::string::npos ? 0 : std::stoi(c.substr(0, colon));
        } catch (const std::exception&) {
            row = 0;
        }
        if (row < 1 || row > kClassRows || dash == std::string::npos)
            throw UsageError("--class needs N:LO-HI with N 1..10: " + c);
        o.classes[static_cast<std::size_t>(row - 1)] = {c.substr(colon + 1, dash - colon - 1), c.substr(dash + 1)};
    }
}

void report(Context& ctx, const SeikoAppend& a, const char* what)
{
    ctx.out << a.file.string() << ": " << what << " " << a.written << " 行を追加しました"
            << (a.header ? "（見出し行を書きました）" : "") << "\n";
    for (const LostEvents& l : a.lost) {
        ctx.out << "  " << l.swimmer << " " << l.name << ": 11 種目目以降を書き出せませんでした (";
        for (std::size_t i = 0; i < l.eventSlots.size(); ++i) ctx.out << (i ? "," : "") << eventCode(l.eventSlots[i]);
        ctx.out << ")\n";
    }
}

} // namespace

int cmdExportSeiko(Context& ctx)
{
    SeikoOptions o;
    readOptions(ctx, o);
    EntryStore store;
    store.openEntryFile(fs::path(ctx.args.need(0, "ENTRY")), EntryStore::Access::Read);
    o.prefectureTeams = store.header().botai() == 1;
    const std::vector<SwimmerRecord> swimmers = store.readAllSwimmers();
    const fs::path ctl = ctlDir();
    const fs::path to = ctx.args.option("--to") ? fs::path(*ctx.args.option("--to")) : toHostPath(loadTenControl(ctl).folder);
    const auto [individuals, relays] = appendSeikoBoth(to, ctl, swimmers, o, 0, 0);
    report(ctx, individuals, "個人");
    report(ctx, relays, "リレー");
    return 0;
}

int cmdExportRegistrationDocs(Context& ctx)
{
    EntryStore store;
    store.openEntryFile(fs::path(ctx.args.need(0, "ENTRY")), EntryStore::Access::Read);
    const fs::path ctl = ctlDir();
    const fs::path to = ctx.args.option("--to") ? fs::path(*ctx.args.option("--to")) : toHostPath(loadTenControl(ctl).folder);
    const MasterSource master = MasterSource::local(ctx.args.option("--master") ? fs::path(*ctx.args.option("--master"))
                                                                                : toHostPath(loadTorControl(ctl).folder));
    const std::vector<registration::RegisteredTeam> teams =
        registration::readRegisteredTeams(teamTotalsPathFor(store.path()), master);
    const std::vector<SwimmerRecord> swimmers = store.readAllSwimmers();
    store.close();
    const registration::CsvLines lines = registration::teamListLines(teams);
    const std::vector<fs::path> files = registration::writeRegistrationDocs(to, swimmers, teams, todayNumber());
    withPrinter(ctx, [&lines](Printer& p) { registration::printTeamList(p, lines); });
    // The print log may go to stdout: the files are named on stderr.
    for (const fs::path& f : files) ctx.err << f.string() << "\n";
    return 0;
}

} // namespace tolv::cli
