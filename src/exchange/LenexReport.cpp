// The closing words of a Lenex import or meet (LenexReport.h).
#include "exchange/LenexReport.h"

#include "exchange/LenexCodes.h"

namespace tolv::lenex {

namespace fs = std::filesystem;

std::string describeMeet(const ImportResult& r, const fs::path& file)
{
    std::string m = "主催者の大会を取り込みました: " + r.meet.name + "（" + file.string() + "）\nセッション " +
                    std::to_string(r.sessions) + "、種目 " + std::to_string(r.events) +
                    "。Lenex の書き出しは、この大会の種目へのエントリーになります";
    if (r.header)
        m += "\n大会の情報をヘッダーに入れました: " + clean(r.header->zigyo()) + " / " + clean(r.header->basho()) + " / " +
             clean(r.header->stBi()) + "〜" + clean(r.header->enBi()) + " / 基準日 " + clean(r.header->kijunBi()) + " / " +
             (r.header->course() == 0 ? "長水" : "短水");
    else m += "\nヘッダーはそのままです";
    for (const std::string& n : r.headerNotes) m += "\n" + n;
    return m;
}

namespace {

void list(std::string& m, const std::string& title, const std::vector<std::string>& items)
{
    if (items.empty()) return;
    m += "\n" + title + " " + std::to_string(items.size()) + " 件:";
    constexpr std::size_t kShown = 20;
    for (std::size_t i = 0; i < items.size() && i < kShown; ++i) m += "\n  " + items[i];
    if (items.size() > kShown) m += "\n  …ほか " + std::to_string(items.size() - kShown) + " 件";
}

} // namespace

std::string describeImport(const ImportResult& r, const fs::path& file)
{
    std::string m = "Lenexファイルから " + std::to_string(r.swimmers.size() - static_cast<std::size_t>(r.relayTeams)) +
                    " 人を追加しました: " + file.string() + "\nタイム " + std::to_string(r.times) + " 件、参加（タイムなし） " +
                    std::to_string(r.entered) + " 件";
    if (r.header)
        m += "\n大会の情報をヘッダーに入れました: " + clean(r.header->zigyo()) + " / " + clean(r.header->basho()) + " / " +
             clean(r.header->stBi()) + "〜" + clean(r.header->enBi()) + " / 基準日 " + clean(r.header->kijunBi()) + " / " +
             (r.header->course() == 0 ? "長水" : "短水");
    if (r.reserve) m += "\nLenexファイルの予備種目を空いている予備種目に入れました";
    for (const std::string& n : r.headerNotes) m += "\n" + n;
    list(m, "申込ファイルに入らないため取り込まなかった選手（氏名・生年月日・性別のないもの）", r.leftOut);
    list(m, "文字を基本の文字に置き換えた選手（氏名・所属）", r.folded);
    list(m, "氏名・所属を欄の長さで切った選手", r.cut);
    list(m, "記録の状態（失格・棄権など）があり、タイムにしなかったエントリー・結果", r.statuses);
    list(m, "この申込ファイルにない種目のため取り込まなかったエントリー・結果", r.notTaken);
    list(m, "団体コードを付けたクラブ（申込ファイルの隣の .lenex に記録しました）", r.codedClubs);
    if (!r.controlLines.empty()) {
        m += "\n制御文字を取り除いた行:";
        for (std::size_t i = 0; i < r.controlLines.size() && i < 20; ++i) m += " " + std::to_string(r.controlLines[i]);
        if (r.controlLines.size() > 20) m += " …";
    }
    if (r.relayTeams > 0)
        m += "\nリレーの泳者がわからないリレー " + std::to_string(r.relayTeams) + " 件はリレーの記録（チーム）として追加しました";
    if (r.licencesDropped > 0) m += "\n7文字を超える登録番号 " + std::to_string(r.licencesDropped) + " 件は番号を空けています";
    return m;
}

std::string headerQuestion(const MeetInfo& meet)
{
    return "Lenexファイルの大会の情報でヘッダーを置き換えますか？\n大会名: " + meet.name + "\n場所: " + meet.venue +
           "\n期日: " + isoDate(meet.firstDay) + "〜" + isoDate(meet.lastDay) + "\n基準日: " + isoDate(meet.ageDate) +
           "\nコース: " +
           (meet.course.empty()    ? std::string("（なし）")
            : meet.course == "LCM" ? std::string("長水路")
            : meet.course == "SCM" ? std::string("短水路")
                                   : meet.course);
}

} // namespace tolv::lenex
