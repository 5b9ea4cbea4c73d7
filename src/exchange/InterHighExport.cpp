// The Kumamoto InterHigh entry files: Inter60I.csv (one line per swimmer, room for five individual
// entries) and Inter60R.csv (one line per relay entry). Bare columns, text fields at full width.
#include "exchange/Exports.h"
#include "platform/Cp932.h"
#include "storage/Codes.h"
#include "transfer/CsvLine.h"
#include "transfer/FieldText.h"
#include "transfer/Templates.h"

namespace tolv::exchange {

namespace {

constexpr std::size_t kIndividualHeaderFields = 37;
constexpr std::size_t kRelayHeaderFields = 13;
constexpr int kEntryGroups = 5;

using S = SwimmerRecord;

struct Stroke {
    const char* code;
    const char* name;
    int firstSlot;
    const char* distances; // distance code of each slot of the stroke
};

const Stroke kStrokes[] = {
    {"1", "自由形", 0, "1234678"},     {"2", "背泳ぎ", 7, "1234"},       {"3", "平泳ぎ", 11, "1234"},
    {"4", "バタフライ", 15, "1234"},   {"5", "個人メドレー", 19, "346"}, {"7", "メドレーリレー", 22, "345"},
    {"6", "フリーリレー", 25, "3456"},
};

// The full-width names of the individual distance codes; relay 400 m is code "5".
std::string distanceName(char code, bool relay)
{
    switch (code) {
    case '1': return "２５ｍ";
    case '2': return "５０ｍ";
    case '3': return "１００ｍ";
    case '4': return "２００ｍ";
    case '5': return relay ? "４００ｍ" : "";
    case '6': return relay ? "８００ｍ" : "４００ｍ";
    case '7': return "８００ｍ";
    case '8': return "１５００ｍ";
    default: return "";
    }
}

// Stroke code, stroke name, distance code, distance name of a slot 0..28.
void eventColumns(CsvLine& l, int slot)
{
    for (const Stroke& st : kStrokes) {
        const int k = slot - st.firstSlot;
        if (k >= 0 && k < static_cast<int>(std::char_traits<char>::length(st.distances))) {
            const char d = st.distances[k];
            l.raw(st.code).raw(st.name).raw(std::string(1, d)).raw(distanceName(d, slot >= kIndividualSlots));
            return;
        }
    }
}

// mmss.hh: the time zero-padded to six digits, "." before the last two.
std::string timeText(std::int32_t t, std::size_t n, const SwimmerRecord& s, int slot)
{
    std::string d = timeField(t, 6, '0', n, s, slot);
    return d.substr(0, 4) + "." + d.substr(4);
}

} // namespace

ExportResult exportInterHigh(const EntryData& data, const ExportTarget& target)
{
    installDefaultTemplates(target.ctl);
    requireFolder(target.transfer);
    const std::string individualHeader =
        toCp932(plainHeader(readTemplate(target.ctl, "KumaInd.csv", kIndividualHeaderFields), 3));
    const std::string relayHeader = toCp932(plainHeader(readTemplate(target.ctl, "seikoRly.csv", kRelayHeaderFields)));

    ExportResult r;
    std::vector<std::string> individual, relay;
    std::string crowded; // swimmers whose sixth and later entries had no room
    long long relayNumber = 0;
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        const std::string q = fieldText(s, S::kQBango);
        const std::string sei = fieldText(s, S::kSei);
        CsvLine l;
        l.raw(" " + std::to_string(i + 1))
            .raw(fieldText(s, S::kBango))
            .raw(midChars(q, S::kQBangoTeam) + midChars(q, S::kQBangoAfterCentury))
            .raw(midChars(q, S::kQBangoPrefecture))
            .raw(fieldText(s, S::kKen))
            .raw(fieldText(s, S::kNamae))
            .raw(fieldText(s, S::kKana))
            .raw(sei)
            .raw(midChars(q, S::kQBangoTeam))
            .raw(fieldText(s, S::kShozoku))
            .raw(fieldText(s, S::kShozokuKana))
            .raw(midChars(q, S::kQBangoBirthYear) + "/" + midChars(q, S::kQBangoBirthMonth) + "/" +
                 midChars(q, S::kQBangoBirthDay))
            .raw(std::to_string(s.nenrei()))
            .raw("")
            .raw(midChars(fieldText(s, S::kGakunen), S::kGakunenYear));
        int groups = 0, left = 0;
        for (int slot = 0; slot < kIndividualSlots; ++slot) {
            if (s.kiro(slot) == 0) continue;
            if (groups == kEntryGroups) {
                ++left;
                continue;
            }
            eventColumns(l, slot);
            l.raw(timeText(s.kiro(slot), i + 1, s, slot));
            ++groups;
        }
        l.emptyRaw(5 * (kEntryGroups - groups));
        if (left) crowded += "\n  " + swimmerLabel(i + 1, s) + "（" + std::to_string(left) + " 種目）";
        individual.push_back(encodeSwimmerLine(l.text(), "Inter60I.csv", i + 1, s));

        for (int slot = kIndividualSlots; slot < kStandardSlots; ++slot) {
            if (s.kiro(slot) == 0) continue;
            CsvLine rl;
            rl.raw(" " + std::to_string(++relayNumber))
                .raw(sei)
                .raw(sei == "1" ? "男" : "女")
                .raw(midChars(q, S::kQBangoTeam))
                .raw(fieldText(s, S::kShozoku))
                .raw(fieldText(s, S::kShozokuKana))
                .raw(midChars(q, S::kQBangoPrefecture))
                .raw(fieldText(s, S::kKen));
            eventColumns(rl, slot);
            rl.raw(timeText(s.kiro(slot), i + 1, s, slot));
            relay.push_back(encodeSwimmerLine(rl.text(), "Inter60R.csv", i + 1, s));
        }
    }
    if (!crowded.empty()) r.notes.push_back("個人種目は5種目までしか書けません。6種目目以降を書かなかった選手:" + crowded);

    std::vector<PlannedFile> files;
    files.push_back(planFile(target.transfer / "Inter60I.csv", individualHeader, individual));
    files.push_back(planFile(target.transfer / "Inter60R.csv", relayHeader, relay));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
