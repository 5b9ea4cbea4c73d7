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
    const char* about = nullptr;  // what it writes or reads, and what it needs first
};

// Exports: `--to DIR` (default: the transfer folder of dr_ten.ctl).
const Format kExports[] = {
    {"lenex", cmdExportLenex, "[--zip] [--city NAME]",
     "Lenex 3.0 の <base>.lef（--zip で <base>.lxf）を書き出し先に書きます（開催地 --city は申込ファイルごとに記録）"},
    {"scm-link", cmdExportScmLink, "[--master DIR]",
     "SCM 連携の ScmSwimmerdt.csv と Scmdt.csv を書きます（先に tolv tally の集計、団体に登録マスタが要ります）"},
    {"scm-media", cmdExportScmMedia, "[--master DIR]",
     "SCM 媒体の ScmSwimmerdt.csv・Scmdt.csv・RELAYENT.csv を書きます（450 人ごとに MEDIA2, … へ。先に tolv tally "
     "と登録マスタが要ります）"},
    {"swm-media", cmdExportSwmMedia, "[--master DIR]",
     "SWM フロッピーのチームごとのフォルダ SWM<団体コード> と Teamdt.csv・RELAYENT.csv を書きます（先に tolv tally "
     "と登録マスタが要ります）"},
    {"tolvzep", cmdExportTolvzep, "", "全選手を <申込ファイル名>.csv に書きます（見出しは ctl の tolvzep.w）"},
    {"qtolv", cmdExportQTolv, "", "旧とるぶしすの QTolv.txt を書きます"},
    {"swmkari", cmdExportSwmKari, "", "SWMkari の swm.txt を書きます"},
    {"swm-dbase", cmdExportDbase, "", "SWM の dBASE 表 masterdb.dbf を書きます"},
    {"interhigh", cmdExportInterHigh, "", "熊本インターハイの Inter60I.csv（個人）と Inter60R.csv（リレー）を書きます"},
    {"registration", cmdExportRegistration, "[--master DIR]",
     "日水競技者登録の SCMTeamdt.csv と Scmmerdt.csv を書きます（1360 人ごとに MEDIA2, … へ。先に tolv tally と"
     "登録マスタが要ります）"},
    {"registration-docs", cmdExportRegistrationDocs, "[--master DIR] [--print-log FILE] [--pdf FILE]",
     "登録申請書の 2 つの csv を書き、団体一覧を印刷します（先に tolv tally と登録マスタが要ります）"},
    {"seiko", cmdExportSeiko, "[--events CODE,...] [--class-by open|age|grade] [--class N:LO-HI]...",
     "計時システムの csvcomp.csv（個人）と csvteam.csv（リレー）に追加で書きます（空のファイルには見出しから）"},
};

// Imports: `--from DIR` (default: the transfer folder of dr_ten.ctl).
const Format kImports[] = {
    {"lenex", cmdImportLenex, "FILE [--header]",
     "Lenex の .lef か .lxf の選手を申込ファイルの後ろに追加します（空のファイルには大会も。--header で選手のいるファイルの大会も置き換え）"},
    {"scm", cmdImportScm, "", "SCM の ScmSwimmerdt.csv・Scmdt.csv・ScmRelay.csv の選手を追加します"},
    {"swm", cmdImportSwm, "", "SWM の RIZARUTO.csv（SWM… フォルダのものも）・Teamdt.csv・relayent.csv の選手を追加します"},
    {"web", cmdImportWeb, "", "Web 申込の swcomp.txt・swent.txt・swteam.txt の選手を追加します（3 つとも要ります）"},
    {"results1", cmdImportResults1, "[--replace]",
     "Results.Dat の記録で申込ファイルの選手を置き換えます（--replace で同意したときだけ）"},
    {"results2", cmdImportResults2, "",
     "results.$$$ の同じ人の記録をまとめて、同じフォルダ（--from がなければ ENTRY のフォルダ）の results.zep に書きます"},
    {"nitiban", cmdImportNitiban, "", "jpnnewsmer.csv の日水登録番号を、名前・生年月日・性別の合う選手に入れます"},
    {"mcompd", cmdImportMcompd, "", "Mcompd.dat（--from のフォルダ）の選手を追加します（最初の 4000 件まで）"},
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
        if (f.name) out.push_back({f.name, f.options, f.about});
    return out;
}

} // namespace

std::vector<Variant> exportFormats() { return variants(kExports); }
std::vector<Variant> importFormats() { return variants(kImports); }

int cmdExport(Context& ctx) { return dispatch(ctx, kExports, "書き出し"); }
int cmdImport(Context& ctx) { return dispatch(ctx, kImports, "読み込み"); }

} // namespace tolv::cli
