#pragma once
// A generated federation-size entry file and the registration master that goes with it: many
// clubs of several prefectures merged into one file, as a federation holds it before checking.
// The same count and seed always give the same bytes, so benchmarks and regression tests can
// rebuild it instead of shipping it.
//
//   <dir>/entry/<name>                     entry file: N swimmers of N/100 teams (at least one)
//   <dir>/registration/kanriken.ctl        every generated prefecture keeps a team list
//   <dir>/registration/ken<NN>/dantai.dat  the teams of prefecture NN
//   <dir>/registration/ken<NN>/Otoko|Onna  kozin.dat and its indexes: every generated swimmer
//   <ctlDir>/ken.ctl                       the shipped prefecture table (when ctlDir is given)
//
// Swimmers come club after club (a few stragglers of earlier clubs appended later), with CP932
// names and kana, composite numbers, about 2.3 events each, and the faults a merged file has:
// duplicated swimmers, impossible birth dates, wrong ages and grades, full-width blanks in the
// kana, missing disciplines, more than four events, "参加" marks and equal times.
#include <cstdint>
#include <filesystem>
#include <string>

namespace tolvbench {

struct FederationFile {
    std::filesystem::path entry;            // the entry file
    std::filesystem::path registrationRoot; // the local registration master (ends with '/')
    int swimmers = 0;
    int teams = 0;
    std::string firstQBango; // composite number of swimmer 1, found in the master
};

FederationFile writeFederation(const std::filesystem::path& dir, int swimmers, std::uint32_t seed = 1,
                               const std::filesystem::path& ctlDir = {}, const std::string& name = "federation.zep");

} // namespace tolvbench
