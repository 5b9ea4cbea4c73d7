#pragma once
// Automatic backups of bulk changes. Before a command rewrites an entry file whole, the file (and its
// team totals file "<base>.zed", when there is one) is copied into the working tree's backup folder
// (c:\tolvsys\backup), one folder per entry file, named by the time and the command. The last
// kBackupsKept copies per entry file are kept; older ones are removed.
#include <filesystem>
#include <string>
#include <vector>

namespace tolv {

constexpr int kBackupsKept = 10;

struct BackupInfo {
    std::filesystem::path file;     // the copy of the entry file
    std::filesystem::path zed;      // the copy of the team totals file, empty when there was none
    std::string stamp;              // "YYYY-MM-DD hh:mm:ss"
    std::string command;
};

// The folder that holds the backups of one entry file.
std::filesystem::path backupFolderFor(const std::filesystem::path& entry);

// Copies entry (and its .zed) before a change made by `command`. A missing entry file is no error
// (nothing to back up). Throws when the copy cannot be made: the change must not go ahead then.
void makeBackup(const std::filesystem::path& entry, const std::string& command);

// The backups of an entry file, newest first.
std::vector<BackupInfo> listBackups(const std::filesystem::path& entry);

// Puts the newest backup back in place of the entry file (and its .zed: one that did not exist
// then is removed), each replaced whole. The backup itself is then removed, so a second undo goes
// one step further back. The caller holds the entry file's lock. Throws when there is none.
BackupInfo restoreLatestBackup(const std::filesystem::path& entry);

// The team totals file that belongs to an entry file: base name + ".zed".
std::filesystem::path teamTotalsPathFor(const std::filesystem::path& entry);

} // namespace tolv
