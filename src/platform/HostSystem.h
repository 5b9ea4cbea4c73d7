#pragma once
// The calls of the operating system that code outside platform/ needs: whether the input is a
// terminal, the identity of a file, shared modules, positioned reads and the user's number. With
// AtomicFile (renames, syncs) and FileLock (locks) these are the only places that include the
// system's own headers, so a port to another system replaces this folder alone.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace tolv {

// True when standard input is a terminal a question can be asked on.
bool standardInputIsTerminal();

// A file as its file system knows it (device and file number): two paths naming the same file, or
// a file left in place, give equal identities; a new file of the same name gives another.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& p);

// Loads a shared module (kept loaded for the rest of the run) and returns the address of `symbol`
// in it; nullptr with the system's reason in `why` when either cannot be had.
void* loadModuleSymbol(const std::filesystem::path& module, const char* symbol, std::string& why);

// Reads up to `size` bytes at byte `offset` of an open file (its stdio buffer flushed first) without
// moving its position; returns the count read, short only at the end of the file, or -1 on a read
// error (errno tells why).
long long readAt(std::FILE* f, char* buf, std::size_t size, long long offset);

// Tells the system that a large buffer not yet written to is about to be filled whole (a file read
// in one piece): it may back it with huge pages, so filling it takes one page fault per 2 MB
// instead of one per 4 KB. Only the part aligned to huge pages is advised; a system without them,
// or a small buffer, is left as it is. The buffer's contents are not changed.
void adviseWholeFill(void* buffer, std::size_t bytes);

// The number of the user running the program (for per-user folders).
unsigned long currentUserNumber();

// Opens a file with a C stdio mode ("rb", "r+b", "w+b"); nullptr with errno set when it cannot be
// opened. The path is given to the system in its own form (wide characters on Windows).
std::FILE* openFile(const std::filesystem::path& p, const char* mode);

// The size in bytes of an open file (its stdio buffer flushed first); -1 when the system cannot
// tell (errno tells why).
long long openFileSize(std::FILE* f);

// The number of this process, and whether the process of a number may still be running (a process
// that exists but belongs to someone else counts as running).
long currentProcessNumber();
bool processMayBeRunning(long number);

// Hands freed heap memory back to the system where the C library keeps it otherwise.
void releaseFreedMemory();

// Sets an environment variable of this process (for itself and the programs it starts).
void setEnvironment(const char* name, const std::string& value);

// The running program's own file (empty when the system cannot tell).
std::filesystem::path runningProgramPath();

// The working tree when TOLVSYS_HOME does not name one: c:\tolvsys on Windows, elsewhere
// $XDG_DATA_HOME/tolvsys (~/.local/share/tolvsys).
std::filesystem::path defaultWorkTree();

// The name an existing file or folder is stored under in its folder, as the file system spells it:
// on a system that matches names without regard to case, `existing` may be spelled otherwise
// ("KEN.CTL" found as "ken.ctl"); elsewhere it is returned as it is.
std::filesystem::path storedSpelling(const std::filesystem::path& existing);

// The root of a drive letter the system itself has (Windows: "x:\\" of a drive that exists);
// nothing on systems without drive letters.
std::optional<std::filesystem::path> systemDriveRoot(char letter);

} // namespace tolv
