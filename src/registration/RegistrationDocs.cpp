#include "registration/RegistrationDocs.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "storage/TeamTotalsFile.h"
#include "storage/TextUtil.h"
#include "transfer/FieldText.h"
#include "transfer/FileSet.h"
#include "transfer/Templates.h"

#include <cctype>
#include <cstdio>
#include <map>

namespace tolv::registration {

namespace fs = std::filesystem;

const char* const kSchoolKindNames[kSchoolKinds] = {"幼児", "小学", "中学", "高校", "高専", "大学", "一般", "専修", "各種"};

namespace {

constexpr int kAthleteFee = 1000;
constexpr int kTeamFee = 7000;
constexpr int kLinesPerPage = 70;
const char* const kTitle = "会員登録申請書・団体登録申請書および登録料の送付について";

std::string counted(long long n) { return std::to_string(n) + "(0)"; }

// The counts field of the master's team record: "F" then four five-digit counts.
int countAt(const std::string& field, std::size_t at)
{
    if (field.size() <= at) return 0;
    std::string digits = field.substr(at, 5);
    int v = 0;
    bool any = false;
    for (char c : digits) {
        if (c == ' ') continue;
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
        any = true;
    }
    return any ? v : 0;
}

std::string csvText(const CsvLines& lines)
{
    std::string out;
    for (const auto& fields : lines) out += exchange::quotedHeader(fields);
    return out;
}

exchange::PlannedFile plannedCsv(const fs::path& file, const CsvLines& lines)
{
    exchange::PlannedFile f;
    f.path = file;
    try {
        f.bytes = toCp932(csvText(lines));
    } catch (const TolvError& e) {
        throw TolvError(std::string(e.what()) + ": " + file.string());
    }
    f.lines = static_cast<long long>(lines.size());
    return f;
}

std::string threeWide(int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3d", n);
    return buf;
}

} // namespace

TeamRegistration registrationOf(const TeamRecord& master)
{
    const std::string field = master.further2();
    TeamRegistration r;
    r.registered = !field.empty() && field[0] == '1';
    for (std::size_t i = 0; i < 4; ++i) r.counts[i] = countAt(field, 1 + 5 * i);
    return r;
}

int schoolKindOf(const std::string& gradeCode)
{
    if (gradeCode.empty() || gradeCode[0] < '0' || gradeCode[0] > '9') return 0;
    const int d = gradeCode[0] - '0';
    if (d == 4) return 5;
    if (d == 5 || d == 9) return 6;
    return d;
}

AthleteCounts countRegisteredAthletes(const std::vector<SwimmerRecord>& swimmers)
{
    AthleteCounts c{};
    for (const SwimmerRecord& s : swimmers) {
        if (s.shuFuku() != "1") continue;
        c[static_cast<std::size_t>(schoolKindOf(s.gakunen()))][s.sei() == "1" ? 0 : 1] += 1;
    }
    return c;
}

std::string groupedZero(long long value)
{
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

std::string groupedHash(long long value) { return value == 0 ? std::string() : groupedZero(value); }

CsvLines feeStatementLines(const AthleteCounts& athletes, int registeredTeams, int today)
{
    CsvLines l;
    l.push_back({"財団法人　日本水泳連盟御中"});
    l.push_back({""});
    l.push_back({kTitle});
    l.push_back({"作成:" + std::to_string(today)});
    l.push_back({"加盟団体 ______________________________"});
    l.push_back({});
    l.push_back({"掲記のこと、下記内訳でお送りいたしました。"});
    l.push_back({});
    l.push_back({"( )内は期中異動者"});
    l.push_back({"学種", "男子", "女子", "合計", "登録費（単価）", "合計金額"});
    l.push_back({std::string(100, '-')});
    long long men = 0, women = 0;
    for (int k = 0; k < kSchoolKinds; ++k) {
        const long long m = athletes[static_cast<std::size_t>(k)][0], w = athletes[static_cast<std::size_t>(k)][1];
        men += m;
        women += w;
        l.push_back(
            {kSchoolKindNames[k], counted(m), counted(w), counted(m + w), "     1,000", groupedZero((m + w) * kAthleteFee)});
    }
    const long long all = men + women;
    l.push_back({std::string(100, '=')});
    l.push_back({"合計", counted(men), counted(women), counted(all), "     1,000", groupedHash(all * kAthleteFee)});
    l.push_back({"単価", "人員", "金額"});
    const long long athleteAmount = all * kAthleteFee, teamAmount = static_cast<long long>(registeredTeams) * kTeamFee;
    l.push_back({"競技者", "     1,000円", std::to_string(all), "人", "＝", groupedZero(athleteAmount), "円"});
    l.push_back({"団　体", "     7,000円", std::to_string(registeredTeams), "団体", "＝", groupedZero(teamAmount), "円"});
    l.push_back({std::string(100, '-')});
    l.push_back({"総合計金額", "＝", groupedZero(athleteAmount + teamAmount), "円"});
    l.push_back({"(*) 送付総額金額（還付金を含んだ金額とする）"});
    l.push_back({});
    l.push_back({"責 任 者", "担 当 者"});
    l.push_back({"印", "印"});
    l.push_back({"年    月    日"});
    l.push_back({"(財) 日本水泳連盟"});
    return l;
}

CsvLines teamListLines(const std::vector<RegisteredTeam>& teams)
{
    CsvLines l;
    l.push_back({kTitle});
    l.push_back({"", "", "［　主登録　］", "", "", "［　副登録　］"});
    l.push_back({"SQ", "登録団体", "男子", "女子", "合計", "男子", "女子", "合計"});
    std::array<long long, 4> totals{};
    int sq = 0;
    for (const RegisteredTeam& t : teams) {
        const auto& c = t.reg.counts;
        for (std::size_t i = 0; i < 4; ++i) totals[i] += c[i];
        l.push_back({threeWide(++sq), t.code + " " + exchange::midChars(cleanedText(t.name, 0), 1, 12), counted(c[0]),
                     counted(c[1]), counted(c[0] + c[1]), counted(c[2]), counted(c[3]), counted(c[2] + c[3])});
    }
    l.push_back({std::string(100, '=')});
    l.push_back({"", "登録競技者合計人数", counted(totals[0]), counted(totals[1]), counted(totals[0] + totals[1]),
                 counted(totals[2]), counted(totals[3]), counted(totals[2] + totals[3])});
    return l;
}

std::vector<RegisteredTeam> readRegisteredTeams(const fs::path& teamTotalsFile, const MasterSource& master)
{
    std::error_code ec;
    TeamTotalsFile zed;
    zed.open(teamTotalsFile, TeamTotalsFile::Access::Read);
    const int count = zed.teamCount();

    std::map<std::string, TeamList> masters; // by prefecture code
    std::vector<RegisteredTeam> teams;
    for (int n = 1; n <= count; ++n) {
        const TeamTotalRecord r = zed.teamAt(n);
        RegisteredTeam t;
        t.code = r.key();
        t.name = r.name();
        const std::string pref = t.code.substr(0, 2);
        auto it = masters.find(pref);
        if (it == masters.end()) {
            TeamList list;
            const bool digits = pref.size() == 2 && std::isdigit(static_cast<unsigned char>(pref[0])) &&
                                std::isdigit(static_cast<unsigned char>(pref[1]));
            const fs::path path = digits ? master.teamListFile(std::stoi(pref)) : fs::path();
            if (digits && fs::is_regular_file(path, ec)) list.openTeamList(path);
            it = masters.emplace(pref, std::move(list)).first;
        }
        if (it->second.count() > 0)
            if (auto m = it->second.findTeam(t.code)) t.reg = registrationOf(*m);
        teams.push_back(t);
    }
    return teams;
}

std::vector<fs::path> writeRegistrationDocs(const fs::path& transfer, const std::vector<SwimmerRecord>& swimmers,
                                            const std::vector<RegisteredTeam>& teams, int today)
{
    std::error_code ec;
    enforce(fs::is_directory(transfer, ec), "転送先フォルダがありません: " + transfer.string());
    int registered = 0;
    for (const RegisteredTeam& t : teams) registered += t.reg.registered ? 1 : 0;
    const fs::path list = transfer / "団体・競技者登録申請書(2).csv";
    const fs::path fees = transfer / "団体・競技者登録申請書(1).csv";
    // The two documents are one set (through the export journal): a kill leaves the old pair or the new.
    std::vector<exchange::PlannedFile> set;
    set.push_back(plannedCsv(list, teamListLines(teams)));
    set.push_back(plannedCsv(fees, feeStatementLines(countRegisteredAthletes(swimmers), registered, today)));
    exchange::ExportResult written;
    exchange::writeFileSet(std::move(set), written);
    return {list, fees};
}

void printTeamList(Printer& p, const CsvLines& lines)
{
    // Column positions in twips: SQ, team, then the six counts.
    static const int kX[] = {0, 600, 3600, 4600, 5600, 6800, 7800, 8800};
    p.setFont("ＭＳ 明朝", 10);
    int page = 0, onPage = kLinesPerPage;
    // The title heads every page, so the lines start after it.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (onPage == kLinesPerPage) {
            if (page) p.newPage();
            ++page;
            onPage = 0;
            p.currentY = 0;
            p.printAt(0, kTitle, false);
            p.printAt(9600, std::to_string(page) + " 頁");
            p.newLine();
        }
        const auto& fields = lines[i];
        if (fields.empty()) {
            p.newLine();
        } else if (fields.size() == 1) {
            p.printAt(0, fields[0]);
        } else {
            for (std::size_t f = 0; f < fields.size() && f < std::size(kX); ++f)
                p.printAt(kX[f], fields[f], f + 1 == fields.size());
        }
        ++onPage;
    }
    p.endDoc();
}

} // namespace tolv::registration
