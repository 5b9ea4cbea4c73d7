#pragma once
// The working tree (c:\tolvsys with ctl and temp) and the mapping of Windows-form paths to host paths.
//
// The working tree is $TOLVSYS_HOME when set, else $XDG_DATA_HOME/tolvsys (~/.local/share/tolvsys).
// Drive C is the folder that holds the working tree, so c:\tolvsys\ctl is <home>/ctl and c:\data is
// <parent of home>/data. Other drive letters come from TOLVSYS_DRIVE_<LETTER> (e.g. TOLVSYS_DRIVE_A
// for the floppy drive); a letter without a mapping is a drive that is not ready.
// On Windows the working tree is c:\tolvsys itself unless TOLVSYS_HOME names another, and then
// the drive paths are the system's own drives (the map above applies to a TOLVSYS_HOME tree).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolv {

namespace fs = std::filesystem;

// Root of the working tree and its two fixed folders.
fs::path homeDir();
fs::path ctlDir();
fs::path tempDir();

// Creates the working tree folders that are missing (root first).
void ensureWorkTree();

// A drive letter's host folder, or nothing when the drive is not mapped (not ready).
std::optional<fs::path> driveRoot(char letter);
// Drive letters that are mapped, in order, lower case ("c" always first).
std::vector<char> mappedDrives();

// Maps a path as stored in the control files ("c:\data\", "d:", "/home/x") to a host path.
// Host absolute paths pass unchanged; relative paths are taken against the working tree. A drive
// path whose ".." would climb above the drive's folder ("c:\..\x") is refused (TolvError).
fs::path toHostPath(const std::string& storedPath);

// The stored (Windows) form for a host path: inside a mapped drive "x:\a\b\", else the host path.
std::string toStoredPath(const fs::path& host, bool folder);

// The rule for folder fields: a missing trailing separator is added ("c:\data" -> "c:\data\";
// "/tmp/x" -> "/tmp/x/").
std::string withTrailingSeparator(const std::string& folder);

// Looks a name up in a folder without regard to letter case; returns folder/name as it exists on
// disk, or folder/name as given when nothing matches.
fs::path findNoCase(const fs::path& folder, const std::string& name);
// The same along every element of a relative path ("ken13/Otoko/IndexQ.dat").
fs::path resolveNoCase(const fs::path& base, const std::string& relative);

} // namespace tolv
