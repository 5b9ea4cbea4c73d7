// The parts of FileLock.h the same on every system: where the lock file lies, the message for a
// file in use, and the moves of a held lock.
#include "platform/FileLock.h"

#include "platform/AtomicFile.h"

namespace tolv {

namespace fs = std::filesystem;

std::string inUseMessage(const fs::path& file) { return "他のプログラムが使用中です: " + file.string(); }

fs::path FileLock::lockPathFor(const fs::path& guarded)
{
    fs::path real = resolveLinks(guarded);
    return real.parent_path() / ("." + real.filename().string() + ".lock");
}

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& o) noexcept : fd_(o.fd_), kind_(o.kind_) { o.fd_ = -1; }

FileLock& FileLock::operator=(FileLock&& o) noexcept
{
    if (this != &o) {
        release();
        fd_ = o.fd_;
        kind_ = o.kind_;
        o.fd_ = -1;
    }
    return *this;
}

} // namespace tolv
