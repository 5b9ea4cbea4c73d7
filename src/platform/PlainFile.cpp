#include "platform/PlainFile.h"

#include "platform/Error.h"
#include "platform/SystemErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolv {

namespace fs = std::filesystem;

namespace {

std::string kindProblem(const struct stat& st, std::uint64_t maxBytes)
{
    if (S_ISLNK(st.st_mode)) return "シンボリックリンクのため読みません";
    if (S_ISDIR(st.st_mode)) return "ファイルではなくフォルダです";
    if (!S_ISREG(st.st_mode)) return "通常のファイルではありません（FIFO・装置など）";
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return "大きすぎます（" + std::to_string(st.st_size) + " バイト、この種類のファイルは " + std::to_string(maxBytes) +
               " バイトまで）";
    return {};
}

[[noreturn]] void refuse(const fs::path& file, const std::string& problem)
{
    throw TolvError("ファイルを読めません: " + file.string() + "（" + problem + "）");
}

// Opens without following a link at the last element and without blocking on a FIFO; the kind and
// the size are judged on the opened file, so nothing can be swapped in between.
int openPlain(const fs::path& file, std::uint64_t maxBytes, std::uint64_t& size, bool followLink)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW) | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT) return -1;
        struct stat st {};
        if (e == ELOOP && ::lstat(file.c_str(), &st) == 0) refuse(file, kindProblem(st, maxBytes));
        refuse(file, reasonText(e));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        refuse(file, reasonText(e));
    }
    const std::string problem = kindProblem(st, maxBytes);
    if (!problem.empty()) {
        ::close(fd);
        refuse(file, problem);
    }
    // Reads block normally again (a regular file never would, but the flag is the file's).
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

} // namespace

PlainFileState plainFileState(const fs::path& file, std::uint64_t maxBytes)
{
    PlainFileState s;
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            s.present = true;
            s.problem = reasonText(errno);
        }
        return s;
    }
    s.present = true;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.problem = kindProblem(st, maxBytes);
    return s;
}

std::optional<std::string> readPlainFile(const fs::path& file, std::uint64_t maxBytes)
{
    PlainFileReader in(file, maxBytes);
    if (!in.isOpen()) return std::nullopt;
    std::string out = in.readAt(0, static_cast<std::size_t>(in.size()));
    // A file that grew after it was opened is read only as far as its format allows.
    if (out.size() < in.size()) refuse(file, reasonText(EIO));
    return out;
}

PlainFileReader::PlainFileReader(const fs::path& file, std::uint64_t maxBytes, bool followLink) : file_(file)
{
    fd_ = openPlain(file, maxBytes, size_, followLink);
}

PlainFileReader::~PlainFileReader()
{
    if (fd_ >= 0) ::close(fd_);
}

std::string PlainFileReader::readAt(std::uint64_t offset, std::size_t count)
{
    std::string out;
    if (fd_ < 0 || offset >= size_) return out;
    if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
    out.resize(count);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out.data() + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) refuse(file_, reasonText(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return out;
}

bool PlainFileReader::fill()
{
    if (eof_ || fd_ < 0) return false;
    if (at_ > 0) {
        buf_.erase(0, at_);
        at_ = 0;
    }
    char piece[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd_, piece, sizeof piece);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) refuse(file_, reasonText(errno));
        if (n == 0) {
            eof_ = true;
            return false;
        }
        buf_.append(piece, static_cast<std::size_t>(n));
        return true;
    }
}

bool PlainFileReader::nextLine(std::string& line, std::size_t maxLine)
{
    for (;;) {
        const std::size_t lf = buf_.find('\n', at_);
        if (lf != std::string::npos) {
            if (lf - at_ > maxLine) refuse(file_, "行が長すぎます");
            line.assign(buf_, at_, lf - at_);
            at_ = lf + 1;
            return true;
        }
        if (buf_.size() - at_ > maxLine) refuse(file_, "行が長すぎます");
        if (!fill()) {
            if (at_ >= buf_.size()) return false;
            line.assign(buf_, at_, std::string::npos);
            at_ = buf_.size();
            return true;
        }
    }
}

} // namespace tolv
