#pragma once
// The demo registration master and sample entry file that `tolv demo` and `make run` write.
// Every name in it is invented.
//
//   DIR/registration/kanriken.ctl           unit flags (prefecture 13 keeps a team list)
//   DIR/registration/ken13/dantai.dat       teams
//   DIR/registration/ken13/Otoko/           kozin.dat, indexq.dat, indext.dat (male athletes)
//   DIR/registration/ken13/Onna/            the same for female athletes
//   DIR/entry/sample.zep                    a sample entry file
//   DIR/ken.ctl                             the prefecture table
#include "storage/Master.h"

#include <filesystem>
#include <vector>

namespace tolv {

constexpr int kDemoPrefecture = 13;

std::vector<TeamRecord> demoTeams();
// Athletes of one sex (true = male), in the order of their kozin.dat.
std::vector<AthleteRecord> demoAthletes(bool male);

void writeDemo(const std::filesystem::path& dir);

} // namespace tolv
