#include "registration/RegistrationExport.h"

#include "exchange/Media.h"
#include "exchange/ScmExport.h"
#include "exchange/Templates.h"
#include "platform/Cp932.h"
#include "platform/Prompt.h"

namespace tolv::registration {

using namespace tolv::exchange;

int registrationMediaCount(int swimmers)
{
    return std::max(0, swimmers) / static_cast<int>(kRegistrationSwimmersPerMedium) + 1;
}

ExportResult writeRegistrationTransfer(const EntryData& data, const ExportTarget& target, bool withTeamFile,
                                       bool perMedium)
{
    installDefaultTemplates(target.ctl);
    requireFolder(target.transfer);
    const std::string time = timeOfDayText(target.when);
    const std::string kijun = fieldText(data.header, EntryHeader::kKijunBi);

    const std::string swimmerHeader = toCp932(quotedHeader(readTemplate(target.ctl, "ScmSwimmerdt.w", kScmSwimmerFields)));
    std::vector<std::string> swimmers;
    swimmers.reserve(data.swimmers.size());
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        swimmers.push_back(
            encodeSwimmerLine(scmSwimmerLinkLine(s, static_cast<long long>(i) + 1, kijun, time).text(), "Scmmerdt.csv", i + 1, s));
    }
    ExportResult r;
    std::vector<PlannedFile> teamFile;
    if (withTeamFile) {
        const std::string teamHeader = toCp932(quotedHeader(readTemplate(target.ctl, "teamdt.w", kScmTeamFields)));
        teamFile.push_back(planFile(target.transfer / "SCMTeamdt.csv", teamHeader,
                                    teamFileLines(data.entryPath, target.master, kijun, time, r.notes)));
    }
    const std::size_t per = perMedium ? kRegistrationSwimmersPerMedium : std::max<std::size_t>(1, swimmers.size());
    // Media changed by hand: the team file goes on the first medium, before its prompt. Otherwise
    // it is written with the swimmer files as one whole set.
    std::vector<PlannedFile> set;
    if (target.prompt && mediaCount(swimmers.size(), per) > 1) writeFileSet(std::move(teamFile), r);
    else set = std::move(teamFile);
    writeOnMedia(target.transfer, "Scmmerdt.csv", swimmerHeader, swimmers, per, target.prompt, target.mediaQuestion, r, set);
    writeFileSet(std::move(set), r);
    return r;
}

ExportResult exportRegistration(const EntryData& data, const ExportTarget& target)
{
    return writeRegistrationTransfer(data, target, true, true);
}

} // namespace tolv::registration
