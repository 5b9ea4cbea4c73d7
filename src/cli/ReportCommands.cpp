// tolv tally / sort / print: the tally, the sorting and the printed lists from the command line.
#include "cli/Commands.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "platform/Prompt.h"
#include "reports/EntryForm.h"
#include "reports/FeeReports.h"
#include "reports/ReportMenu.h"
#include "reports/IndividualLists.h"
#include "reports/Sorting.h"
#include "reports/Tally.h"
#include "reports/TeamLists.h"
#include "storage/TeamTotalsFile.h"
#include "reports/TimeList.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"

#include <filesystem>
#include <ostream>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;
using namespace tolv::reports;

void openExisting(EntryStore& store, const std::string& path, EntryStore::Access access = EntryStore::Access::Write)
{
    enforce(fs::is_regular_file(path), "申込ファイルがありません: " + path);
    store.openEntryFile(fs::path(path), access);
}

// The lists print from the last tally; without one there is nothing to print.
void openTotals(TeamTotalsFile& totals, const EntryStore& store)
{
    fs::path p = teamTotalsPath(store.path());
    totals.open(p, TeamTotalsFile::Access::Read);
}

int rangeValue(const Context& ctx, const char* name, int fallback)
{
    auto v = ctx.args.number(name);
    if (!v) return fallback;
    if (*v < -2147483647LL) return -2147483647;
    if (*v > 2147483647LL) return 2147483647;
    return static_cast<int>(*v);
}

// --issuer N=TEXT and --issuer-size N=POINTS for the receipt's four issuer lines.
void applyIssuer(const Context& ctx, ReceiptIssuer& issuer)
{
    for (const char* option : {"--issuer", "--issuer-size"}) {
        for (const std::string& v : ctx.args.all(option)) {
            std::size_t eq = v.find('=');
            if (eq != 1 || v[0] < '0' || v[0] > '3') throw UsageError(std::string(option) + " needs N=VALUE with N 0..3: " + v);
            auto& target = std::string(option) == "--issuer" ? issuer.text : issuer.size;
            target[static_cast<std::size_t>(v[0] - '0')] = v.substr(2);
        }
    }
}

// The list names as tolv print takes them: "team-list, events, ...".
std::string listNames(const char* separator)
{
    std::string names;
    for (const ListItem& l : listItems()) names += (names.empty() ? "" : separator) + std::string(l.cliName);
    return names;
}

} // namespace

int cmdTally(Context& ctx)
{
    EntryStore store;
    openExisting(store, ctx.args.need(0, "ENTRY"));
    MasterSource master;
    if (auto dir = ctx.args.option("--master")) {
        master = MasterSource::local(fs::path(*dir));
    } else {
        const std::string warning = ensureControlDefaults(ctlDir());
        if (!warning.empty()) ctx.err << warning << "\n";
        master = MasterSource::local(toHostPath(loadTorControl(ctlDir()).folder));
    }
    ScriptedPrompt prompt;
    TallyResult r = runTally(store, store.header().botai(), master, &prompt);
    if (!prompt.said.empty()) ctx.err << prompt.said;
    ctx.out << teamTotalsPath(store.path()).string() << "\t" << r.teams.size() << "\n";
    return 0;
}

int cmdSort(Context& ctx)
{
    const std::string& by = ctx.args.need(0, "club|sex");
    SortOrder order;
    if (by == "club") order = SortOrder::Club;
    else if (by == "sex") order = SortOrder::Sex;
    else throw UsageError("sort by club or sex, not " + by);
    EntryStore store;
    openExisting(store, ctx.args.need(1, "ENTRY"));
    sortEntryFile(store, order, store.header().botai());
    return 0;
}

std::string printUsage()
{
    return "print " + listNames("|") +
           " [ENTRY] [--from N] [--to N] [--issuer N=TEXT]... [--issuer-size N=PT]... [--print-log FILE] [--pdf FILE]";
}

int cmdPrint(Context& ctx)
{
    const std::string name = ctx.args.need(0, "LIST");
    const ListItem* list = findListItem(name);
    if (!list) throw UsageError("unknown list " + name + " (one of: " + listNames(", ") + ")");
    ListRequest request;
    if (list->source == ListSource::Nothing) {
        withPrinter(ctx, [&](Printer& p) { list->draw(p, request); });
        return 0;
    }
    // The lists only read the entry file.
    EntryStore store;
    openExisting(store, ctx.args.need(1, "ENTRY"), EntryStore::Access::Read);
    request.store = &store;
    if (list->source == ListSource::EntryFile) {
        const int total = store.header().total();
        request.first = clampFirst(std::to_string(rangeValue(ctx, "--from", 1)));
        request.last = clampLast(std::to_string(rangeValue(ctx, "--to", total)), total);
        withPrinter(ctx, [&](Printer& p) { list->draw(p, request); });
        return 0;
    }
    TeamTotalsFile totals;
    openTotals(totals, store);
    request.totals = &totals;
    request.first = rangeValue(ctx, "--from", 1);
    request.last = rangeValue(ctx, "--to", totals.teamCount());
    request.issuer = ReceiptIssuer::defaults();
    applyIssuer(ctx, request.issuer);
    std::string html;
    if (list->htmlCopy) request.html = &html;
    withPrinter(ctx, [&](Printer& p) { list->draw(p, request); });
    if (request.html) writeTeamListHtml(teamListHtmlPath(store.path()), html);
    return 0;
}

} // namespace tolv::cli
