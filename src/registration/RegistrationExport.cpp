#include "registration/RegistrationExport.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "transfer/Media.h"
#include "transfer/ScmLines.h"
#include "transfer/Templates.h"

#include <exception>

namespace tolv::registration {

using namespace tolv::exchange;

int registrationMediaCount(int swimmers) { return std::max(0, swimmers) / static_cast<int>(kRegistrationSwimmersPerMedium) + 1; }

ExportResult writeRegistrationTransfer(const EntryData& data, const ExportTarget& target, bool withTeamFile, bool perMedium)
{
    installDefaultTemplates(target.ctl);
    requireFolder(target.transfer);
    const std::string time = timeOfDayText(target.when);
    const std::string kijun = fieldText(data.header, EntryHeader::kKijunBi);

    const std::string swimmerHeader = toCp932(quotedHeader(readTemplate(target.ctl, "ScmSwimmerdt.w", kScmSwimmerFields)));
    const std::size_t count = data.swimmers.size();
    ScmSwimmerLines swimmers(false, kijun, time, "Scmmerdt.csv");
    const LineMaker line = [&](std::size_t i, std::string& out) {
        swimmers.append(out, data.swimmers[i], static_cast<long long>(i) + 1, i + 1);
    };
    const std::size_t per = perMedium ? kRegistrationSwimmersPerMedium : std::max<std::size_t>(1, count);
    const bool byHand = target.prompt && mediaCount(count, per) > 1;

    ExportResult r;
    // The team file is made first (it comes first), but a swimmer line that cannot be written is
    // named before a fault of the team file, as when the swimmer lines were made first.
    std::vector<PlannedFile> teamFile;
    std::exception_ptr teamFault;
    if (withTeamFile) {
        try {
            const std::string teamHeader = toCp932(quotedHeader(readTemplate(target.ctl, "teamdt.w", kScmTeamFields)));
            teamFile.push_back(planFile(target.transfer / "SCMTeamdt.csv", teamHeader,
                                        teamFileLines(data.entryPath, target.master, kijun, time, r.notes)));
        } catch (const TolvError&) {
            teamFault = std::current_exception();
        }
    }
    if (teamFault || target.prompt) {
        // Before anybody is asked for a medium (or when the team file cannot be made), every
        // swimmer line is made once: the first fault stops the export before any question, and a
        // swimmer's is named before the team file's.
        makeEveryLine(count, line);
        if (teamFault) std::rethrow_exception(teamFault);
    }
    // Media changed by hand: the team file goes on the first medium, before its prompt. Otherwise
    // it is written with the swimmer files as one whole set.
    FileSetWriter set(target.transfer);
    if (byHand) writeFileSet(std::move(teamFile), r);
    else
        for (PlannedFile& f : teamFile) set.add(std::move(f));
    writeOnMedia(set, target.transfer, "Scmmerdt.csv", swimmerHeader, count, line, per, target.prompt, target.mediaQuestion, r);
    if (!set.empty()) set.commit(r);
    return r;
}

ExportResult exportRegistration(const EntryData& data, const ExportTarget& target)
{
    return writeRegistrationTransfer(data, target, true, true);
}

} // namespace tolv::registration
