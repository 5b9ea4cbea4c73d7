#pragma once
// Where the registration master and the downloaded control files come from.
//
// Download area (an HTTP or file:// folder, the "address"; a missing trailing "/" is added):
//   <address>ctl/ken.ctl                              -> <ctl>/ken.ctl
//   <address><year>/torlist.dat                        -> <temp>/torlist.dat   (list of units)
//   <unit>pass.dat                                     -> <temp>/pass.dat
//   <unit>kanriken.ctl                                 -> <temp>/kanriken.ctl
//   <unit>ken<NN>/<otoko|onna>/<master file>           -> <temp>/<master file>
// with <unit> = <address><year>/<unit name>/ (unitFolder; unitUrl with the year and the unit name
// percent-encoded, each of them a plain folder name).
//
// In temp the master in use lies under the names above; a master fetched earlier in the run for
// another prefecture or sex waits beside it as "ken<NN>.<otoko|onna>.<master file>" and is renamed
// back into place when it is wanted again (useMasterFiles). The clean-up removes both.
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
// The same as addresses to fetch from: year and unit name percent-encoded (UTF-8), the address as
// typed. TolvError when the year or the unit name is no plain folder name.
std::string yearUrl(const std::string& address, const std::string& year);
std::string unitUrl(const std::string& address, const std::string& year, const std::string& unitName);
// A path part percent-encoded: every byte but A-Z a-z 0-9 - . _ ~ as %XX.
std::string encodeUrlPart(const std::string& part);

// Each returns the path of the file written.
// <address><year>/torlist.dat -> temp/torlist.dat (creates temp when missing).
std::filesystem::path downloadUnitList(const std::string& address, const std::string& year, const std::filesystem::path& temp);
// <unit>pass.dat -> temp/pass.dat; an older pass.dat is deleted first, so a failed download never
// leaves an old password list to be checked against.
// Written readable by its owner only.
std::filesystem::path downloadPasswordList(const std::string& unit, const std::filesystem::path& temp);
// Deletes temp/pass.dat (any letter case); TolvError naming a copy that cannot be deleted.
void removePasswordList(const std::filesystem::path& temp);
// The club login: pass.dat is fetched, read once for the (club code, password) pair and deleted at
// once, also when the download or the check fails.
bool clubLoginMatches(const std::string& unit, const std::filesystem::path& temp, const std::string& clubCode,
                      const std::string& password);
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
// putAsideAs: when not empty, the set that is replaced is renamed to putAsideAs + its name instead
// of being deleted.
void downloadMasterFiles(const std::string& unit, int prefecture, MasterSex sex, const std::filesystem::path& temp,
                         bool needTeamList = true, const std::string& putAsideAs = "");

// "ken13.otoko." : the prefix of a master set waiting in temp.
std::string keptMasterPrefix(int prefecture, MasterSex sex);
// Makes the master of prefecture and sex the one in use in temp: renamed into place when it was
// fetched earlier in the run, else downloaded. The set in use (of inUsePrefecture, 0 = none known,
// and inUseSex) waits under its kept names. A failed download leaves temp as it was.
void useMasterFiles(const std::string& unit, int prefecture, MasterSex sex, const std::filesystem::path& temp, bool needTeamList,
                    int inUsePrefecture, MasterSex inUseSex);

// The registration-master files a look-up opens.
struct MasterPaths {
    std::filesystem::path teamList;    // dantai.dat
    std::filesystem::path athleteList; // kozin.dat
    std::filesystem::path indexQ;      // indexq.dat (composite number)
    std::filesystem::path indexT;      // indext.dat (birth date)
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
