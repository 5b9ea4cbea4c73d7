// The POSIX half of InputFile (FileReading.h): a read-only descriptor, read(2) and fstat(2).
#include "platform/FileReading.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolv {

InputFile::InputFile(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        handle_ = fd;
        return;
    }
    error_ = errno;
    absent_ = error_ == ENOENT;
}

InputFile::~InputFile()
{
    if (isOpen()) ::close(static_cast<int>(handle_));
}

long long InputFile::size()
{
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return -1;
    }
    return st.st_size > 0 ? static_cast<long long>(st.st_size) : 0;
}

long long InputFile::read(char* into, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(static_cast<int>(handle_), into + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

} // namespace tolv
