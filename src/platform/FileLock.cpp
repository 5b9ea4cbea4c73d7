// The POSIX half of FileLock.h: flock(2) on the lock file, without waiting (LOCK_NB).
#include "platform/FileLock.h"

#include "platform/Error.h"
#include "platform/SystemErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tolv {

namespace fs = std::filesystem;

FileLock::FileLock(const fs::path& guarded, Kind kind) : kind_(kind)
{
    const fs::path lockPath = lockPathFor(guarded);
    // Only writers make the lock file: a reader (the merge reading a club's file, verify) leaves
    // nothing behind in a folder. Where no writer ever made one there is none to respect, and a
    // writer that starts meanwhile replaces the file whole, so what the reader opened stays whole.
    fd_ = kind == Kind::Shared ? ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC)
                               : ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        if (kind == Kind::Shared) return;
        const int e = errno;
        throw systemError("ロックファイルを作成できません: " + lockPath.string(), e);
    }
    int op = (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    while (::flock(fd_, op) != 0) {
        if (errno == EINTR) continue;
        int e = errno;
        ::close(fd_);
        fd_ = -1;
        if (e == EWOULDBLOCK) throw TolvError(inUseMessage(guarded), ErrorKind::InUse, e);
        throw systemError("ファイルをロックできません: " + guarded.string(), e);
    }
}

void FileLock::release()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace tolv
