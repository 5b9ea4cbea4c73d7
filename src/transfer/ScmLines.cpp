#include "transfer/ScmLines.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "storage/Codes.h"
#include "storage/OrganisingBody.h"
#include "storage/TeamTotalsFile.h"
#include "storage/TextUtil.h"

#include <exception>
#include <map>
#include <memory>

namespace tolv::exchange {

namespace {

constexpr char32_t kFullWidthBlank = U'\u3000';
constexpr std::string_view kFullWidthBlankCp932 = "\x81\x40";
constexpr std::int32_t kFirstMark = kMarkEntered; // "参加" and the result marks are no relay times

using S = SwimmerRecord;

std::string qbango(const SwimmerRecord& s) { return fieldText(s, S::kQBango); }

std::string registrationNumberOf(const std::string& q)
{
    return midChars(q, S::kQBangoTeam) + midChars(q, S::kQBangoAfterCentury);
}

std::string birthDateOf(const std::string& q)
{
    return midChars(q, S::kQBangoBirthYear) + "/" + midChars(q, S::kQBangoBirthMonth) + "/" + midChars(q, S::kQBangoBirthDay);
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
    case 22:
    case 25: return "3";
    case 23:
    case 26: return "4";
    case 24:
    case 27: return "5";
    default: return "6";
    }
}

// The columns of the swimmer lines that are the same on every line.
void linkMiddle(CsvLine& l, const std::string& kijunBi, const std::string& timeOfDay) // 17-30
{
    l.raw("#" + replaceChar(kijunBi, '/', '-') + " " + timeOfDay + "#") // 17
        .q("___-____")                                                  // 18
        .emptyQuoted(3)                                                 // 19-21
        .q("___-____")                                                  // 22
        .emptyQuoted(3)                                                 // 23-25
        .q(std::string(176, ' '))
        .q(std::string(176, ' '))
        .q(std::string(176, ' '))  // 26-28
        .q(std::string(22, ' '))   // 29
        .q(std::string(132, ' ')); // 30
}

void linkAfterKey(CsvLine& l, const std::string& kijunBi, const std::string& timeOfDay) // 32-44
{
    l.emptyQuoted(2) // 32-33
        .q(" ")
        .q(" ") // 34-35
        .q("")  // 36
        .q("2005")
        .q("0")
        .q(kijunBi + " " + timeOfDay) // 37-39
        .emptyQuoted(3)               // 40-42
        .q("     ")
        .q(""); // 43-44
}

void linkEnd(CsvLine& l) // 47-51
{
    l.q("01")
        .q("2")      // 47-48
        .emptyRaw(2) // 49-50
        .q("     "); // 51
}

void mediaMiddle(CsvLine& l) // 17-28
{
    l.raw("#NULL#")       // 17
        .emptyQuoted(11); // 18-28
}

void mediaAfterKey(CsvLine& l, const std::string& kijunBi, const std::string& timeOfDay) // 32-44
{
    l.emptyQuoted(3) // 32-34
        .q(" ")      // 35
        .q("")       // 36
        .q("2005")
        .q("0")
        .q(kijunBi + " " + timeOfDay) // 37-39
        .emptyQuoted(3)               // 40-42
        .q("     ")
        .q(""); // 43-44
}

void mediaEnd(CsvLine& l) // 47-51
{
    l.q("") // 47
        .q("0")
        .q("#NULL#")
        .q("0") // 48-50
        .q(""); // 51
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
            if (blankAt(i) && i + 1 < name.size() && blankAt(i + 1)) out += "\u3000";
            else out += blankAt(i) ? ' ' : name[i];
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

std::string matchKey(const SwimmerRecord& s) { return matchKeyOf(s, nameForm(fieldText(s, S::kNamae)), registrationNumber(s)); }

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
    linkMiddle(l, kijunBi, timeOfDay);         // 17-30
    l.q(x.matchKey);                           // 31
    linkAfterKey(l, kijunBi, timeOfDay);       // 32-44
    l.q(x.name7).q(familyNameLength(x.name7)); // 45-46
    linkEnd(l);                                // 47-51
    return l;
}

CsvLine scmSwimmerMediaLine(const SwimmerRecord& s, long long k, std::size_t n, const std::string& kijunBi,
                            const std::string& timeOfDay)
{
    CsvLine l;
    const SwimmerTexts x(s);
    swimmerHead(l, s, x, k);
    mediaMiddle(l);                                            // 17-28
    l.q(entryFlags(s)).q(entryTimeGroups(s, n)).q(x.matchKey); // 29-31
    mediaAfterKey(l, kijunBi, timeOfDay);                      // 32-44
    l.q(x.name7).q(familyNameLength(x.name7));                 // 45-46
    mediaEnd(l);                                               // 47-51
    return l;
}

bool SwimmerBytes::read(const SwimmerRecord& s)
{
    if (!fieldBytes(s.raw(S::kBango), bango) || !fieldBytes(s.raw(S::kQBango), q) || !fieldBytes(s.raw(S::kNamae), namae) ||
        !fieldBytes(s.raw(S::kKana), kana) || !fieldBytes(s.raw(S::kSei), sei) || !fieldBytes(s.raw(S::kShuFuku), shuFuku) ||
        !fieldBytes(s.raw(S::kGakunen), grade) || !fieldBytes(s.raw(S::kShubetu), shubetu))
        return false;
    const Cp932Text qt(q);
    team = qt.mid(S::kQBangoTeam.first, S::kQBangoTeam.count);
    number.assign(team).append(qt.mid(S::kQBangoAfterCentury.first, S::kQBangoAfterCentury.count));
    birth.assign(qt.mid(S::kQBangoBirthYear.first, S::kQBangoBirthYear.count))
        .append("/")
        .append(qt.mid(S::kQBangoBirthMonth.first, S::kQBangoBirthMonth.count))
        .append("/")
        .append(qt.mid(S::kQBangoBirthDay.first, S::kQBangoBirthDay.count));
    // The name form: a blank followed by another blank becomes a full-width one (a blank is never
    // the second byte of a character, and control bytes are blanks already).
    nameInForm.clear();
    for (std::size_t i = 0; i < namae.size(); ++i) {
        if (namae[i] == ' ' && i + 1 < namae.size() && namae[i + 1] == ' ') nameInForm += kFullWidthBlankCp932;
        else nameInForm += namae[i];
    }
    const Cp932Text form(nameInForm);
    name7 = form.mid(1, 8);
    // Sex, the birth date YYMMDD and the name form without any blank.
    matchKey.assign(sei).append(Cp932Text(number).mid(6, 6));
    for (std::string_view c : form.characters())
        if (c != " " && c != kFullWidthBlankCp932) matchKey += c;
    // Column 46: the family name's length, up to the first ordinary or full-width blank of column 7.
    std::size_t family = 0;
    for (std::string_view c : Cp932Text(name7).characters()) {
        if (c == " " || c == kFullWidthBlankCp932) break;
        ++family;
    }
    familyLength = std::to_string(family);
    return true;
}

std::string_view SwimmerBytes::kanaTrimmed() const
{
    const std::size_t end = kana.find_last_not_of(' ');
    return std::string_view(kana).substr(0, end == std::string::npos ? 0 : end + 1);
}

ScmSwimmerLines::ScmSwimmerLines(bool media, std::string kijunBi, std::string timeOfDay, const char* file)
    : media_(media), kijun_(std::move(kijunBi)), time_(std::move(timeOfDay)), file_(file)
{
    try {
        if (media_) {
            middle_ = csvColumns([](CsvLine& l) { mediaMiddle(l); });
            afterKey_ = csvColumns([&](CsvLine& l) { mediaAfterKey(l, kijun_, time_); });
            end_ = csvColumns([](CsvLine& l) { mediaEnd(l); });
        } else {
            middle_ = csvColumns([&](CsvLine& l) { linkMiddle(l, kijun_, time_); });
            afterKey_ = csvColumns([&](CsvLine& l) { linkAfterKey(l, kijun_, time_); });
            end_ = csvColumns([](CsvLine& l) { linkEnd(l); });
        }
        made_ = true;
    } catch (const TolvError&) {
        made_ = false; // every line is built the long way, which names the first swimmer
    }
}

void ScmSwimmerLines::append(std::string& out, const SwimmerRecord& s, long long k, std::size_t n)
{
    if (!made_ || !b_.read(s)) {
        const CsvLine l = media_ ? scmSwimmerMediaLine(s, k, n, kijun_, time_) : scmSwimmerLinkLine(s, k, kijun_, time_);
        out += encodeSwimmerLine(l.text(), file_, n, s);
        return;
    }
    const std::string_view grade(b_.grade);
    std::string_view gradeLast = Cp932Text(grade).mid(S::kGakunenYear.first, S::kGakunenYear.count);
    if (gradeLast == "0") gradeLast = " ";
    shubetu_.assign(b_.shubetu);
    for (char& c : shubetu_)
        if (c == '0') c = ' ';
    CsvBytes l(out);
    l.q(b_.bango)
        .q(b_.team)
        .raw(std::to_string(k))
        .q("")
        .q(b_.shuFuku)
        .q(b_.number)
        .q(b_.name7)
        .q(b_.kanaTrimmed())
        .q("")
        .q(b_.sei)
        .q(b_.birth)
        .q(gradeLast)
        .q(Cp932Text(grade).mid(S::kGakunenLevel.first, S::kGakunenLevel.count))
        .q(shubetu_)
        .q("")
        .q("")
        .columns(middle_);
    if (media_) l.q(entryFlags(s)).q(entryTimeGroups(s, n));
    l.q(b_.matchKey).columns(afterKey_).q(b_.name7).q(b_.familyLength).columns(end_).end();
}

std::string teamKindCode(const std::string& teamName)
{
    static const std::pair<const char*, const char*> kWords[] = {
        {"幼", "0"},   {"小学校", "1"},   {"中学校", "2"}, {"高等学校", "3"},   {"大学", "4"},
        {"会社", "5"}, {"高等専門", "6"}, {"クラブ", "8"}, {"スイミング", "7"},
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
    contactBlock(l, t, 0);        // 8-12
    contactBlock(l, t, 1);        // 13-17
    for (int j = 0; j < 6; ++j) { // 18-53
        if (flags.size() > static_cast<std::size_t>(j) && flags[static_cast<std::size_t>(j)] == '1') {
            contactBlock(l, t, 2);
            l.q("");
        } else {
            l.emptyQuoted(6);
        }
    }
    l.emptyQuoted(20)                                  // 54-73
        .q("SWMW")                                     // 74
        .emptyQuoted(8)                                // 75-82
        .q("1")                                        // 83
        .q(kijunBi + " " + padLeft(timeOfDay, 8, '0')) // 84
        .raw("#NULL#");                                // 85
    return l;
}

std::vector<std::string> teamFileLines(const fs::path& entryPath, const MasterSource& master, const std::string& kijunBi,
                                       const std::string& timeOfDay, std::vector<std::string>& notes)
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

RelayLines::RelayLines(const EntryHeader& header, bool schoolLevel)
    : schoolLevel_(schoolLevel), prefectureBody_(header.botai() == kBotaiPrefecture), tcod_(fieldText(header, EntryHeader::kTcod))
{
    const std::string courseText = std::to_string(header.course() + 1);
    course_ = courseText.substr(courseText.size() - 1);
    try {
        tcodBytes_ = toCp932(tcod_);
        made_ = true;
    } catch (const TolvError&) {
        made_ = false; // every line is built the long way, which names the swimmer
    }
}

bool RelayLines::hasRelay(const SwimmerRecord& s)
{
    for (int slot = kIndividualSlots; slot < kStandardSlots; ++slot) {
        const std::int32_t t = s.kiro(slot);
        if (t > 0 && t < kFirstMark) return true;
    }
    return false;
}

void RelayLines::append(std::string& out, const SwimmerRecord& s, std::size_t n, long long& r)
{
    if (!hasRelay(s)) return;
    if (!made_ || !fieldBytes(s.raw(S::kQBango), q_) || !fieldBytes(s.raw(prefectureBody_ ? S::kKen : S::kShozoku), name_) ||
        !fieldBytes(s.raw(prefectureBody_ ? S::kKenKana : S::kShozokuKana), kana_) || !fieldBytes(s.raw(S::kSei), sei_) ||
        !fieldBytes(s.raw(S::kGakunen), grade_)) {
        appendAsText(out, s, n, r);
        return;
    }
    const Cp932Text qt(q_);
    if (prefectureBody_) teamCode_.assign(qt.mid(S::kQBangoPrefecture.first, S::kQBangoPrefecture.count)).append("000");
    else teamCode_.assign(qt.mid(S::kQBangoTeam.first, S::kQBangoTeam.count));
    auto trimmed = [](const std::string& text) {
        const std::size_t first = text.find_first_not_of(' ');
        if (first == std::string::npos) return std::string_view();
        return std::string_view(text).substr(first, text.find_last_not_of(' ') - first + 1);
    };
    const std::string_view name = trimmed(name_), kana = trimmed(kana_);
    const std::string_view level =
        schoolLevel_ ? Cp932Text(grade_).mid(S::kGakunenLevel.first, S::kGakunenLevel.count) : std::string_view();
    for (int slot = kIndividualSlots; slot < kStandardSlots; ++slot) {
        const std::int32_t t = s.kiro(slot);
        if (t <= 0 || t >= kFirstMark) continue;
        CsvBytes l(out);
        l.q(tcodBytes_)
            .q(teamCode_)
            .q(std::to_string(++r))
            .q(course_)
            .q(slot <= 24 ? "7" : "6")
            .q(sei_)
            .q(relayTimeText(t))
            .q("")
            .q("")
            .q(level)
            .q(relayDistance(slot))
            .q("")
            .q(name)
            .q(kana)
            .q("")
            .q(kana)
            .end();
    }
}

void RelayLines::appendAsText(std::string& out, const SwimmerRecord& s, std::size_t n, long long& r)
{
    const std::string q = qbango(s);
    const std::string teamCode = prefectureBody_ ? midChars(q, S::kQBangoPrefecture) + "000" : midChars(q, S::kQBangoTeam);
    const std::string name = cleaned(prefectureBody_ ? fieldText(s, S::kKen) : fieldText(s, S::kShozoku));
    const std::string kana = cleaned(prefectureBody_ ? fieldText(s, S::kKenKana) : fieldText(s, S::kShozokuKana));
    for (int slot = kIndividualSlots; slot < kStandardSlots; ++slot) {
        const std::int32_t t = s.kiro(slot);
        if (t <= 0 || t >= kFirstMark) continue;
        CsvLine l;
        l.q(tcod_)
            .q(teamCode)
            .q(std::to_string(++r))
            .q(course_)
            .q(slot <= 24 ? "7" : "6")
            .q(fieldText(s, S::kSei))
            .q(relayTimeText(t))
            .emptyQuoted(2)
            .q(schoolLevel_ ? midChars(fieldText(s, S::kGakunen), S::kGakunenLevel) : "")
            .q(relayDistance(slot))
            .q("")
            .q(name)
            .q(kana)
            .q("")
            .q(kana);
        out += encodeSwimmerLine(l.text(), "RELAYENT.csv", n, s);
    }
}

void writeRelayFile(FileSetWriter& set, const fs::path& path, const std::string& header, const EntryData& data, bool schoolLevel)
{
    RelayLines relays(data.header, schoolLevel);
    set.begin(path, header);
    long long r = 0;
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const long long before = r;
        relays.append(set.out(), data.swimmers[i], i + 1, r);
        for (long long k = before; k < r; ++k) set.endLine();
    }
}

} // namespace tolv::exchange
