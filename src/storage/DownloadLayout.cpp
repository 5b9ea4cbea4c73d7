#include "storage/DownloadLayout.h"

#include "platform/AtomicFile.h"
#include "platform/Download.h"
#include "platform/Error.h"
#include "platform/FileReading.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "storage/FileChecks.h"
#include "storage/Master.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <system_error>

namespace tolv {

namespace fs = std::filesystem;

namespace {

// Master files of one prefecture and sex are collected here before they replace the old set.
constexpr const char* kStagingFolder = "master.part";

std::string withSlash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + "/";
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Every file in folder whose name equals name without regard to case.
std::vector<fs::path> sameNameFiles(const fs::path& folder, const std::string& name)
{
    std::vector<fs::path> out;
    std::string want = lower(name);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (lower(it->path().filename().string()) == want && !it->is_directory()) out.push_back(it->path());
    return out;
}

bool isOptionalMaster(const std::string& name, bool needTeamList)
{
    if (name == "indexb.dat" || name == "indexk.dat" || name == "indexn.dat") return true;
    return name == "dantai.dat" && !needTeamList;
}

void makeFolder(const fs::path& p)
{
    std::error_code ec;
    fs::create_directories(p, ec);
    if (ec) throw TolvError("フォルダを作成できません: " + p.string());
}

using FormatCheck = std::function<void(const std::string& bytes, const std::string& name)>;

// Fetches url, checks the body's format (a failure names the address) and only then replaces target.
void downloadChecked(const std::string& url, const fs::path& target, const FormatCheck& check, bool secret = false)
{
    const std::string bytes = fetchUrl(url);
    check(bytes, url);
    makeFolder(target.parent_path());
    if (secret) replacePrivateFile(target, bytes);
    else replaceFile(target, bytes);
}

std::string fileBytes(const fs::path& p) { return readWholeFile(p); }

} // namespace

MasterSex masterSexOfDigit(char sexDigit) { return sexDigit >= '5' && sexDigit <= '9' ? MasterSex::Female : MasterSex::Male; }

std::string sexFolderName(MasterSex sex, bool local)
{
    if (sex == MasterSex::Male) return local ? "Otoko" : "otoko";
    return local ? "Onna" : "onna";
}

std::string prefectureFolderName(int prefecture)
{
    enforce(prefecture >= 1 && prefecture <= 99, "都道府県コードが正しくありません: " + std::to_string(prefecture));
    char buf[8];
    std::snprintf(buf, sizeof buf, "ken%02d", prefecture);
    return buf;
}

std::string yearFolder(const std::string& address, const std::string& year)
{
    std::string base = withSlash(address);
    return year.empty() ? base : base + year + "/";
}

std::string unitFolder(const std::string& address, const std::string& year, const std::string& unitName)
{
    std::string base = yearFolder(address, year);
    return unitName.empty() ? base : base + unitName + "/";
}

std::string encodeUrlPart(const std::string& part)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : part) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

std::string yearUrl(const std::string& address, const std::string& year)
{
    std::string base = withSlash(address);
    if (year.empty()) return base;
    enforce(isPlainFolderName(year), "年度「" + year + "」はアドレスのフォルダ名に使えません");
    return base + encodeUrlPart(year) + "/";
}

std::string unitUrl(const std::string& address, const std::string& year, const std::string& unitName)
{
    std::string base = yearUrl(address, year);
    if (unitName.empty()) return base;
    enforce(isPlainFolderName(unitName), "管理ユニット「" + unitName + "」はアドレスのフォルダ名に使えません");
    return base + encodeUrlPart(unitName) + "/";
}

fs::path downloadUnitList(const std::string& address, const std::string& year, const fs::path& temp)
{
    makeFolder(temp);
    fs::path target = temp / "torlist.dat";
    downloadChecked(yearUrl(address, year) + "torlist.dat", target, checkUnitListBytes);
    return target;
}

fs::path downloadPasswordList(const std::string& unit, const fs::path& temp)
{
    makeFolder(temp);
    for (const auto& old : sameNameFiles(temp, "pass.dat")) {
        std::error_code ec;
        fs::remove(old, ec);
        if (ec) throw TolvError("古いパスワードファイルを削除できません: " + old.string());
    }
    fs::path target = temp / "pass.dat";
    downloadChecked(withSlash(unit) + "pass.dat", target, checkPasswordListBytes, true);
    return target;
}

void removePasswordList(const fs::path& temp)
{
    std::string failed;
    for (const auto& p : sameNameFiles(temp, "pass.dat")) {
        std::error_code ec;
        fs::remove(p, ec);
        if (ec) failed += "\n" + p.string();
    }
    if (!failed.empty()) throw TolvError("パスワードファイルを削除できません:" + failed);
}

bool clubLoginMatches(const std::string& unit, const fs::path& temp, const std::string& clubCode, const std::string& password)
{
    bool matches = false;
    try {
        matches = passwordMatches(downloadPasswordList(unit, temp), clubCode, password);
    } catch (...) {
        removePasswordList(temp);
        throw;
    }
    removePasswordList(temp);
    return matches;
}

fs::path downloadUnitFlags(const std::string& unit, const fs::path& temp)
{
    makeFolder(temp);
    fs::path target = temp / "kanriken.ctl";
    downloadChecked(withSlash(unit) + "kanriken.ctl", target, checkUnitFlagsBytes);
    return target;
}

fs::path downloadPrefectureTable(const std::string& address, const fs::path& ctl)
{
    makeFolder(ctl);
    fs::path target = ctl / "ken.ctl";
    downloadChecked(withSlash(address) + "ctl/ken.ctl", target, checkPrefectureTable);
    return target;
}

const std::vector<std::string>& masterFileNames()
{
    static const std::vector<std::string> names{"dantai.dat", "kozin.dat",  "indexb.dat", "indexk.dat",
                                                "indexn.dat", "indexq.dat", "indext.dat"};
    return names;
}

void downloadMasterFiles(const std::string& unit, int prefecture, MasterSex sex, const fs::path& temp, bool needTeamList,
                         const std::string& putAsideAs)
{
    const std::string base = withSlash(unit) + prefectureFolderName(prefecture) + "/" + sexFolderName(sex, false) + "/";
    makeFolder(temp);
    const fs::path staging = temp / kStagingFolder;
    std::error_code ec;
    fs::remove_all(staging, ec); // left over from an interrupted run
    makeFolder(staging);

    // Each file is checked as it arrives (a body that is no such file is discarded and named, an
    // optional one simply left out), then the athlete indexes against the athlete count.
    std::vector<std::string> arrived;
    try {
        int athletes = 0;
        for (const auto& name : masterFileNames()) {
            FormatCheck check = [](const std::string&, const std::string&) {};
            if (name == "dantai.dat") check = checkTeamListBytes;
            if (name == "kozin.dat")
                check = [&athletes](const std::string& b, const std::string& n) { athletes = checkAthleteListBytes(b, n); };
            try {
                downloadChecked(base + name, staging / name, check);
                arrived.push_back(name);
            } catch (const TolvError&) {
                if (!isOptionalMaster(name, needTeamList)) throw;
            }
        }
        checkIndexBytes(fileBytes(staging / "indexq.dat"), kIndexQRecord, kIndexQKey, athletes, base + "indexq.dat");
        checkIndexBytes(fileBytes(staging / "indext.dat"), kIndexTRecord, kIndexTKey, athletes, base + "indext.dat");
    } catch (...) {
        fs::remove_all(staging, ec);
        throw;
    }

    // Every required file is here: the new set replaces the old one. Copies in another letter case
    // go first so a later case-insensitive look-up cannot pick an old one.
    std::string failed;
    for (const auto& name : masterFileNames()) {
        bool isNew = std::find(arrived.begin(), arrived.end(), name) != arrived.end();
        bool putAside = false;
        for (const auto& old : sameNameFiles(temp, name)) {
            std::error_code rc;
            if (!putAsideAs.empty() && old.filename() == name) {
                fs::rename(old, temp / (putAsideAs + name), rc);
                putAside = !rc;
            } else {
                if (isNew && old.filename() == name) continue; // replaced by the rename below
                fs::remove(old, rc);
            }
            if (rc) failed += "\n" + old.string();
        }
        if (!putAsideAs.empty() && !putAside) {
            // The set put aside lacks this file: no older copy of it may wait under its name.
            std::error_code rc;
            fs::remove(temp / (putAsideAs + name), rc);
        }
        if (isNew) {
            std::error_code rc;
            fs::rename(staging / name, temp / name, rc);
            if (rc) failed += "\n" + (temp / name).string();
        }
    }
    fs::remove_all(staging, ec);
    if (!failed.empty()) throw TolvError("登録データを置き換えられません:" + failed);
}

std::string keptMasterPrefix(int prefecture, MasterSex sex)
{
    return prefectureFolderName(prefecture) + "." + sexFolderName(sex, false) + ".";
}

void useMasterFiles(const std::string& unit, int prefecture, MasterSex sex, const fs::path& temp, bool needTeamList,
                    int inUsePrefecture, MasterSex inUseSex)
{
    const std::string aside = inUsePrefecture > 0 ? keptMasterPrefix(inUsePrefecture, inUseSex) : std::string();
    const std::string wanted = keptMasterPrefix(prefecture, sex);
    std::error_code ec;
    if (!fs::exists(temp / (wanted + "kozin.dat"), ec)) {
        downloadMasterFiles(unit, prefecture, sex, temp, needTeamList, aside);
        return;
    }
    // Fetched earlier in the run: the two sets change places.
    std::string failed;
    for (const auto& name : masterFileNames()) {
        bool putAside = false;
        for (const auto& old : sameNameFiles(temp, name)) {
            std::error_code rc;
            if (!aside.empty() && old.filename() == name) {
                fs::rename(old, temp / (aside + name), rc);
                putAside = !rc;
            } else {
                fs::remove(old, rc);
            }
            if (rc) failed += "\n" + old.string();
        }
        std::error_code rc;
        // The set put aside lacks this file: no older copy may wait under its name.
        if (!aside.empty() && !putAside) fs::remove(temp / (aside + name), rc);
        if (fs::exists(temp / (wanted + name), rc)) {
            fs::rename(temp / (wanted + name), temp / name, rc);
            if (rc) failed += "\n" + (temp / name).string();
        }
    }
    if (!failed.empty()) throw TolvError("登録データを置き換えられません:" + failed);
}

MasterPaths localMasterPaths(const fs::path& root, int prefecture, MasterSex sex)
{
    fs::path ken = findNoCase(root, prefectureFolderName(prefecture));
    fs::path sexDir = findNoCase(ken, sexFolderName(sex, true));
    return MasterPaths{findNoCase(ken, "dantai.dat"), findNoCase(sexDir, "kozin.dat"), findNoCase(sexDir, "IndexQ.dat"),
                       findNoCase(sexDir, "IndexT.dat")};
}

MasterPaths downloadedMasterPaths(const fs::path& temp)
{
    return MasterPaths{findNoCase(temp, "dantai.dat"), findNoCase(temp, "kozin.dat"), findNoCase(temp, "indexq.dat"),
                       findNoCase(temp, "indext.dat")};
}

void createLocalMasterFolders(const fs::path& root, int prefecture)
{
    std::error_code ec;
    // The root itself is the user's choice; a root that is not there is a wrong setting, not
    // something to create.
    if (!fs::is_directory(root, ec)) throw TolvError("登録データのフォルダがありません: " + root.string());
    fs::path ken = findNoCase(root, prefectureFolderName(prefecture));
    makeFolder(ken);
    for (MasterSex sex : {MasterSex::Male, MasterSex::Female}) makeFolder(findNoCase(ken, sexFolderName(sex, true)));
}

} // namespace tolv
