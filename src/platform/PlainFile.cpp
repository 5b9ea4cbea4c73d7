// The POSIX half of PlainFile.h: open(2) with O_NOFOLLOW and O_NONBLOCK, the kind and size judged
// with fstat(2) on the opened descriptor, reads with read(2) and pread(2).
#include "platform/PlainFile.h"

#include "platform/Error.h"
#include "platform/PlainFileShared.h"
#include "platform/SystemErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolv {

namespace fs = std::filesystem;
using plainfile::refuse;

namespace {

std::string kindProblem(const struct stat& st, std::uint64_t maxBytes)
{
    if (S_ISLNK(st.st_mode)) return plainfile::kLinkProblem;
    if (S_ISDIR(st.st_mode)) return plainfile::kFolderProblem;
    if (!S_ISREG(st.st_mode)) return plainfile::kOtherKindProblem;
    return plainfile::sizeProblem(static_cast<std::uint64_t>(st.st_size), maxBytes);
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

PlainFileReader::PlainFileReader(const fs::path& file, std::uint64_t maxBytes, bool followLink) : file_(file)
{
    fd_ = openPlain(file, maxBytes, size_, followLink);
}

PlainFileReader::~PlainFileReader()
{
    if (fd_ >= 0) ::close(fd_);
}

std::size_t PlainFileReader::readSome(char* into, std::size_t count)
{
    for (;;) {
        const ssize_t n = ::read(fd_, into, count);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) refuse(file_, reasonText(errno));
        return static_cast<std::size_t>(n);
    }
}

std::size_t PlainFileReader::readSomeAt(std::uint64_t offset, char* into, std::size_t count)
{
    for (;;) {
        const ssize_t n = ::pread(fd_, into, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) refuse(file_, reasonText(errno));
        return static_cast<std::size_t>(n);
    }
}

} // namespace tolv
