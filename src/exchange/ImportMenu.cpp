#include "exchange/ImportMenu.h"

#include "exchange/NitibanImport.h"
#include "exchange/ResultsImport.h"
#include "exchange/ScmSwmImport.h"
#include "exchange/WebImport.h"

namespace tolv {
namespace {

ImportReport importScm(EntryStore& store, const ImportFolder& folder, Prompt& prompt)
{
    return importMeetSystem(store, MeetSystem::Scm, folder, prompt);
}

ImportReport importSwm(EntryStore& store, const ImportFolder& folder, Prompt& prompt)
{
    return importMeetSystem(store, MeetSystem::Swm, folder, prompt);
}

const ImportMenuItem kItems[] = {
    {"mInLenex", "Lenex", "lenex", "FILE [--header] [--again]",
     "Lenex の .lef か .lxf の選手を申込ファイルの後ろに追加します（空のファイルには大会も。--header "
     "で選手のいるファイルの大会も置き換え）",
     nullptr},
    {"mInLenexMeet", "Lenex大会", "lenex-meet", "FILE [--header]",
     "主催者の Lenex ファイル（案内・エントリー・結果）の大会と種目を取り込み、Lenex の書き出しをその種目へのエントリーにします",
     nullptr},
    {"mInScm", "ＳＣＭ", "scm", "", "SCM の ScmSwimmerdt.csv・Scmdt.csv・ScmRelay.csv の選手を追加します", importScm},
    {"mInSwm", "ＳＷＭ", "swm", "", "SWM の RIZARUTO.csv（SWM… フォルダのものも）・Teamdt.csv・relayent.csv の選手を追加します",
     importSwm},
    {"mInWeb", "Web", "web", "", "Web 申込の swcomp.txt・swent.txt・swteam.txt の選手を追加します（3 つとも要ります）",
     importWebEntries},
    {"mInResults", "Results(1)", "results1", "[--replace]",
     "Results.Dat の記録で申込ファイルの選手を置き換えます（--replace で同意したときだけ）", importResultsReplacing},
    // Works beside the entry file and leaves the open file as it is.
    {"mInResults2", "Results(2)", "results2", "",
     "results.$$$ の同じ人の記録をまとめて、同じフォルダ（--from がなければ ENTRY のフォルダ）の results.zep に書きます",
     nullptr},
    {"mInNitiban", "日水登録番号", "nitiban", "", "jpnnewsmer.csv の日水登録番号を、名前・生年月日・性別の合う選手に入れます",
     importRegistrationNumbers},
    {"mInMcompd", "Mcompd", "mcompd", "", "Mcompd.dat（--from のフォルダ）の選手を追加します（最初の 4000 件まで）", nullptr},
    {"mInKetugo", "申込データ結合", nullptr, "", "申込ファイルとカンマ区切りファイルを結合します（tolv merge）", nullptr},
};

} // namespace

std::span<const ImportMenuItem> importMenuItems() { return kItems; }

const ImportMenuItem* findImportMenuItem(const std::string& objectName)
{
    for (const ImportMenuItem& i : kItems)
        if (objectName == i.objectName) return &i;
    return nullptr;
}

} // namespace tolv
