#pragma once
// Automatic backups of bulk changes. Before a command rewrites an entry file whole (or the tally its
// team totals file "<base>.zed"), the file and its .zed are copied into the working tree's backup
// folder (c:\tolvsys\backup), one folder per entry file, named by the time and the command. The last
// backupsKept() copies per entry file are kept; older ones are removed.
//
// The folder's record ("index.txt", tab-separated UTF-8 lines) says what belongs to the entry file:
//   entry   IDENTITY DIGEST        the entry file the backups were taken from (FileIdentity) and the
//                                  digest of what the last command left in it (newest first, at
//                                  most two: the one being put in place and the one before)
//   step    NAME ZEP ZED COMMAND SEAL LABEL
//                                  one backup, newest first: its file name without extension, the
//                                  digests of its .zep and .zed ("-" when there was none), the
//                                  command, the seal and the label (what the step worked on, e.g.
//                                  the merged files; may be empty)
//   merged  STAMP SIZE DIGEST STEP SOURCE   a source a merge appended, and the backup of that merge
// The seal is a keyed digest (under a secret kept in the control folder, never in the backup
// folder) of the entry file's path, the step's name and the SHA-256 of the copies' bytes: a copy
// swapped in the folder, or another entry file's backup, cannot be passed off by rewriting the
// record. Backups the record does not name (dropped into the folder, left by an older version) are
// never listed; a file made anew at the same path has another identity and so no backups.
//
// The record and the copies are read as foreign input: step names must be plain names of their form,
// the record holds at most what the writer puts in it, a link, a folder or another kind of file is
// refused with the reason; the copies and the record are written without following links.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolv {

// The number of steps kept per entry file when no setting says otherwise, and the range of the
// setting (ctl/backups.ctl: one number).
constexpr int kBackupsKeptDefault = 50;
constexpr int kBackupsKeptMax = 999;
int backupsKept();

struct BackupInfo {
    std::filesystem::path file; // the copy of the entry file
    std::filesystem::path zed;  // the copy of the team totals file, empty when there was none
    std::string stamp;          // "YYYY-MM-DD hh:mm:ss"
    std::string command;        // as the command named itself ("merge", "rewrite-age", …)
    std::string label;          // what the step worked on (the merged files), may be empty
    // The step in the user's words: the menu caption of the command ("申込データ結合", "年令書き直し"),
    // with the label after it ("申込データ結合（club1.zep、club2.zep）").
    std::string caption() const;
};

// The menu caption of a command name; the name itself when it has none.
std::string stepCaption(const std::string& command);
// A command with the label its backup step shows (e.g. the merged files' names); what commands
// that back up the file take as their command.
std::string labelledCommand(const std::string& command, const std::string& label);

// The folder that holds the backups of one entry file.
std::filesystem::path backupFolderFor(const std::filesystem::path& entry);

// Copies entry (and its .zed) before a change made by `command`. A missing entry file is no error
// (nothing to back up). Throws when the copy cannot be made: the change must not go ahead then.
// Backups of a former file at the same path are moved aside first.
void makeBackup(const std::filesystem::path& entry, const std::string& command);

// Records what a command leaves in the entry file: `replacement` (a finished temporary file about
// to be renamed over the entry file, with the digest of its bytes) or, without one, the entry file
// as it is now. Called before the rename, so that a kill between the two still finds the backups.
void noteEntryWritten(const std::filesystem::path& entry, const std::filesystem::path& replacement = {},
                      const std::string& digest = {});

// The backups of an entry file that belong to it, newest first.
std::vector<BackupInfo> listBackups(const std::filesystem::path& entry);

// What an undo of backup `step` (0 = newest of listBackups) would do. Throws TolvError saying why
// when the backup cannot be restored: not a regular file (a folder, a symbolic link), not the bytes
// that were backed up (another entry file's backup put in its place, a rewritten record). What the
// bytes hold is not judged: a backup that is what was backed up is the user's own file.
struct UndoCheck {
    BackupInfo step;
    // The entry file is no longer what the last command left (changed since, e.g. by the entry
    // window): the undo would lose that change, so the user is asked first.
    bool changedSince = false;
    // The checked bytes, restored as they are (read and checked once).
    std::string zep, zed;
    std::string name; // the step's name in the record
};
UndoCheck checkUndo(const std::filesystem::path& entry, std::size_t step = 0);
// The question for a changed file.
std::string changedSinceQuestion(const std::filesystem::path& entry);

// Puts backup `step` back in place of the entry file (and its .zed: one that did not exist then is
// removed), after the checks of checkUndo. The file it replaces becomes a backup itself ("undo"),
// so the undo can be undone; the restored backup is removed. Merge records made by that step or
// later ones go with it. The caller holds the entry file's lock. Throws when there is none.
BackupInfo restoreBackup(const std::filesystem::path& entry, std::size_t step = 0);
// The same with the bytes a checkUndo of this entry file read (no second reading).
BackupInfo restoreBackup(const std::filesystem::path& entry, const UndoCheck& checked);
BackupInfo restoreLatestBackup(const std::filesystem::path& entry);

// --- the merge record ---------------------------------------------------------------------------

struct MergedSource {
    std::string stamp; // "YYYY-MM-DD hh:mm:ss"
    long long size = 0;
    std::string digest; // ContentDigest of the source's bytes
    std::string source; // the path it was merged from
};
// An earlier merge of these bytes into this entry file, if any.
std::optional<MergedSource> findMergedSource(const std::filesystem::path& entry, long long size, const std::string& digest);
// Records sources appended by the merge whose backup is the newest one.
void recordMergedSources(const std::filesystem::path& entry, const std::vector<MergedSource>& sources);

// The team totals file that belongs to an entry file: base name + ".zed".
std::filesystem::path teamTotalsPathFor(const std::filesystem::path& entry);

} // namespace tolv
