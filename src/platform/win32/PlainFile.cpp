// The Windows half of PlainFile.h. A link on Windows is a reparse point that names another file (a
// symbolic link or a junction): the file is opened with FILE_FLAG_OPEN_REPARSE_POINT, so such a link
// is opened itself and recognised by its tag, never followed. Folders are opened too
// (FILE_FLAG_BACKUP_SEMANTICS) to be named as such; devices and pipes are not disk files. The kind
// and the size are judged on the opened handle, so nothing can be swapped in between. The handle is
// kept as a C runtime descriptor (fd_), so the class is the same on both systems.
#include "platform/PlainFile.h"

#include "platform/Error.h"
#include "platform/PlainFileShared.h"
#include "platform/SystemErrors.h"
#include "platform/win32/Wide.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace tolv {

namespace fs = std::filesystem;
using plainfile::refuse;

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

bool isAbsence(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE;
}

// Opens `file` for reading (or only for its attributes), the last element not followed when
// `followLink` is false. The handle is invalid when it cannot be opened (GetLastError says why).
win32::Handle openHandle(const fs::path& file, DWORD access, bool followLink)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return win32::Handle(::CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, flags, nullptr));
}

// What kind of reparse point the opened file is: none, a link (a name surrogate: symbolic link,
// junction) or another (a file kept by a cloud or deduplication service).
enum class Reparse { None, Link, Other };
Reparse reparseOf(HANDLE h, DWORD attributes)
{
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return Reparse::None;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag)) return Reparse::Link;
    return IsReparseTagNameSurrogate(tag.ReparseTag) ? Reparse::Link : Reparse::Other;
}

// Why the opened file is not a plain file of at most `maxBytes` bytes, or nothing; `size` its size.
std::string kindProblem(HANDLE h, std::uint64_t maxBytes, std::uint64_t& size)
{
    if (::GetFileType(h) != FILE_TYPE_DISK) return plainfile::kOtherKindProblem;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) return reasonText(win32::errnoOf(::GetLastError()));
    if (reparseOf(h, info.dwFileAttributes) == Reparse::Link) return plainfile::kLinkProblem;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return plainfile::kFolderProblem;
    LARGE_INTEGER bytes{};
    if (!::GetFileSizeEx(h, &bytes)) return reasonText(win32::errnoOf(::GetLastError()));
    size = static_cast<std::uint64_t>(bytes.QuadPart);
    return plainfile::sizeProblem(size, maxBytes);
}

// A reparse point that is not a link is read through its own filter: it is opened again the
// ordinary way.
bool otherReparsePoint(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(h, &info) && reparseOf(h, info.dwFileAttributes) == Reparse::Other;
}

int openPlain(const fs::path& file, std::uint64_t maxBytes, std::uint64_t& size, bool followLink)
{
    win32::Handle h = openHandle(file, GENERIC_READ, followLink);
    if (h && !followLink && otherReparsePoint(h.get())) h = openHandle(file, GENERIC_READ, true);
    if (!h) {
        const DWORD e = ::GetLastError();
        if (isAbsence(e)) return -1;
        refuse(file, reasonText(win32::errnoOf(e)));
    }
    const std::string problem = kindProblem(h.get(), maxBytes, size);
    if (!problem.empty()) refuse(file, problem);
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h.get()), _O_RDONLY | _O_BINARY);
    if (fd < 0) refuse(file, reasonText(errno));
    h.release();
    return fd;
}

} // namespace

PlainFileState plainFileState(const fs::path& file, std::uint64_t maxBytes)
{
    PlainFileState s;
    win32::Handle h = openHandle(file, FILE_READ_ATTRIBUTES, false);
    if (!h) {
        const DWORD e = ::GetLastError();
        if (!isAbsence(e)) {
            s.present = true;
            s.problem = reasonText(win32::errnoOf(e));
        }
        return s;
    }
    s.present = true;
    s.problem = kindProblem(h.get(), maxBytes, s.size);
    return s;
}

PlainFileReader::PlainFileReader(const fs::path& file, std::uint64_t maxBytes, bool followLink) : file_(file)
{
    fd_ = openPlain(file, maxBytes, size_, followLink);
}

PlainFileReader::~PlainFileReader()
{
    if (fd_ >= 0) ::_close(fd_);
}

// Reads at most `count` bytes at the handle's position, or at `at`; the count read (0 at the end).
static std::size_t readHandle(const fs::path& file, HANDLE h, char* into, std::size_t count, OVERLAPPED* at)
{
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!::ReadFile(h, into, want, &got, at)) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_HANDLE_EOF) return 0;
        refuse(file, reasonText(win32::errnoOf(e)));
    }
    return got;
}

std::size_t PlainFileReader::readSome(char* into, std::size_t count)
{
    return readHandle(file_, handleOf(fd_), into, count, nullptr);
}

std::size_t PlainFileReader::readSomeAt(std::uint64_t offset, char* into, std::size_t count)
{
    const HANDLE h = handleOf(fd_);
    // A read at an offset moves the handle's position on Windows: it is put back for nextLine().
    LARGE_INTEGER zero{}, position{};
    ::SetFilePointerEx(h, zero, &position, FILE_CURRENT);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const std::size_t n = readHandle(file_, h, into, count, &at);
    ::SetFilePointerEx(h, position, nullptr, FILE_BEGIN);
    return n;
}

} // namespace tolv
