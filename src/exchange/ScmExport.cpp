#include "exchange/ScmExport.h"

#include "exchange/Media.h"
#include "exchange/Templates.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "reports/Tally.h"
#include "storage/TeamTotalsFile.h"
#include "storage/Codes.h"
#include "storage/TextUtil.h"

#include <map>
#include <memory>

namespace tolv::exchange {

namespace {

constexpr char32_t kFullWidthBlank = U'\u3000';
constexpr std::int32_t kFirstMark = kMarkEntered;  // "参加" and the result marks are no relay times

using S = SwimmerRecord;

std::string qbango(const SwimmerRecord& s) { return fieldText(s, S::kQBango); }

std::string registrationNumberOf(const std::string& q)
{
    return midChars(q, S::kQBangoTeam) + midChars(q, S::kQBangoAfterCentury);
}

std::string birthDateOf(const std::string& q)
{
    return midChars(q, S::kQBangoBirthYear) + "/" + midChars(q, S::kQBangoBirthMonth) + "/" +
           midChars(q, S::kQBangoBirthDay);
}

std::string matchKeyOf(const SwimmerRecord& s, std::string nameInForm, const std::string& number)
{
    return fieldText(s, S::kSei) + midChars(number, 6, 6) + cleanText(nameInForm, 2);
}

// What several columns of a swimmer line derive from, decoded once per swimmer.
struct SwimmerTexts {
    explicit SwimmerTexts(const SwimmerRecord& s)
        : q(qbango(s)), number(registrationNumberOf(q)), nameInForm(nameForm(fieldText(s, S::kNamae))),
          name7(midChars(nameInForm, 1, 8)), matchKey(matchKeyOf(s, nameInForm, number))
    {
    }
    std::string q, number, nameInForm, name7, matchKey;
};

// Columns 1-16, shared by both forms of the swimmer line.
void swimmerHead(CsvLine& l, const SwimmerRecord& s, const SwimmerTexts& x, long long k)
{
    const std::string& q = x.q;
    const std::string grade = fieldText(s, S::kGakunen);
    std::string gradeLast = midChars(grade, S::kGakunenYear);
    if (gradeLast == "0") gradeLast = " ";
    l.q(fieldText(s, S::kBango))
        .q(midChars(q, S::kQBangoTeam))
        .raw(std::to_string(k))
        .q("")
        .q(fieldText(s, S::kShuFuku))
        .q(x.number)
        .q(x.name7)
        .q(rtrimBlanks(fieldText(s, S::kKana)))
        .q("")
        .q(fieldText(s, S::kSei))
        .q(birthDateOf(q))
        .q(gradeLast)
        .q(midChars(grade, S::kGakunenLevel))
        .q(replaceChar(fieldText(s, S::kShubetu), '0', ' '))
        .emptyQuoted(2);
}

// Column 46: the family name's length, up to the first ordinary or full-width blank of column 7.
std::string familyNameLength(const std::string& column7)
{
    std::u32string c = toUtf32(column7);
    std::size_t i = 0;
    while (i < c.size() && c[i] != U' ' && c[i] != kFullWidthBlank) ++i;
    return std::to_string(i);
}

std::string teamText(const std::string& fieldValue) { return cleaned(fieldValue); }

void contactBlock(CsvLine& l, const TeamRecord& t, int i)
{
    l.q(teamText(t.person(i)))
        .q(teamText(t.postal(i)))
        .q(teamText(t.address(i, 0)))
        .q(teamText(t.address(i, 1)))
        .q(teamText(t.phone(i)));
}

// mm:ss.hh from the time right-aligned in six characters (minutes blank-padded).
std::string relayTimeText(std::int32_t t)
{
    std::string s = padLeft(std::to_string(t), 6);
    return s.substr(0, 2) + ":" + s.substr(2, 2) + "." + s.substr(4, 2);
}

const char* relayDistance(int slot)
{
    switch (slot) {
    case 22: case 25: return "3";
    case 23: case 26: return "4";
    case 24: case 27: return "5";
    default: return "6";
    }
}

std::vector<std::string> swimmerLines(const EntryData& data, bool media, const std::string& timeOfDay)
{
    const std::string kijun = fieldText(data.header, EntryHeader::kKijunBi);
    std::vector<std::string> lines;
    lines.reserve(data.swimmers.size());
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        const long long k = static_cast<long long>(i) + 1;
        CsvLine l = media ? scmSwimmerMediaLine(s, k, i + 1, kijun, timeOfDay) : scmSwimmerLinkLine(s, k, kijun, timeOfDay);
        lines.push_back(encodeSwimmerLine(l.text(), "ScmSwimmerdt.csv", i + 1, s));
    }
    return lines;
}

ExportResult scmExport(const EntryData& data, const ExportTarget& target, bool media)
{
    installDefaultTemplates(target.ctl);
    requireFolder(target.transfer);
    const std::string time = timeOfDayText(target.when);
    const std::string kijun = fieldText(data.header, EntryHeader::kKijunBi);

    // Everything is built and checked before the first file is written.
    const std::string swimmerHeader = toCp932(quotedHeader(readTemplate(target.ctl, "ScmSwimmerdt.w", kScmSwimmerFields)));
    const std::string teamHeader = toCp932(quotedHeader(readTemplate(target.ctl, "teamdt.w", kScmTeamFields)));
    std::string relayHeader;
    if (media) relayHeader = toCp932(quotedHeader(readTemplate(target.ctl, "RELAYENT.w", kRelayFields)));
    const std::vector<std::string> swimmers = swimmerLines(data, media, time);
    ExportResult r;
    const std::vector<std::string> teams = teamFileLines(data.entryPath, target.master, kijun, time, r.notes);
    std::vector<std::string> relays;
    if (media) relays = relayLines(data, false);

    // The swimmer file (unless it goes medium by medium) and the other files are one whole set.
    std::vector<PlannedFile> set;
    writeOnMedia(target.transfer, "ScmSwimmerdt.csv", swimmerHeader, swimmers, kScmSwimmersPerMedium, target.prompt,
                 target.mediaQuestion, r, set);
    set.push_back(planFile(target.transfer / "Scmdt.csv", teamHeader, teams));
    if (media) set.push_back(planFile(target.transfer / "RELAYENT.csv", relayHeader, relays));
    writeFileSet(std::move(set), r);
    return r;
}

} // namespace

std::string nameForm(const std::string& name)
{
    if (isWellFormedUtf8(name)) {
        // Control characters and blanks are single bytes of well-formed text: worked on bytes.
        std::string out;
        out.reserve(name.size() + 8);
        auto blankAt = [&name](std::size_t i) { return static_cast<unsigned char>(name[i]) <= ' '; };
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (blankAt(i) && i + 1 < name.size() && blankAt(i + 1))
                out += "\u3000";
            else
                out += blankAt(i) ? ' ' : name[i];
        }
        return out;
    }
    std::u32string c = toUtf32(name);
    for (char32_t& ch : c)
        if (ch < U' ') ch = U' ';
    for (std::size_t i = 0; i + 1 < c.size(); ++i)
        if (c[i] == U' ' && c[i + 1] == U' ') c[i] = kFullWidthBlank;
    return fromUtf32(c);
}

std::string registrationNumber(const SwimmerRecord& s) { return registrationNumberOf(qbango(s)); }

std::string birthDateText(const SwimmerRecord& s) { return birthDateOf(qbango(s)); }

std::string matchKey(const SwimmerRecord& s)
{
    return matchKeyOf(s, nameForm(fieldText(s, S::kNamae)), registrationNumber(s));
}

std::string entryFlags(const SwimmerRecord& s)
{
    std::string f;
    for (int slot = 0; slot < kIndividualSlots; ++slot) f += s.kiro(slot) != 0 ? '1' : ' ';
    bool relay = false;
    for (int slot = kIndividualSlots; slot < kStandardSlots; ++slot) relay = relay || s.kiro(slot) != 0;
    return f + (relay ? '1' : ' ');
}

std::string entryTimeGroups(const SwimmerRecord& s, std::size_t n)
{
    std::string g;
    for (int slot = 0; slot < kIndividualSlots; ++slot)
        g += s.kiro(slot) == 0 ? std::string(6, ' ') : timeField(s.kiro(slot), 6, ' ', n, s, slot);
    return g + std::string(12, ' ');
}

CsvLine scmSwimmerLinkLine(const SwimmerRecord& s, long long k, const std::string& kijunBi, const std::string& timeOfDay)
{
    CsvLine l;
    const SwimmerTexts x(s);
    swimmerHead(l, s, x, k);
    const std::string& name7 = x.name7;
    l.raw("#" + replaceChar(kijunBi, '/', '-') + " " + timeOfDay + "#")  // 17
        .q("___-____")                                                    // 18
        .emptyQuoted(3)                                                   // 19-21
        .q("___-____")                                                    // 22
        .emptyQuoted(3)                                                   // 23-25
        .q(std::string(176, ' '))
        .q(std::string(176, ' '))
        .q(std::string(176, ' '))                                         // 26-28
        .q(std::string(22, ' '))                                          // 29
        .q(std::string(132, ' '))                                         // 30
        .q(x.matchKey)                                                   // 31
        .emptyQuoted(2)                                                   // 32-33
        .q(" ")
        .q(" ")                                                           // 34-35
        .q("")                                                            // 36
        .q("2005")
        .q("0")
        .q(kijunBi + " " + timeOfDay)                                     // 37-39
        .emptyQuoted(3)                                                   // 40-42
        .q("     ")
        .q("")                                                            // 43-44
        .q(name7)
        .q(familyNameLength(name7))                                       // 45-46
        .q("01")
        .q("2")                                                           // 47-48
        .emptyRaw(2)                                                      // 49-50
        .q("     ");                                                      // 51
    return l;
}

CsvLine scmSwimmerMediaLine(const SwimmerRecord& s, long long k, std::size_t n, const std::string& kijunBi,
                            const std::string& timeOfDay)
{
    CsvLine l;
    const SwimmerTexts x(s);
    swimmerHead(l, s, x, k);
    const std::string& name7 = x.name7;
    l.raw("#NULL#")                      // 17
        .emptyQuoted(11)                 // 18-28
        .q(entryFlags(s))                // 29
        .q(entryTimeGroups(s, n))        // 30
        .q(x.matchKey)                  // 31
        .emptyQuoted(3)                  // 32-34
        .q(" ")                          // 35
        .q("")                           // 36
        .q("2005")
        .q("0")
        .q(kijunBi + " " + timeOfDay)    // 37-39
        .emptyQuoted(3)                  // 40-42
        .q("     ")
        .q("")                           // 43-44
        .q(name7)
        .q(familyNameLength(name7))      // 45-46
        .q("")                           // 47
        .q("0")
        .q("#NULL#")
        .q("0")                          // 48-50
        .q("");                          // 51
    return l;
}

std::string teamKindCode(const std::string& teamName)
{
    static const std::pair<const char*, const char*> kWords[] = {
        {"幼", "0"},     {"小学校", "1"}, {"中学校", "2"}, {"高等学校", "3"},   {"大学", "4"},
        {"会社", "5"},   {"高等専門", "6"}, {"クラブ", "8"}, {"スイミング", "7"},
    };
    std::string kind = "9";
    for (const auto& [word, code] : kWords)
        if (teamName.find(word) != std::string::npos) kind = code;
    return kind;
}

CsvLine scmTeamLine(const TeamRecord& t, const std::string& kijunBi, const std::string& timeOfDay)
{
    const std::string name = teamText(fieldText(t, TeamRecord::kName));
    const std::string flags = fieldText(t, TeamRecord::kFlags);
    CsvLine l;
    l.q(teamText(fieldText(t, TeamRecord::kCode)))
        .q(teamKindCode(name))
        .q(replaceChar(cleaned(flags), '0', ' '))
        .q(name)
        .q(teamText(t.further1()))
        .q(teamText(t.shortName()))
        .q(teamText(t.shortKana()));
    contactBlock(l, t, 0);  // 8-12
    contactBlock(l, t, 1);  // 13-17
    for (int j = 0; j < 6; ++j) {  // 18-53
        if (flags.size() > static_cast<std::size_t>(j) && flags[static_cast<std::size_t>(j)] == '1') {
            contactBlock(l, t, 2);
            l.q("");
        } else {
            l.emptyQuoted(6);
        }
    }
    l.emptyQuoted(20)                                    // 54-73
        .q("SWMW")                                       // 74
        .emptyQuoted(8)                                  // 75-82
        .q("1")                                          // 83
        .q(kijunBi + " " + padLeft(timeOfDay, 8, '0'))   // 84
        .raw("#NULL#");                                  // 85
    return l;
}

std::vector<std::string> teamFileLines(const fs::path& entryPath, const MasterSource& master,
                                       const std::string& kijunBi, const std::string& timeOfDay,
                                       std::vector<std::string>& notes)
{
    const fs::path zed = teamTotalsPath(entryPath);
    std::error_code ec;
    enforce(fs::is_regular_file(zed, ec), "申込団体ファイルがありません。先に集計してください: " + zed.string());
    TeamTotalsFile totals;
    totals.open(zed, TeamTotalsFile::Access::Read);
    const int count = totals.teamCount();

    // Each register is read once: code (CP932 bytes) -> its first team record.
    struct Register {
        std::map<std::string, TeamRecord> byCode;
        bool empty = true;
    };
    std::map<fs::path, Register> registers;
    std::map<long long, fs::path> fileOf;
    std::vector<std::string> lines;
    for (int n = 1; n <= count; ++n) {
        const TeamTotalRecord team = totals.teamAt(n);
        const std::string code = team.key();
        const long long prefecture = numericValue(midChars(code, 1, 2));
        if (prefecture < 1 || prefecture > 99) {
            notes.push_back("団体 " + code + " は県コードがないため、団体ファイルに書きませんでした。");
            continue;
        }
        // Finding a prefecture's register searches its folders: once per prefecture, not per team.
        auto known = fileOf.find(prefecture);
        if (known == fileOf.end()) known = fileOf.emplace(prefecture, master.teamListFile(static_cast<int>(prefecture))).first;
        const fs::path& file = known->second;
        auto it = registers.find(file);
        if (it == registers.end()) {
            Register reg;
            TeamList list;
            try {
                list.openTeamList(file);
            } catch (const TolvError& e) {
                throw TolvError("団体マスタを開けません（団体 " + code + "）: " + e.what());
            }
            reg.empty = list.count() == 0;
            for (int j = 1; j <= list.count(); ++j) {
                TeamRecord t = list.readTeam(j);
                reg.byCode.emplace(std::string(t.raw(TeamRecord::kCode)), t);
            }
            it = registers.emplace(file, std::move(reg)).first;
        }
        if (it->second.empty) {
            notes.push_back("団体 " + code + " は団体マスタが空のため、団体ファイルに書きませんでした: " + file.string());
            continue;
        }
        auto found = it->second.byCode.find(team.keyBytes());
        if (found == it->second.byCode.end()) {
            notes.push_back("団体 " + code + " は団体マスタにないため、団体ファイルに書きませんでした。");
            continue;
        }
        lines.push_back(encodeLine(scmTeamLine(found->second, kijunBi, timeOfDay).text(), "団体ファイル: 団体 " + code));
    }
    return lines;
}

std::vector<std::string> relayLines(const EntryData& data, bool schoolLevel)
{
    const bool prefectureBody = data.header.botai() == reports::kBotaiPrefecture;
    const std::string tcod = fieldText(data.header, EntryHeader::kTcod);
    const std::string courseText = std::to_string(data.header.course() + 1);
    const std::string course = courseText.substr(courseText.size() - 1);
    std::vector<std::string> lines;
    long long r = 0;
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        const std::string q = qbango(s);
        const std::string teamCode =
            prefectureBody ? midChars(q, S::kQBangoPrefecture) + "000" : midChars(q, S::kQBangoTeam);
        const std::string name = cleaned(prefectureBody ? fieldText(s, S::kKen) : fieldText(s, S::kShozoku));
        const std::string kana = cleaned(prefectureBody ? fieldText(s, S::kKenKana) : fieldText(s, S::kShozokuKana));
        for (int slot = kIndividualSlots; slot < kStandardSlots; ++slot) {
            const std::int32_t t = s.kiro(slot);
            if (t <= 0 || t >= kFirstMark) continue;
            CsvLine l;
            l.q(tcod)
                .q(teamCode)
                .q(std::to_string(++r))
                .q(course)
                .q(slot <= 24 ? "7" : "6")
                .q(fieldText(s, S::kSei))
                .q(relayTimeText(t))
                .emptyQuoted(2)
                .q(schoolLevel ? midChars(fieldText(s, S::kGakunen), S::kGakunenLevel) : "")
                .q(relayDistance(slot))
                .q("")
                .q(name)
                .q(kana)
                .q("")
                .q(kana);
            lines.push_back(encodeSwimmerLine(l.text(), "RELAYENT.csv", i + 1, s));
        }
    }
    return lines;
}

ExportResult exportScmLink(const EntryData& data, const ExportTarget& target) { return scmExport(data, target, false); }
ExportResult exportScmMedia(const EntryData& data, const ExportTarget& target) { return scmExport(data, target, true); }

} // namespace tolv::exchange
