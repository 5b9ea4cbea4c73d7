#include "exchange/ScmSwmImport.h"

#include "exchange/RelayIndex.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/SwimmerBirth.h"
#include "storage/TextUtil.h"
#include "storage/Verify.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace tolv {
namespace {

namespace fs = std::filesystem;

// Swimmer file columns (1-based): the SCM media form, and the SWM floppy's own 13 columns.
struct SwimmerColumns {
    std::size_t number, team, registration, name, kana, sex, birth, gradeSecond, gradeFirst, flags, times;
};
constexpr SwimmerColumns kScmColumns{1, 2, 6, 7, 8, 10, 11, 12, 13, 29, 30};
constexpr SwimmerColumns kSwmColumns{1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12};
constexpr std::size_t kTimeWidth = 6;
// Team file fields.
constexpr std::size_t kTeamCode = 1, kTeamName = 6, kTeamKana = 7;
// Relay file fields.
constexpr std::size_t kRelayTeam = 2, kRelayStroke = 5, kRelaySex = 6, kRelayTime = 7, kRelayLevel = 10, kRelayDistance = 11;

struct FileSet {
    SwimmerColumns columns;
    const char* swimmers;
    const char* teams;
    const char* relays;
    const char* command; // backup label
    const char* missingSwimmers[3];
    const char* missingTeams[3];
    const char* missingRelays[3];
};

const FileSet kScm = {
    kScmColumns,
    "ScmSwimmerdt.csv",
    "Scmdt.csv",
    "ScmRelay.csv",
    "ＳＣＭ取込",
    {"「ScmSwimmerdt.csv」ファイルがありません。", "ＳＷＭで作成されたファイルではありません。", "処理を中止します。"},
    {"「Scmdt.csv」ファイルがありません。", "ＳＷＭで作成されたファイルではありません。", "処理を中止します。"},
    {"「Scmrelay.csv」ファイルがありません。", "リレーデータの入力はしません。", "処理を中止します。"},
};
const FileSet kSwm = {
    kSwmColumns,
    "RIZARUTO.csv",
    "Teamdt.csv",
    "relayent.csv",
    "ＳＷＭ取込",
    {"「RIZARUTO.csv」ファイルがありません。", "ＳＷＭで作成されたファイルではありません。", "処理を中止します。"},
    {"「Teamdt.csv」ファイルがありません。", "ＳＷＭで作成されたファイルではありません。", "処理を中止します。"},
    {"「RELAYENT.csv」ファイルがありません。", "リレーデータの入力はしません。", "処理を中止します。"},
};

std::string lines3(const char* const (&l)[3]) { return std::string(l[0]) + "\n" + l[1] + "\n" + l[2]; }

struct InputFile {
    std::string label; // how faults name it
    std::string bytes;
};

std::string upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The swimmer files: the one in the folder, else one per SWM… team folder in name order.
std::vector<InputFile> swimmerFiles(const fs::path& folder, const FileSet& set, MeetSystem system)
{
    std::vector<InputFile> files;
    // Moved, never copied: a national swimmer file is tens of megabytes.
    if (auto bytes = readInputFile(folder, set.swimmers)) {
        files.push_back({nameOnDisk(folder, set.swimmers), std::move(*bytes)});
        return files;
    }
    if (system != MeetSystem::Swm) return files;
    std::vector<fs::path> teams;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && upper(it->path().filename().string()).rfind("SWM", 0) == 0) teams.push_back(it->path());
    std::sort(teams.begin(), teams.end());
    for (const fs::path& t : teams)
        if (auto bytes = readInputFile(t, set.swimmers))
            files.push_back({t.filename().string() + "/" + nameOnDisk(t, set.swimmers), std::move(*bytes)});
    return files;
}

std::string firstChar(const std::string& field) { return field.empty() ? std::string(" ") : field.substr(0, 1); }

// A right-justified whole number: blanks, then digits (blanks alone read 0).
std::optional<std::int32_t> paddedNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    std::size_t e = text.find_last_not_of(' ');
    if (i == std::string::npos) return 0;
    std::int32_t v = 0;
    for (; i <= e; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

struct Team {
    std::string name, kana;
};

// First line of each code wins, as a scan from the top finds it.
std::map<std::string, Team> readTeams(const std::string& label, const std::string& bytes)
{
    std::map<std::string, Team> teams;
    std::vector<std::string> lines = splitLines(bytes);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        if (lines[i].empty()) continue;
        std::vector<std::string> f = csvFields(lines[i], kTeamKana, label, lineNo);
        teams.emplace(f[kTeamCode - 1], Team{f[kTeamName - 1], f[kTeamKana - 1]});
    }
    return teams;
}

struct NewSwimmer {
    SwimmerRecord record;
    std::string team;
};

NewSwimmer readSwimmer(const std::vector<std::string>& f, const SwimmerColumns& c, const std::string& label, int lineNo)
{
    NewSwimmer n{EntryStore::emptySwimmer(), f[c.team - 1]};
    SwimmerRecord& s = n.record;
    s.setTextBytes(SwimmerRecord::kBango, f[c.number - 1]);

    const std::string sex = firstChar(f[c.sex - 1]);
    const std::string reg = f[c.registration - 1];
    std::string last = " ";
    if (numericValue(reg) != 0) {
        const std::u32string regChars = toUtf32(fromCp932(reg));
        last = toCp932(fromUtf32(regChars.substr(regChars.size() - 1)));
    } else {
        last = sex == "1" ? "0" : "5";
    }
    std::string birth = f[c.birth - 1];
    birth.resize(10, ' ');
    const std::string qbango = fitBytes(n.team, 5) + birth.substr(0, 4) + birth.substr(5, 2) + birth.substr(8, 2) + last;
    s.setTextBytes(SwimmerRecord::kQBango, qbango);

    s.setTextBytes(SwimmerRecord::kNamae, f[c.name - 1]);
    s.setTextBytes(SwimmerRecord::kKana, f[c.kana - 1]);
    s.setTextBytes(SwimmerRecord::kGakunen, firstChar(f[c.gradeFirst - 1]) + firstChar(f[c.gradeSecond - 1]));
    s.setNenrei(0);
    s.setTextBytes(SwimmerRecord::kSei, sex);
    s.setShuFuku("");
    s.setShubetu("000000");
    s.setTorobi(0);

    const std::string& flags = f[c.flags - 1];
    const std::string& times = f[c.times - 1];
    for (int d = 0; d < kIndividualSlots; ++d) {
        if (static_cast<std::size_t>(d) >= flags.size() || flags[static_cast<std::size_t>(d)] != '1') continue;
        const std::size_t at = static_cast<std::size_t>(d) * kTimeWidth;
        if (at + kTimeWidth > times.size())
            inputFault(label, lineNo,
                       "種目 " + std::to_string(d + 1) + " のタイムがありません（" + std::to_string(c.times) +
                           " 列目が短すぎます）");
        auto t = paddedNumber(times.substr(at, kTimeWidth));
        if (!t)
            inputFault(label, lineNo,
                       "種目 " + std::to_string(d + 1) + " のタイム「" + times.substr(at, kTimeWidth) + "」が数字ではありません");
        if (!isTimeValue(*t))
            inputFault(label, lineNo,
                       "種目 " + std::to_string(d + 1) + " のタイム「" + times.substr(at, kTimeWidth) +
                           "」はタイムではありません（99:59.99 まで、秒は 60 未満）");
        s.setKiro(d, *t);
    }
    return n;
}

std::optional<int> relaySlot(const std::string& stroke, const std::string& distance)
{
    if (stroke == "7") {
        if (distance == "3") return 22;
        if (distance == "4") return 23;
        if (distance == "5") return 24;
    } else if (stroke == "6") {
        if (distance == "3") return 25;
        if (distance == "4") return 26;
        if (distance == "5") return 27;
        if (distance == "6") return 28;
    }
    return std::nullopt;
}

} // namespace

ImportReport importMeetSystem(EntryStore& store, MeetSystem system, const ImportFolder& folder, Prompt& prompt)
{
    return importMeetSystem(store, system, folder, prompt, findNoCase(ctlDir(), "ken.ctl"));
}

ImportReport importMeetSystem(EntryStore& store, MeetSystem system, const ImportFolder& folder, Prompt& prompt,
                              const fs::path& kenCtl)
{
    const FileSet& set = system == MeetSystem::Scm ? kScm : kSwm;
    waitForDrive(folder, prompt);

    // SWM reads its team file first, SCM its swimmer file; the message names the first one missing.
    std::optional<std::string> teamBytes;
    if (system == MeetSystem::Swm) {
        teamBytes = readInputFile(folder.host, set.teams);
        enforce(teamBytes.has_value(), lines3(set.missingTeams));
    }
    std::vector<InputFile> swimmerInputs = swimmerFiles(folder.host, set, system);
    enforce(!swimmerInputs.empty(), lines3(set.missingSwimmers));
    if (!teamBytes) {
        teamBytes = readInputFile(folder.host, set.teams);
        enforce(teamBytes.has_value(), lines3(set.missingTeams));
    }
    const std::string teamLabel = nameOnDisk(folder.host, set.teams);
    const std::map<std::string, Team> teams = readTeams(teamLabel, *teamBytes);

    ImportReport report;
    std::vector<SwimmerRecord> all = store.readAllSwimmers();
    const std::size_t before = all.size();
    // Room for a record per line at once: a vector grown by doubling would hold up to twice the
    // records for a moment.
    std::size_t lineCount = 0;
    for (const InputFile& in : swimmerInputs)
        lineCount += static_cast<std::size_t>(std::count(in.bytes.begin(), in.bytes.end(), '\n')) + 1;
    all.reserve(before + lineCount);
    std::map<int, std::optional<Prefecture>> prefectures;
    std::vector<std::string> teamless;
    for (const InputFile& in : swimmerInputs) {
        const std::vector<std::string_view> lines = lineViews(in.bytes);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const int lineNo = static_cast<int>(i) + 1;
            if (lines[i].empty()) continue;
            NewSwimmer n =
                readSwimmer(csvFields(std::string(lines[i]), set.columns.times, in.label, lineNo), set.columns, in.label, lineNo);
            SwimmerRecord& s = n.record;
            if (auto t = teams.find(n.team); t != teams.end()) {
                s.setTextBytes(SwimmerRecord::kShozoku, t->second.name);
                s.setTextBytes(SwimmerRecord::kShozokuKana, t->second.kana);
            } else {
                teamless.push_back(fromCp932(n.team) + " " + cleanedText(s.Namae(), 0));
            }
            const int code = static_cast<int>(numericValue(fitBytes(n.team, 2)));
            if (!prefectures.count(code)) prefectures[code] = readPrefecture(kenCtl, code);
            if (const auto& p = prefectures[code]) {
                s.setKen(p->name);
                s.setKenKana(p->reading);
            }
            s.setSeq(static_cast<std::int32_t>(all.size() + 1));
            all.push_back(s);
        }
    }
    const std::size_t added = all.size() - before;
    const std::string swimmerLabel = swimmerInputs.front().label;
    enforce(added > 0, swimmerLabel + " に選手がありません。何も追加していません。");
    std::vector<InputFile>().swap(swimmerInputs); // read: the records hold what is needed

    std::optional<std::string> relayBytes = readInputFile(folder.host, set.relays);
    const std::string relayLabel = nameOnDisk(folder.host, set.relays);
    int relays = 0;
    if (relayBytes) {
        // Every swimmer of the file by team code and sex, and for SWM also by the value of the
        // grade's first character (a relay line's school level).
        auto teamSex = [](const SwimmerRecord& s) {
            return SwimmerRecord::kQBangoTeam.of(s.padded(SwimmerRecord::kQBango)) + s.padded(SwimmerRecord::kSei);
        };
        auto withLevel = [](const std::string& key, long long level) { return key + "#" + std::to_string(level); };
        RelayIndex byTeam, byLevel;
        byTeam.reserve(all.size() / 50 + 16);
        for (std::size_t i = 0; i < all.size(); ++i) {
            std::string key = teamSex(all[i]);
            if (system == MeetSystem::Swm)
                byLevel.add(withLevel(key, numericValue(SwimmerRecord::kGakunenLevel.of(all[i].padded(SwimmerRecord::kGakunen)))),
                            i);
            byTeam.add(std::move(key), i);
        }
        std::vector<std::string> lines = splitLines(*relayBytes);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const int lineNo = static_cast<int>(i) + 1;
            if (lines[i].empty()) continue;
            std::vector<std::string> f = csvFields(lines[i], kRelayDistance, relayLabel, lineNo);
            std::optional<int> slot = relaySlot(f[kRelayStroke - 1], f[kRelayDistance - 1]);
            if (!slot) {
                report.skip(relayLabel, lineNo,
                            "リレー種目がありません（泳法 " + f[kRelayStroke - 1] + "、距離 " + f[kRelayDistance - 1] + "）");
                continue;
            }
            std::optional<std::int32_t> time = clockTime(f[kRelayTime - 1]);
            if (!time) inputFault(relayLabel, lineNo, "タイム「" + fromCp932(f[kRelayTime - 1]) + "」が正しくありません");
            const std::string team = fitBytes(f[kRelayTeam - 1], 5);
            const std::string sex = firstChar(f[kRelaySex - 1]);
            const std::string& level = f[kRelayLevel - 1];
            const std::optional<std::size_t> hit = system != MeetSystem::Swm || level.empty()
                                                       ? byTeam.find(team + sex)
                                                       : byLevel.find(withLevel(team + sex, numericValue(level)));
            if (!hit) {
                report.skip(relayLabel, lineNo, "チーム " + fromCp932(team) + "・性別 " + sex + " の選手がいません");
                continue;
            }
            all[*hit].setKiro(*slot, *time);
            ++relays;
        }
    }

    const std::string kijunBi = store.header().kijunBi();
    for (SwimmerRecord& s : all) rewriteAgeOf(s, kijunBi);
    store.commitAll(all, set.command);
    report.changed = true;

    report.done.push_back(swimmerLabel + " から選手 " + std::to_string(added) + " 人を追加しました。");
    if (relayBytes) report.done.push_back("リレーのタイム " + std::to_string(relays) + " 件を入れました。");
    else report.done.push_back("リレーのタイムは入れていません（" + std::string(set.relays) + " がありません）。");
    if (!teamless.empty()) {
        std::string names;
        for (std::size_t i = 0; i < teamless.size() && i < 10; ++i) names += "\n  " + teamless[i];
        if (teamless.size() > 10) names += "\n  ほか " + std::to_string(teamless.size() - 10) + " 人";
        report.done.push_back(teamLabel + " にチームがないため所属を空欄にした選手 " + std::to_string(teamless.size()) +
                              " 人:" + names);
    }
    if (!relayBytes) prompt.tell(lines3(set.missingRelays));
    return report;
}

} // namespace tolv
