#pragma once
// The two registration documents for the national federation, written to the transfer folder as
// comma-separated files with every field in double quotes:
//   "団体・競技者登録申請書(1).csv" — the fee statement: registered athletes by school kind and sex,
//       registered teams, and the fees;
//   "団体・競技者登録申請書(2).csv" — the team list: each team of the team totals file with its four
//       registration counters (main and secondary registration, men and women).
// The team list is also printed, 70 lines a page under the title and the page number.
//
// A team's registration flag and counters are kept in the registration master's team record
// (dantai.dat, the 35-character team field at offset 349): character 1 is the flag ("1" = the
// team is registered this year), characters 2-21 are four right-aligned five-digit counts: men and
// women of main registration, men and women of secondary registration. Counts that are blank or
// not numbers are 0; a team that the master does not hold is unregistered with all counts 0.
#include "storage/MasterSource.h"
#include "storage/Master.h"
#include "storage/Records.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace tolv {
class Printer;
}

namespace tolv::registration {

constexpr int kSchoolKinds = 9;
extern const char* const kSchoolKindNames[kSchoolKinds];

// What the registration master says of one team.
struct TeamRegistration {
    bool registered = false;
    std::array<int, 4> counts{}; // men main, women main, men secondary, women secondary
};
TeamRegistration registrationOf(const TeamRecord& master);

// One team of the team totals file with its registration.
struct RegisteredTeam {
    std::string code; // 5 characters
    std::string name; // the team name of the totals file
    TeamRegistration reg;
};

// The school kind row 0..8 of a grade code: its first digit, "4" counting as 大学 (5), "5" and
// "9" as 一般 (6); a code that does not start with a digit (pre-school " 5" … " 9") as 幼児 (0).
int schoolKindOf(const std::string& gradeCode);

// Registered athletes (registration kind "1") by school kind and sex: [kind][0 men, 1 women].
using AthleteCounts = std::array<std::array<long long, 2>, kSchoolKinds>;
AthleteCounts countRegisteredAthletes(const std::vector<SwimmerRecord>& swimmers);

// The lines of the two documents, each a list of fields (UTF-8, without quotes).
using CsvLines = std::vector<std::vector<std::string>>;
CsvLines feeStatementLines(const AthleteCounts& athletes, int registeredTeams, int todayYyyymmdd);
CsvLines teamListLines(const std::vector<RegisteredTeam>& teams);

// "###,0" and "###,#": thousands grouped; the second gives "" for 0.
std::string groupedZero(long long value);
std::string groupedHash(long long value);

// The teams of the team totals file (read only) with their registration from the team lists of
// the registration master; a team list that is missing counts as holding no team.
std::vector<RegisteredTeam> readRegisteredTeams(const std::filesystem::path& teamTotalsFile, const MasterSource& master);

// Writes the two documents (team list first) into `transfer`, each whole. Returns their paths.
std::vector<std::filesystem::path> writeRegistrationDocs(const std::filesystem::path& transfer,
                                                         const std::vector<SwimmerRecord>& swimmers,
                                                         const std::vector<RegisteredTeam>& teams, int todayYyyymmdd);

// Prints the team list lines: 70 lines a page, each page headed by the title and its number.
void printTeamList(Printer& p, const CsvLines& lines);

} // namespace tolv::registration
