// The SWM floppy: RIZARUTO.csv per team in the folder "SWM" + team code, Teamdt.csv and
// RELAYENT.csv in the transfer folder. Column layout: docs/exports.md; the SWM import reads these
// files back into the same fields.
#include "exchange/Exports.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/Codes.h"
#include "transfer/ScmLines.h"
#include "transfer/Templates.h"

#include <map>

namespace tolv::exchange {

namespace {

constexpr std::size_t kRizarutoFields = 13;

using S = SwimmerRecord;

// A team code becomes a folder name: refuse anything that could leave the transfer folder or that
// a file system (Windows media included) cannot hold.
bool usableInFolderName(const std::string& code)
{
    if (code.empty() || code.find("..") != std::string::npos) return false;
    for (char32_t c : toUtf32(code)) {
        if (c < 0x20 || c == 0x7F) return false;
        if (c < 0x80 && std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    const char last = code.back();
    return last != ' ' && last != '.';
}

} // namespace

CsvLine rizarutoLine(const SwimmerRecord& s, long long k, std::size_t n)
{
    const std::string q = fieldText(s, S::kQBango);
    const std::string bango = fieldText(s, S::kBango);
    const std::string grade = fieldText(s, S::kGakunen);
    CsvLine l;
    l.q(numericValue(bango) == 0 ? std::string() : bango)
        .q(midChars(q, S::kQBangoTeam))
        .raw(std::to_string(k))
        .q(registrationNumber(s))
        .q(cleaned(fieldText(s, S::kNamae)))
        .q(rtrimBlanks(fieldText(s, S::kKana)))
        .q(fieldText(s, S::kSei))
        .q(birthDateText(s))
        .q(midChars(grade, S::kGakunenYear))
        .q(midChars(grade, S::kGakunenLevel))
        .q(entryFlags(s))
        .q(entryTimeGroups(s, n))
        .q(matchKey(s));
    return l;
}

void RizarutoLines::append(std::string& out, const SwimmerRecord& s, long long k, std::size_t n)
{
    if (!b_.read(s)) {
        out += encodeSwimmerLine(rizarutoLine(s, k, n).text(), "RIZARUTO.csv", n, s);
        return;
    }
    // The name cleaned: blanks at either end removed (control bytes are blanks already).
    const std::size_t first = b_.namae.find_first_not_of(' ');
    const std::string_view name = first == std::string::npos
                                      ? std::string_view()
                                      : std::string_view(b_.namae).substr(first, b_.namae.find_last_not_of(' ') - first + 1);
    const Cp932Text grade(b_.grade);
    CsvBytes l(out);
    l.q(numericValue(b_.bango) == 0 ? std::string_view() : std::string_view(b_.bango))
        .q(b_.team)
        .raw(std::to_string(k))
        .q(b_.number)
        .q(name)
        .q(b_.kanaTrimmed())
        .q(b_.sei)
        .q(b_.birth)
        .q(grade.mid(S::kGakunenYear.first, S::kGakunenYear.count))
        .q(grade.mid(S::kGakunenLevel.first, S::kGakunenLevel.count))
        .q(entryFlags(s))
        .q(entryTimeGroups(s, n))
        .q(b_.matchKey)
        .end();
}

ExportResult exportSwmMedia(const EntryData& data, const ExportTarget& target)
{
    installDefaultTemplates(target.ctl);
    requireFolder(target.transfer);
    const std::string time = timeOfDayText(target.when);
    const std::string kijun = fieldText(data.header, EntryHeader::kKijunBi);
    const std::string swimmerHeader = toCp932(quotedHeader(readTemplate(target.ctl, "RIZARUTO.w", kRizarutoFields)));
    const std::string teamHeader = toCp932(quotedHeader(readTemplate(target.ctl, "teamdt.w", kScmTeamFields)));
    const std::string relayHeader = toCp932(quotedHeader(readTemplate(target.ctl, "RELAYENT.w", kRelayFields)));

    // One file per team, teams in the order of their first swimmer; a team met again later (an
    // unsorted file) continues its own file. The swimmers of each team are gathered first, so the
    // files are written one after another, each as it is made.
    std::vector<std::string> order;
    std::vector<std::vector<std::uint32_t>> members;
    std::map<std::string, std::size_t> teamOf;
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        // The code as stored: a NUL or other control character in it is refused, not blanked.
        const std::string_view raw = s.raw(S::kQBango);
        const std::string team = midChars(fromCp932(raw), S::kQBangoTeam);
        auto [it, added] = teamOf.try_emplace(team, order.size());
        if (added) {
            enforce(usableInFolderName(team),
                    swimmerLabel(i + 1, s) + ": 団体コード「" + team + "」はフォルダ名に使えません。旧番号を直してください。");
            order.push_back(team);
            members.emplace_back();
        }
        members[it->second].push_back(static_cast<std::uint32_t>(i));
    }

    ExportResult r;
    FileSetWriter set(target.transfer);
    RizarutoLines lines;
    for (std::size_t t = 0; t < order.size(); ++t) {
        set.begin(target.transfer / ("SWM" + order[t]) / "RIZARUTO.csv", swimmerHeader);
        long long k = 0;
        for (const std::uint32_t i : members[t]) {
            lines.append(set.out(), data.swimmers[i], ++k, i + 1);
            set.endLine();
        }
    }
    set.add(
        planFile(target.transfer / "Teamdt.csv", teamHeader, teamFileLines(data.entryPath, target.master, kijun, time, r.notes)));
    writeRelayFile(set, target.transfer / "RELAYENT.csv", relayHeader, data, true);
    set.commit(r);
    return r;
}

} // namespace tolv::exchange
