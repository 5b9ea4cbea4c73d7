// The Windows half of FileLock.h: LockFileEx on the lock file beside the guarded file. The lock
// is taken without waiting (LOCKFILE_FAIL_IMMEDIATELY); Windows drops it when its holder's handle
// closes, also when the process dies. The handle is kept as a C runtime descriptor (fd_), so the
// class is the same on both systems.
#include "platform/FileLock.h"

#include "platform/Error.h"
#include "platform/SystemErrors.h"
#include "platform/win32/Wide.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace tolv {

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

} // namespace

FileLock::FileLock(const fs::path& guarded, Kind kind) : kind_(kind)
{
    const fs::path lockPath = lockPathFor(guarded);
    // Only writers make the lock file (see FileLock.h); the lock file itself is shared by all.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    win32::Handle h(kind == Kind::Shared ? ::CreateFileW(lockPath.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr)
                                         : ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        if (kind == Kind::Shared) return;
        const DWORD e = ::GetLastError();
        // Another program holding the lock file open without sharing is a program using it.
        if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION)
            throw TolvError(inUseMessage(guarded), ErrorKind::InUse, static_cast<int>(e));
        throw win32::systemErrorOf("ロックファイルを作成できません: " + lockPath.string(), e);
    }
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (kind == Kind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!::LockFileEx(h.get(), flags, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_LOCK_VIOLATION || e == ERROR_SHARING_VIOLATION || e == ERROR_IO_PENDING)
            throw TolvError(inUseMessage(guarded), ErrorKind::InUse, static_cast<int>(e));
        throw win32::systemErrorOf("ファイルをロックできません: " + guarded.string(), e);
    }
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(h.get()), _O_RDONLY);
    if (fd_ < 0)
        throw TolvError("ファイルをロックできません: " + guarded.string() + " (" + reasonText(errno) + ")", errorKindOf(errno),
                        errno);
    h.release();
}

void FileLock::release()
{
    if (fd_ >= 0) {
        OVERLAPPED whole{};
        ::UnlockFileEx(handleOf(fd_), 0, MAXDWORD, MAXDWORD, &whole);
        ::_close(fd_);
        fd_ = -1;
    }
}

} // namespace tolv
