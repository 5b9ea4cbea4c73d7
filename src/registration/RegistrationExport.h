#pragma once
// The registration transfer files for the meet-management system: the team file SCMTeamdt.csv
// (header from teamdt.w, the SCM team lines) and the swimmer file Scmmerdt.csv (header from
// ScmSwimmerdt.w, the link-form swimmer lines), the swimmer file split over media of 1360
// swimmers ("作成(FD)") or written in one ("一括作成").
#include "transfer/ExportData.h"

namespace tolv::registration {

constexpr std::size_t kRegistrationSwimmersPerMedium = 1360;

// Media of c swimmers as the window counts them: c / 1360 + 1.
int registrationMediaCount(int swimmers);

// Writes the team file first when `withTeamFile`, then the swimmer file; `perMedium` splits it at
// every 1360 swimmers, else one medium holds them all. Everything is built and checked first.
exchange::ExportResult writeRegistrationTransfer(const exchange::EntryData& data, const exchange::ExportTarget& target,
                                                 bool withTeamFile, bool perMedium);

// Both files, every medium (the command line: media beyond the first go into numbered subfolders).
exchange::ExportResult exportRegistration(const exchange::EntryData& data, const exchange::ExportTarget& target);

} // namespace tolv::registration
