#include "reports/AtomicFile.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tolv::reports {

AtomicFile::AtomicFile(const std::filesystem::path& target, const std::string& tempName) : target_(target)
{
    temp_ = target.parent_path() / (tempName.empty() ? target.filename().string() + ".tmp" : tempName);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) throw TolvError("一時ファイルを作成できません: " + temp_.string() + " (" + std::strerror(errno) + ")");
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
    }
}

void AtomicFile::fail(const std::string& what)
{
    int e = errno;
    throw TolvError(what + ": " + temp_.string() + " (" + std::strerror(e) + ")");
}

void AtomicFile::writeAt(long long offset, std::string_view bytes)
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("一時ファイルに書き込めません");
        }
        done += static_cast<std::size_t>(n);
    }
}

void AtomicFile::write(std::string_view bytes)
{
    off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) fail("一時ファイルに書き込めません");
    writeAt(end, bytes);
}

void AtomicFile::commit()
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (::fsync(fd_) != 0) fail("一時ファイルを書き出せません");
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("一時ファイルを閉じられません");
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        int e = errno;
        throw TolvError("ファイルを置き換えられません: " + target_.string() + " (" + std::strerror(e) + ")");
    }
    committed_ = true;
    // Make the rename itself durable.
    std::filesystem::path dir = target_.parent_path().empty() ? "." : target_.parent_path();
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

void replaceFile(const std::filesystem::path& target, std::string_view bytes)
{
    AtomicFile f(target);
    f.write(bytes);
    f.commit();
}

} // namespace tolv::reports
