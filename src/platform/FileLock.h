#pragma once
// One writer at a time: an advisory lock on a small lock file beside the file it guards
// (".<name>.lock"), taken with flock(2). The lock file is never replaced, so the lock holds across
// the whole-file replacements of the guarded file, and the kernel drops it when its holder dies:
// a lock left by a killed process is never stale.
//
// Writers take it exclusively and make the lock file; readers take it shared where it exists and
// never make one (a file no writer of this system ever held has nothing to respect). Taking it
// never waits: a lock held by another writer (or, for a writer, by a reader) is refused at once
// with "他のプログラムが使用中です" and the file's name. Two FileLocks on one file conflict even
// within one process, so a command running inside the window uses the window's lock instead of
// taking its own.
#include <filesystem>
#include <string>

namespace tolv {

class FileLock {
public:
    enum class Kind { Shared, Exclusive };

    FileLock() = default;
    // Locks `guarded` (symbolic links followed). Throws TolvError when the lock is held elsewhere.
    FileLock(const std::filesystem::path& guarded, Kind kind);
    ~FileLock();
    FileLock(FileLock&& o) noexcept;
    FileLock& operator=(FileLock&& o) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return fd_ >= 0; }
    Kind kind() const { return kind_; }
    void release();

    // The lock file that guards `guarded`.
    static std::filesystem::path lockPathFor(const std::filesystem::path& guarded);

private:
    int fd_ = -1;
    Kind kind_ = Kind::Shared;
};

// The message for a file that another program holds.
std::string inUseMessage(const std::filesystem::path& file);

} // namespace tolv
