#pragma once
// Where the registration master and the downloaded control files come from.
//
// Download area (an HTTP or file:// folder, the "address"; a missing trailing "/" is added):
//   <address>ctl/ken.ctl                              -> <ctl>/ken.ctl
//   <address><year>/torlist.dat                        -> <temp>/torlist.dat   (list of units)
//   <unit>pass.dat                                     -> <temp>/pass.dat
//   <unit>kanriken.ctl                                 -> <temp>/kanriken.ctl
//   <unit>ken<NN>/<otoko|onna>/<master file>           -> <temp>/<master file>
// with <unit> = <address><year>/<unit name>/ (unitFolder).
//
// Local registration root (read in place, names matched without regard to case):
//   <root>ken<NN>/dantai.dat
//   <root>ken<NN>/<Otoko|Onna>/kozin.dat, IndexQ.dat, IndexT.dat
//
// Every download goes through downloadToFile: a failure throws TolvError naming the address and
// leaves the file it was to replace untouched.
#include <filesystem>
#include <string>
#include <vector>

namespace tolv {

enum class MasterSex { Male, Female };

// Sex of a composite registration number's sex digit: "1".."4" male, "5" and above female.
MasterSex masterSexOfDigit(char sexDigit);
// "otoko" / "onna" (download area), "Otoko" / "Onna" (local root).
std::string sexFolderName(MasterSex sex, bool local);
// "ken01" .. "ken47"; TolvError for a code outside 1..99.
std::string prefectureFolderName(int prefecture);

// "<address><year>/" and "<address><year>/<unit name>/" (address gets its "/" when missing).
std::string yearFolder(const std::string& address, const std::string& year);
std::string unitFolder(const std::string& address, const std::string& year, const std::string& unitName);

// Each returns the path of the file written.
// <address><year>/torlist.dat -> temp/torlist.dat (creates temp when missing).
std::filesystem::path downloadUnitList(const std::string& address, const std::string& year,
                                       const std::filesystem::path& temp);
// <unit>pass.dat -> temp/pass.dat; an older pass.dat is deleted first, so a failed download never
// leaves an old password list to be checked against.
std::filesystem::path downloadPasswordList(const std::string& unit, const std::filesystem::path& temp);
// <unit>kanriken.ctl -> temp/kanriken.ctl.
std::filesystem::path downloadUnitFlags(const std::string& unit, const std::filesystem::path& temp);
// <address>ctl/ken.ctl -> ctl/ken.ctl.
std::filesystem::path downloadPrefectureTable(const std::string& address, const std::filesystem::path& ctl);

// The seven master files in the order they are fetched.
const std::vector<std::string>& masterFileNames();

// Fetches the master files of one prefecture and sex from <unit>ken<NN>/<otoko|onna>/ into temp,
// as one set: every file is first downloaded into a staging folder inside temp, and only when all
// required files arrived are they renamed over the old ones. A failure of a required file throws
// TolvError (with its address) and leaves the files already in temp exactly as they were.
//   required: kozin.dat, indexq.dat, indext.dat, and dantai.dat when needTeamList is true;
//   optional: indexb.dat, indexk.dat, indexn.dat (delivered, never read), and dantai.dat when the
//             unit keeps no team list for that prefecture (its kanriken.ctl flag is "0").
// An optional file that cannot be fetched is not part of the new set: its old copy (of the previous
// prefecture or sex) is deleted, so temp never holds files of two different sets.
void downloadMasterFiles(const std::string& unit, int prefecture, MasterSex sex,
                         const std::filesystem::path& temp, bool needTeamList = true);

// The registration-master files a look-up opens.
struct MasterPaths {
    std::filesystem::path teamList;     // dantai.dat
    std::filesystem::path athleteList;  // kozin.dat
    std::filesystem::path indexQ;       // indexq.dat (composite number)
    std::filesystem::path indexT;       // indext.dat (birth date)
};
// Local mode: <root>ken<NN>\dantai.dat and <root>ken<NN>\<Otoko|Onna>\kozin.dat, IndexQ.dat,
// IndexT.dat, each matched without regard to case (a name that does not exist comes back in the
// spelling above).
MasterPaths localMasterPaths(const std::filesystem::path& root, int prefecture, MasterSex sex);
// Internet mode: the working copies in temp.
MasterPaths downloadedMasterPaths(const std::filesystem::path& temp);
// Creates the missing ken<NN>, ken<NN>/Otoko and ken<NN>/Onna folders under root (existing folders in
// any letter case are kept); called when kozin.dat could not be opened the first time.
void createLocalMasterFolders(const std::filesystem::path& root, int prefecture);

} // namespace tolv
