// The POSIX half of AtomicFile.h: open(2) with O_EXCL, pwrite(2), fsync(2) and rename(2), the
// folder synced after the rename so that the rename itself is durable.
#include "platform/AtomicFile.h"

#include "platform/Error.h"
#include "platform/SystemErrors.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolv {

namespace fs = std::filesystem;

AtomicFile::AtomicFile(const fs::path& target, unsigned newFileMode, Links links)
    : final_(links == Links::Follow ? resolveLinks(target) : target)
{
    temp_ = temporaryFor(final_);
    struct stat st {};
    // A link that is replaced lends nothing of its target (permissions, owner).
    const bool exists =
        links == Links::Follow ? ::stat(final_.c_str(), &st) == 0 : ::lstat(final_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const mode_t mode = exists ? (st.st_mode & 07777) : static_cast<mode_t>(newFileMode);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        const int e = errno;
        throw systemError("一時ファイルを作成できません: " + temp_.string(), e);
    }
    // Set the final permissions on the descriptor (umask does not apply to fchmod); the owner is
    // kept where the file system lets us.
    ::fchmod(fd_, mode);
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0) { /* not permitted: keep ours */
        }
        ::fchmod(fd_, mode);
    }
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !kept_) {
        std::error_code ec;
        fs::remove(temp_, ec);
    }
}

void AtomicFile::fail(const std::string& what)
{
    int e = errno;
    throw systemError(what + ": " + final_.string(), e);
}

void AtomicFile::writeAt(long long offset, std::string_view bytes)
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("ファイルに書き込めません");
        }
        if (n == 0) {
            errno = ENOSPC;
            fail("ファイルに書き込めません");
        }
        done += static_cast<std::size_t>(n);
    }
    end_ = std::max(end_, offset + static_cast<long long>(bytes.size()));
}

void AtomicFile::setMode(unsigned mode)
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (::fchmod(fd_, static_cast<mode_t>(mode)) != 0) fail("ファイルの許可を設定できません");
}

void AtomicFile::prepare()
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (::fsync(fd_) != 0) fail("ファイルを書き出せません");
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("ファイルを閉じられません");
    prepared_ = true;
}

void AtomicFile::commit()
{
    if (!prepared_) prepare();
    enforce(!committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (auto& hook = beforeRenameHook()) hook(temp_);
    if (::rename(temp_.c_str(), final_.c_str()) != 0) fail("ファイルを置き換えられません");
    committed_ = true;
    // Make the rename itself durable.
    fs::path dir = final_.parent_path().empty() ? "." : final_.parent_path();
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace tolv
