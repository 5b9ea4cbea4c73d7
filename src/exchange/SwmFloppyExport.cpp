// The SWM floppy: RIZARUTO.csv per team in the folder "SWM" + team code, Teamdt.csv and
// RELAYENT.csv in the transfer folder. Column layout: docs/exports.md; the SWM import reads these
// files back into the same fields.
#include "exchange/Exports.h"
#include "exchange/ScmExport.h"
#include "exchange/Templates.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/Codes.h"

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

} // namespace

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
    // unsorted file) continues its own file instead of starting it anew.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> linesOf;
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        // The code as stored: a NUL or other control character in it is refused, not blanked.
        const std::string code = midChars(fromCp932(s.raw(S::kQBango)), S::kQBangoTeam);
        enforce(usableInFolderName(code), swimmerLabel(i + 1, s) + ": 団体コード「" + code +
                                              "」はフォルダ名に使えません。旧番号を直してください。");
        auto [it, added] = linesOf.try_emplace(code);
        if (added) order.push_back(code);
        const long long k = static_cast<long long>(it->second.size()) + 1;
        it->second.push_back(encodeSwimmerLine(rizarutoLine(s, k, i + 1).text(), "RIZARUTO.csv", i + 1, s));
    }
    ExportResult r;
    const std::vector<std::string> teams = teamFileLines(data.entryPath, target.master, kijun, time, r.notes);
    const std::vector<std::string> relays = relayLines(data, true);

    std::vector<PlannedFile> files;
    for (const std::string& code : order)
        files.push_back(planFile(target.transfer / ("SWM" + code) / "RIZARUTO.csv", swimmerHeader, linesOf[code]));
    files.push_back(planFile(target.transfer / "Teamdt.csv", teamHeader, teams));
    files.push_back(planFile(target.transfer / "RELAYENT.csv", relayHeader, relays));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
