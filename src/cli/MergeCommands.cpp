// tolv merge and tolv formats: appending entry files and comma-separated files to an entry file,
// and the stored reading formats.
#include "cli/Commands.h"
#include "merge/Merge.h"
#include "merge/ReadingFormats.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/AthleteLookup.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/PrefectureTable.h"

#include <filesystem>
#include <memory>
#include <ostream>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;
using namespace tolv::merge;

ReadingFormat storedFormat(const std::string& name)
{
    const fs::path yomi = readingFormatsPath();
    std::optional<ReadingFormat> f = findReadingFormat(readReadingFormats(yomi), name);
    enforce(f.has_value(), "読込形式 " + name + " はありません: " + yomi.string());
    return *f;
}

} // namespace

int cmdMerge(Context& ctx)
{
    const Args& a = ctx.args;
    const std::string& entry = a.need(0, "ENTRY");
    if (a.positional.size() < 2) throw UsageError("missing SOURCE");
    const std::vector<std::string> sources(a.positional.begin() + 1, a.positional.end());

    // The same start as the program's: working tree and prefecture table in place.
    ensureWorkTree();
    installShippedPrefectureTable(ctlDir());
    std::optional<ReadingFormat> format;
    if (auto name = a.option("--format")) format = storedFormat(*name);

    enforce(fs::is_regular_file(entry), "申込ファイルがありません: " + entry);
    EntryStore store;
    store.openEntryFile(fs::path(entry));

    Session session;
    std::unique_ptr<AthleteLookup> lookup;
    if (a.flag("--prefer-master")) {
        fs::path root = a.option("--master") ? fs::path(*a.option("--master")) : toHostPath(loadTorControl(ctlDir()).folder);
        lookup = std::make_unique<AthleteLookup>(session, root, ctlDir(), tempDir());
        lookup->loadUnitFlags();
    }

    MergeRequest request;
    request.format = format ? &*format : nullptr;
    request.preferMaster = lookup.get();
    request.prefectureTable = findNoCase(ctlDir(), "ken.ctl");

    // Every source is read and checked before the first is appended; a source merged into this file
    // before (or given twice) is refused unless --again says it is meant.
    std::vector<PreparedSource> prepared;
    for (const std::string& s : sources) {
        const SourceKind kind = classifySource(fs::path(s).filename().string()).kind;
        if (kind != SourceKind::Entry && kind != SourceKind::TeamTotals && !format)
            throw UsageError("--format NAME is needed for " + s);
        PreparedSource p = prepareSource(fs::path(s), store, request);
        if (!a.flag("--again")) {
            if (p.mergedBefore) throw TolvError(mergedBeforeMessage(p));
            for (const PreparedSource& earlier : prepared)
                enforce(earlier.digest != p.digest || earlier.size != p.size,
                        "同じ内容のファイルが二度指定されています（" + earlier.path.string() +
                            "）。もう一度結合するには --again を付けてください: " + p.path.string());
        }
        prepared.push_back(std::move(p));
    }
    appendSources(store, prepared);
    for (const PreparedSource& p : prepared) {
        ctx.out << p.path.string() << "\t" << p.swimmers.size();
        if (lookup) ctx.out << "\t" << p.fromMaster;
        ctx.out << "\n";
    }
    // Data findings do not stop the merge; they are listed for the checks after it.
    for (const std::string& line : findingLines(prepared)) ctx.err << line << "\n";
    return 0;
}

int cmdFormats(Context& ctx)
{
    const Args& a = ctx.args;
    const std::string& what = a.need(0, "list|show");
    if (what == "list") {
        for (const ReadingFormat& f : readReadingFormats(readingFormatsPath())) ctx.out << f.name << "\n";
        return 0;
    }
    if (what != "show") throw UsageError("unknown formats command " + what);
    const ReadingFormat f = storedFormat(a.need(1, "NAME"));
    ctx.out << "形式名\t" << f.name << "\n"
            << "ファイル名\t" << f.fileName << "\n"
            << "タイトル項目\t" << f.titleRecords << "\n"
            << "種目の読込方法\t" << (f.eventNumber ? "種目番号" : "固定位置") << "\n"
            << "範囲\t" << f.rangeFirst << " -> " << f.rangeLast << "\n";
    const auto& captions = targetCaptions();
    for (int i = 0; i < kTargetFields; ++i) {
        std::string caption = captions[static_cast<std::size_t>(i)];
        if (i >= kFirstTimeField) caption = eventName(i - 5);
        ctx.out << i << "\t" << caption << "\t" << columnRefText(f.columns[static_cast<std::size_t>(i)]) << "\n";
    }
    return 0;
}

} // namespace tolv::cli
