#include "storage/Backups.h"

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tolv {

namespace fs = std::filesystem;

namespace {

// FNV-1a of the entry file's absolute path: two files of one name in different folders get
// different backup folders.
std::string pathHash(const fs::path& p)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : p.string()) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return std::string(buf, 8);
}

// "20261208-214501-03-rewrite-kana.zep" -> stamp and command.
bool parseName(const std::string& name, BackupInfo& info)
{
    if (name.size() < 20 || name[8] != '-' || name[15] != '-' || name[18] != '-') return false;
    const std::string d = name.substr(0, 8), t = name.substr(9, 6);
    info.stamp = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + " " + t.substr(0, 2) + ":" +
                 t.substr(2, 2) + ":" + t.substr(4, 2);
    std::string rest = name.substr(19);
    info.command = rest.substr(0, rest.rfind('.'));
    return true;
}

std::string safeCommand(const std::string& command)
{
    std::string out;
    for (char c : command) out += (c == '/' || c == '\\' || c == '\0' || c == ' ') ? '_' : c;
    return out.empty() ? "change" : out;
}

} // namespace

fs::path teamTotalsPathFor(const fs::path& entry)
{
    std::string name = entry.filename().string();
    return entry.parent_path() / (name.substr(0, name.find('.')) + ".zed");
}

fs::path backupFolderFor(const fs::path& entry)
{
    fs::path real = fs::absolute(resolveLinks(entry)).lexically_normal();
    return homeDir() / "backup" / (real.filename().string() + "-" + pathHash(real));
}

void makeBackup(const fs::path& entry, const std::string& command)
{
    if (!fs::exists(entry)) return;
    const fs::path folder = backupFolderFor(entry);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw TolvError("バックアップフォルダを作成できません: " + folder.string() + " (" + ec.message() + ")");

    const DateTime t = now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    // Several backups within one second (or under a fixed clock) stay in order through a sequence.
    int seq = 0;
    for (const BackupInfo& b : listBackups(entry))
        if (b.file.filename().string().rfind(stamp, 0) == 0) seq = std::max(seq, std::stoi(b.file.filename().string().substr(16, 2)) + 1);
    if (seq > 99) seq = 99;
    char seqText[16];
    std::snprintf(seqText, sizeof seqText, "%02d", seq);
    const std::string base = std::string(stamp) + "-" + seqText + "-" + safeCommand(command);

    const fs::path zed = teamTotalsPathFor(entry);
    if (fs::exists(zed)) copyFileAtomically(zed, folder / (base + ".zed"));
    copyFileAtomically(entry, folder / (base + ".zep"));

    std::vector<BackupInfo> all = listBackups(entry);
    for (std::size_t i = static_cast<std::size_t>(kBackupsKept); i < all.size(); ++i) {
        fs::remove(all[i].file, ec);
        if (!all[i].zed.empty()) fs::remove(all[i].zed, ec);
    }
}

std::vector<BackupInfo> listBackups(const fs::path& entry)
{
    std::vector<BackupInfo> out;
    const fs::path folder = backupFolderFor(entry);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return out;
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() > 4 && name.substr(name.size() - 4) == ".zep") names.push_back(name);
    }
    std::sort(names.rbegin(), names.rend());
    for (const std::string& name : names) {
        BackupInfo info;
        if (!parseName(name, info)) continue;
        info.file = folder / name;
        fs::path zed = folder / (name.substr(0, name.size() - 4) + ".zed");
        if (fs::exists(zed)) info.zed = zed;
        out.push_back(info);
    }
    return out;
}

BackupInfo restoreLatestBackup(const fs::path& entry)
{
    std::vector<BackupInfo> all = listBackups(entry);
    if (all.empty()) throw TolvError("元に戻せるバックアップがありません: " + entry.string());
    const BackupInfo latest = all.front();
    const std::string entryBytes = readWholeFile(latest.file);
    const std::string zedBytes = latest.zed.empty() ? std::string() : readWholeFile(latest.zed);
    const fs::path zed = teamTotalsPathFor(entry);
    // The team totals file is replaced under its own lock: not while the lists window edits it.
    FileLock zedLock;
    if (!latest.zed.empty() || fs::exists(zed)) zedLock = FileLock(zed, FileLock::Kind::Exclusive);
    if (!latest.zed.empty()) {
        replaceFile(zed, zedBytes);
    } else {
        std::error_code ec;
        fs::remove(zed, ec);
    }
    replaceFile(entry, entryBytes);
    std::error_code ec;
    fs::remove(latest.file, ec);
    if (!latest.zed.empty()) fs::remove(latest.zed, ec);
    return latest;
}

} // namespace tolv
