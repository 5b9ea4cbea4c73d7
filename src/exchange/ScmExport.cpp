// The SCM meet export: the swimmer file (split over media of 450 swimmers), the team file and, on
// media, the relay file, written as one set from the SCM line builders.
#include "exchange/Exports.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "transfer/Media.h"
#include "transfer/ScmLines.h"
#include "transfer/Templates.h"

#include <exception>
#include <string>
#include <vector>

namespace tolv::exchange {
namespace {

ExportResult scmExport(const EntryData& data, const ExportTarget& target, bool media)
{
    installDefaultTemplates(target.ctl);
    requireFolder(target.transfer);
    const std::string time = timeOfDayText(target.when);
    const std::string kijun = fieldText(data.header, EntryHeader::kKijunBi);

    // The templates are read and the files made before anything is replaced.
    const std::string swimmerHeader = toCp932(quotedHeader(readTemplate(target.ctl, "ScmSwimmerdt.w", kScmSwimmerFields)));
    const std::string teamHeader = toCp932(quotedHeader(readTemplate(target.ctl, "teamdt.w", kScmTeamFields)));
    std::string relayHeader;
    if (media) relayHeader = toCp932(quotedHeader(readTemplate(target.ctl, "RELAYENT.w", kRelayFields)));

    ExportResult r;
    ScmSwimmerLines swimmers(media, kijun, time, "ScmSwimmerdt.csv");
    const LineMaker swimmerLine = [&](std::size_t i, std::string& out) {
        swimmers.append(out, data.swimmers[i], static_cast<long long>(i) + 1, i + 1);
    };
    std::vector<std::string> teams;
    std::exception_ptr teamFault;
    try {
        teams = teamFileLines(data.entryPath, target.master, kijun, time, r.notes);
    } catch (const TolvError&) {
        teamFault = std::current_exception();
    }
    if (target.prompt || teamFault) {
        // Before anybody is asked for a medium (or when the team file cannot be made), every line
        // is made once, in the order of the files: the first fault stops the export before any
        // question, and the one named is the first of the set.
        makeEveryLine(data.swimmers.size(), swimmerLine);
        if (teamFault) std::rethrow_exception(teamFault);
        if (media) {
            RelayLines relays(data.header, false);
            std::string scratch;
            long long n = 0;
            for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
                relays.append(scratch, data.swimmers[i], i + 1, n);
                scratch.clear();
            }
        }
    }

    // The swimmer file (unless it goes medium by medium) and the other files are one whole set,
    // each written as it is made.
    FileSetWriter set(target.transfer);
    writeOnMedia(set, target.transfer, "ScmSwimmerdt.csv", swimmerHeader, data.swimmers.size(), swimmerLine,
                 kScmSwimmersPerMedium, target.prompt, target.mediaQuestion, r);
    set.add(planFile(target.transfer / "Scmdt.csv", teamHeader, teams));
    if (media) writeRelayFile(set, target.transfer / "RELAYENT.csv", relayHeader, data, false);
    set.commit(r);
    return r;
}
} // namespace

ExportResult exportScmLink(const EntryData& data, const ExportTarget& target) { return scmExport(data, target, false); }
ExportResult exportScmMedia(const EntryData& data, const ExportTarget& target) { return scmExport(data, target, true); }

} // namespace tolv::exchange
