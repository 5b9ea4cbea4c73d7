#include "exchange/WebImport.h"

#include "exchange/RelayIndex.h"
#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <map>

namespace tolv {
namespace {

constexpr const char* kCompetitors = "swcomp.txt";
constexpr const char* kEntries = "swent.txt";
constexpr const char* kRelays = "swteam.txt";
constexpr std::size_t kCompetitorWidth = 4, kEntryWidth = 5, kRelayWidth = 4;

// Columns of a text line at 1-based byte positions first..last.
struct Columns {
    std::size_t first, last;
};
constexpr Columns kCompSex{10, 10}, kCompName{11, 30}, kCompKana{31, 46}, kCompShozoku{64, 83}, kCompShozokuKana{84, 89},
    kCompRegistration{207, 218}, kCompNumber{222, 228};
constexpr Columns kEntStroke{14, 14}, kEntDistance{15, 15}, kEntMin{18, 19}, kEntSec{21, 22}, kEntHun{24, 25};
constexpr Columns kRelTeamNumber{16, 18}, kRelPrefecture{99, 100}, kRelSex{122, 122}, kRelStroke{138, 138},
    kRelDistance{143, 143}, kRelMin{146, 147}, kRelSec{149, 150}, kRelHun{152, 153};

constexpr std::size_t kNameChars = 12, kShozokuChars = 12;

struct Line {
    int no;
    int seq;
    std::string bytes; // after the width adjustment
    std::string take(Columns f) const { return bytes.substr(f.first - 1, f.last - f.first + 1); }
};

// The lines of one file, the sequence number blank-padded to `width`, each long enough for `last`.
std::vector<Line> readLines(const std::string& file, const std::string& data, std::size_t width, std::size_t last)
{
    std::vector<Line> out;
    std::vector<std::string> lines = splitLines(data);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int no = static_cast<int>(i) + 1;
        const std::string& l = lines[i];
        if (l.find_first_not_of(' ') == std::string::npos) continue;
        std::size_t digits = 0;
        while (digits < l.size() && l[digits] >= '0' && l[digits] <= '9') ++digits;
        if (digits == 0) inputFault(file, no, "行の始めに順番号がありません");
        if (digits > width) inputFault(file, no, "順番号が " + std::to_string(width) + " 桁を超えています");
        std::string adjusted = std::string(width - digits, ' ') + l;
        if (adjusted.size() < last)
            inputFault(file, no,
                       "行が短すぎます（" + std::to_string(adjusted.size()) + " バイト、" + std::to_string(last) +
                           " バイト必要です）");
        if (!isValidCp932(adjusted)) inputFault(file, no, "シフトJISの文字ではないバイトがあります");
        out.push_back(Line{no, static_cast<int>(numericValue(l.substr(0, digits))), adjusted});
    }
    return out;
}

// CP932 bytes of a field that must not cut a double-byte character.
std::string textField(const Line& l, Columns f, const std::string& file)
{
    std::string t = l.take(f);
    if (!isValidCp932(t))
        inputFault(file, l.no,
                   std::to_string(f.first) + "〜" + std::to_string(f.last) + " バイト目の欄が文字の途中で切れています");
    return t;
}

std::string missing(const std::string& file) { return "「" + file + "」ファイルがありません。\n処理を中止します。"; }

} // namespace

std::optional<int> webEventSlot(char stroke, char distance)
{
    struct Row {
        char stroke;
        const char* distances;
        int firstSlot;
    };
    // Distances of each stroke in slot order.
    static const Row rows[] = {{'1', "1234678", 0}, {'2', "1234", 7}, {'3', "1234", 11}, {'4', "1234", 15}, {'5', "346", 19}};
    for (const Row& r : rows) {
        if (r.stroke != stroke) continue;
        const std::string d(r.distances);
        std::size_t at = d.find(distance);
        if (at == std::string::npos || distance == '\0') return std::nullopt;
        return r.firstSlot + static_cast<int>(at);
    }
    return std::nullopt;
}

ImportReport importWebEntries(EntryStore& store, const ImportFolder& folder, Prompt& prompt)
{
    waitForDrive(folder, prompt);
    const std::string kijunBi = store.header().kijunBi();
    std::optional<std::string> compData = readInputFile(folder.host, kCompetitors);
    enforce(compData.has_value(), missing(kCompetitors));
    std::optional<std::string> entData = readInputFile(folder.host, kEntries);
    enforce(entData.has_value(), missing(kEntries));
    std::optional<std::string> relData = readInputFile(folder.host, kRelays);
    enforce(relData.has_value(), missing(kRelays));

    ImportReport report;
    std::vector<SwimmerRecord> added;
    std::map<int, std::size_t> bySeq; // competitor sequence number -> index in `added`
    std::map<int, int> skippedSeq;    // sequence numbers of competitors not imported -> their line
    bool yearChecked = false;
    for (const Line& l : readLines(kCompetitors, *compData, kCompetitorWidth, kCompNumber.last)) {
        if (bySeq.count(l.seq) || skippedSeq.count(l.seq))
            inputFault(kCompetitors, l.no, "順番号 " + std::to_string(l.seq) + " が二度あります");
        const std::string reg = textField(l, kCompRegistration, kCompetitors);
        if (reg.compare(0, 2, "34") == 0) {
            report.skip(kCompetitors, l.no, "登録番号が 34 で始まる選手は取り込みません");
            skippedSeq[l.seq] = l.no;
            continue;
        }
        if (!yearChecked) {
            requireReferenceYear(kijunBi);
            yearChecked = true;
        }
        SwimmerRecord s = EntryStore::emptySwimmer();
        s.setTextBytes(SwimmerRecord::kBango, textField(l, kCompNumber, kCompetitors));
        s.setTextBytes(SwimmerRecord::kQBango, widenRegistrationNumber(reg, kijunBi));
        s.setTextBytes(SwimmerRecord::kNamae, Cp932Text(textField(l, kCompName, kCompetitors)).left(kNameChars));
        s.setTextBytes(SwimmerRecord::kKana, textField(l, kCompKana, kCompetitors));
        s.setTextBytes(SwimmerRecord::kShozoku, Cp932Text(textField(l, kCompShozoku, kCompetitors)).left(kShozokuChars));
        s.setTextBytes(SwimmerRecord::kShozokuKana, textField(l, kCompShozokuKana, kCompetitors));
        s.setTextBytes(SwimmerRecord::kSei, textField(l, kCompSex, kCompetitors));
        s.setNenrei(0);
        s.setTorobi(0);
        bySeq[l.seq] = added.size();
        added.push_back(s);
    }

    int entries = 0;
    for (const Line& l : readLines(kEntries, *entData, kEntryWidth, kEntHun.last)) {
        auto at = bySeq.find(l.seq);
        if (at == bySeq.end()) {
            if (skippedSeq.count(l.seq)) {
                report.skip(kEntries, l.no,
                            "取り込まなかった選手（swcomp.txt " + std::to_string(skippedSeq[l.seq]) + " 行目）の種目です");
                continue;
            }
            inputFault(kEntries, l.no, "順番号 " + std::to_string(l.seq) + " の選手が swcomp.txt にありません");
        }
        const std::string stroke = l.take(kEntStroke), distance = l.take(kEntDistance);
        std::optional<std::int32_t> time = clockTime(l.take(kEntMin), l.take(kEntSec), l.take(kEntHun));
        if (!time) inputFault(kEntries, l.no, "タイム「" + l.take(Columns{kEntMin.first, kEntHun.last}) + "」が正しくありません");
        std::optional<int> slot = webEventSlot(stroke[0], distance[0]);
        if (!slot) {
            report.skip(kEntries, l.no, "種目がありません（泳法 " + stroke + "、距離 " + distance + "）");
            continue;
        }
        added[at->second].setKiro(*slot, *time);
        ++entries;
    }

    int relays = 0;
    RelayIndex byTeam; // the competitors of this import by team code and sex, in file order
    for (std::size_t i = 0; i < added.size(); ++i)
        byTeam.add(SwimmerRecord::kQBangoTeam.of(added[i].raw(SwimmerRecord::kQBango)) +
                       std::string(added[i].raw(SwimmerRecord::kSei)),
                   i);
    for (const Line& l : readLines(kRelays, *relData, kRelayWidth, kRelHun.last)) {
        const std::string stroke = l.take(kRelStroke), distance = l.take(kRelDistance);
        std::optional<std::int32_t> time = clockTime(l.take(kRelMin), l.take(kRelSec), l.take(kRelHun));
        if (!time) inputFault(kRelays, l.no, "タイム「" + l.take(Columns{kRelMin.first, kRelHun.last}) + "」が正しくありません");
        std::optional<int> slot;
        if (stroke == "7" || stroke == "6") {
            static const char* const dist[] = {"3", "4", "5", "6"};
            for (int k = 0; k < 4; ++k)
                if (distance == dist[k] && !(stroke == "7" && k == 3)) slot = (stroke == "7" ? 22 : 25) + k;
        }
        if (!slot) {
            report.skip(kRelays, l.no, "リレー種目がありません（泳法 " + stroke + "、距離 " + distance + "）");
            continue;
        }
        const std::string team = l.take(kRelPrefecture) + l.take(kRelTeamNumber);
        const std::string sex = l.take(kRelSex);
        const std::optional<std::size_t> hit = byTeam.find(team + sex);
        if (!hit) {
            report.skip(kRelays, l.no, "チーム " + fromCp932(team) + "・性別 " + sex + " の選手がいません");
            continue;
        }
        added[*hit].setKiro(*slot, *time);
        ++relays;
    }

    enforce(!added.empty(), std::string(kCompetitors) + " に取り込む選手がありません。何も追加していません。" +
                                (!report.skipped.empty() ? "\n" + report.message() : std::string()));
    const int total = store.header().total();
    for (std::size_t i = 0; i < added.size(); ++i) added[i].setSeq(total + static_cast<int>(i) + 1);
    store.appendSwimmers(added, "Web取込");
    report.changed = true;
    report.done.push_back("選手 " + std::to_string(added.size()) + " 人を追加しました（個人種目 " + std::to_string(entries) +
                          " 件、リレー " + std::to_string(relays) + " 件）。");
    return report;
}

} // namespace tolv
