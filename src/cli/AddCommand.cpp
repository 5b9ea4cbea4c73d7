// tolv add: one new swimmer, made by the same new-entry run as the entry window's.
#include "cli/Commands.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/AthleteLookup.h"
#include "storage/Codes.h"
#include "storage/CsvDelimiters.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/PrefectureTable.h"

#include <filesystem>
#include <ostream>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;

struct EventArg {
    int slot;
    std::string time; // empty: the preset of the new-entry run
};

// "CODE=TIME" with a two-digit event code as typed in the input line.
EventArg parseEvent(const std::string& arg)
{
    auto eq = arg.find('=');
    if (eq == std::string::npos) throw UsageError("--event needs CODE=TIME: " + arg);
    std::string code = arg.substr(0, eq);
    auto slot = slotFromTypedCode(code);
    enforce(slot.has_value(), "種目コード " + code + " に当たる種目はありません");
    return {*slot, arg.substr(eq + 1)};
}

fs::path registrationRoot(const Args& args)
{
    if (auto m = args.option("--master")) return fs::path(*m);
    return toHostPath(loadTorControl(ctlDir()).folder);
}

} // namespace

int cmdAdd(Context& ctx)
{
    const Args& a = ctx.args;
    const std::string& path = a.need(0, "ENTRY");
    auto qbango = a.option("--qbango");
    if (!qbango) throw UsageError("--qbango is required");
    // Events are checked before anything is read or written.
    std::vector<EventArg> events;
    for (const std::string& e : a.all("--event")) events.push_back(parseEvent(e));

    enforce(fs::is_regular_file(path), "申込ファイルがありません: " + path);
    EntryStore store;
    store.openEntryFile(fs::path(path));

    NewEntryRun run(store);
    const std::string number = completeCentury(*qbango, store.header().kijunBi());
    run.record().setQBango(number);

    if (a.flag("--lookup")) {
        // The same start as the program's: working tree and prefecture table in place.
        ensureWorkTree();
        installShippedPrefectureTable(ctlDir());
        Session session;
        AthleteLookup lookup(session, registrationRoot(a), ctlDir(), tempDir());
        lookup.loadUnitFlags();
        SearchList offered;
        bool asked = false;
        LookupResult r = lookup.byNumber(run.record(), number, store.header(), [&](const SearchList& l) {
            offered = l;
            asked = true;
            return 0; // nobody to pick here: the candidates are reported instead
        });
        if (!r.found) {
            std::string msg = "登録データに番号 " + number + " の選手はいません";
            if (asked && !offered.lines.empty()) {
                msg += "。同じ生年月日の選手:";
                for (const std::string& line : offered.lines) msg += "\n  " + line;
            }
            throw TolvError(msg);
        }
        run.take(r);
    }
    // Fields typed by hand come after the look-up, as in the window.
    // A text holding a delimiter of the comma-separated exports is refused, as in the window.
    auto text = [&a](const char* name) {
        std::optional<std::string> v = a.option(name);
        if (v && holdsCsvDelimiter(*v)) throw TolvError(csvDelimiterRefusal(name), ErrorKind::BadInput);
        return v;
    };
    if (auto v = text("--bango")) run.record().setBango(*v);
    if (auto v = text("--namae")) run.record().setNamae(*v);
    if (auto v = text("--kana")) run.record().setKana(*v);
    for (const EventArg& e : events) {
        std::string text = e.time.empty() ? run.preset(e.slot) : e.time;
        enforce(run.storeTime(e.slot, text, static_cast<int>(text.size())),
                "タイム " + text + " は記録できません（" + eventCode(e.slot) + "）");
    }
    run.finish();
    const SwimmerRecord& s = store.swimmer();
    ctx.out << run.number() << "\t" << s.QBango() << "\t" << s.Namae() << "\n";
    return 0;
}

} // namespace tolv::cli
