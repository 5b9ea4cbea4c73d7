#include "exchange/ExportMenu.h"

#include "storage/CsvDelimiters.h"

#include <iterator>

namespace tolv::exchange {
namespace {

const ExportMenuItem kItems[] = {
    {"mOutLenex", "Lenex", "lenex", "[--zip] [--city NAME]",
     "Lenex 3.0 の <base>.lef（--zip で <base>.lxf）を書き出し先に書きます（開催地 --city は申込ファイルごとに記録）", nullptr},
    {"mOutScmSys", "SCMSYS連携", "scm-link", "[--master DIR]",
     "SCM 連携の ScmSwimmerdt.csv と Scmdt.csv を書きます（先に tolv tally の集計、団体に登録マスタが要ります）", exportScmLink},
    {"mOutScmFd", "フロッピー作成", "scm-media", "[--master DIR]",
     "SCM 媒体の ScmSwimmerdt.csv・Scmdt.csv・RELAYENT.csv を書きます（450 人ごとに MEDIA2, … へ。先に tolv tally "
     "と登録マスタが要ります）",
     exportScmMedia},
    {"mOutTfd", "フロッピー作成", "swm-media", "[--master DIR]",
     "SWM フロッピーのチームごとのフォルダ SWM<団体コード> と Teamdt.csv・RELAYENT.csv を書きます（先に tolv tally "
     "と登録マスタが要ります）",
     exportSwmMedia},
    {"mOutZep", "tolvzep.csv", "tolvzep", "", "全選手を <申込ファイル名>.csv に書きます（見出しは ctl の tolvzep.w）",
     exportTolvzep},
    {"mOutQTolv", "旧とるぶしす", "qtolv", "", "旧とるぶしすの QTolv.txt を書きます", exportQTolv},
    {"mOutSwmKari", "SWMkari", "swmkari", "", "SWMkari の swm.txt を書きます", exportSwmKari},
    {"mOutSwm", "ＳＷＭ", "swm-dbase", "", "SWM の dBASE 表 masterdb.dbf を書きます", exportDbase},
    {"mOutKumamoto", "熊本InterHi CSV", "interhigh", "",
     "熊本インターハイの Inter60I.csv（個人）と Inter60R.csv（リレー）を書きます", exportInterHigh},
    // The registration export and its documents share the window of the registration lists.
    {"mOutSwmToro", "日水競技者登録", "registration", "[--master DIR]",
     "日水競技者登録の SCMTeamdt.csv と Scmmerdt.csv を書きます（1360 人ごとに MEDIA2, … へ。先に tolv tally と"
     "登録マスタが要ります）",
     nullptr},
    {nullptr, nullptr, "registration-docs", "[--master DIR] [--print-log FILE] [--pdf FILE]",
     "登録申請書の 2 つの csv を書き、団体一覧を印刷します（先に tolv tally と登録マスタが要ります）", nullptr},
    {"mOutSeiko", "セイコーカンマ", "seiko", "[--events CODE,...] [--class-by open|age|grade] [--class N:LO-HI]...",
     "計時システムの csvcomp.csv（個人）と csvteam.csv（リレー）に追加で書きます（空のファイルには見出しから）", nullptr},
};

} // namespace

std::span<const ExportMenuItem> exportMenuItems() { return kItems; }

ExportResult runExportItem(ExportFn run, const EntryData& data, const ExportTarget& target)
{
    ExportResult r = run(data, target);
    // The dBASE table has fields, not delimiters: it keeps the texts as they are.
    if (run == exportDbase || r.written.empty()) return r;
    std::vector<std::string> named;
    for (std::size_t i = 0; i < data.swimmers.size(); ++i)
        if (swimmerHoldsCsvDelimiter(data.swimmers[i])) named.push_back(delimiterSwimmerLabel(i + 1, data.swimmers[i]));
    if (!named.empty()) r.notes.push_back(delimiterChangeNote(named, false));
    return r;
}

const ExportMenuItem* findExportMenuItem(const std::string& objectName)
{
    for (const ExportMenuItem& i : kItems)
        if (i.objectName && objectName == i.objectName) return &i;
    return nullptr;
}

} // namespace tolv::exchange
