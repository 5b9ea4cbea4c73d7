// The Windows half of PlainFile.h. A link on Windows is a reparse point that names another file (a
// symbolic link or a junction): the file is opened with FILE_FLAG_OPEN_REPARSE_POINT, so such a link
// is opened itself and recognised by its tag, never followed. Folders are opened too
// (FILE_FLAG_BACKUP_SEMANTICS) to be named as such; devices and pipes are not disk files. The kind
// and the size are judged on the opened handle, so nothing can be swapped in between. The handle is
// kept as a C runtime descriptor (fd_), so the class is the same on both systems.
#include "platform/PlainFile.h"

#include "platform/Error.h"
#include "platform/SystemErrors.h"
#include "platform/win32/Wide.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace tolv {

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

[[noreturn]] void refuse(const fs::path& file, const std::string& problem)
{
    throw TolvError("ファイルを読めません: " + file.string() + "（" + problem + "）");
}

bool isAbsence(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE;
}

// Opens `file` for reading (or only for its attributes), the last element not followed when
// `followLink` is false. The handle is invalid when it cannot be opened (GetLastError says why).
win32::Handle openHandle(const fs::path& file, DWORD access, bool followLink)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return win32::Handle(::CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, flags, nullptr));
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
    if (::GetFileType(h) != FILE_TYPE_DISK) return "通常のファイルではありません（FIFO・装置など）";
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) return reasonText(win32::errnoOf(::GetLastError()));
    if (reparseOf(h, info.dwFileAttributes) == Reparse::Link) return "シンボリックリンクのため読みません";
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "ファイルではなくフォルダです";
    LARGE_INTEGER bytes{};
    if (!::GetFileSizeEx(h, &bytes)) return reasonText(win32::errnoOf(::GetLastError()));
    size = static_cast<std::uint64_t>(bytes.QuadPart);
    if (size > maxBytes)
        return "大きすぎます（" + std::to_string(size) + " バイト、この種類のファイルは " + std::to_string(maxBytes) +
               " バイトまで）";
    return {};
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

// Reads at most `count` bytes at the handle's position; the count read (0 at the end).
std::size_t readSome(const fs::path& file, HANDLE h, char* into, std::size_t count, OVERLAPPED* at)
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

std::optional<std::string> readPlainFile(const fs::path& file, std::uint64_t maxBytes)
{
    PlainFileReader in(file, maxBytes);
    if (!in.isOpen()) return std::nullopt;
    std::string out = in.readAt(0, static_cast<std::size_t>(in.size()));
    if (out.size() < in.size()) refuse(file, reasonText(EIO));
    return out;
}

PlainFileReader::PlainFileReader(const fs::path& file, std::uint64_t maxBytes, bool followLink) : file_(file)
{
    fd_ = openPlain(file, maxBytes, size_, followLink);
}

PlainFileReader::~PlainFileReader()
{
    if (fd_ >= 0) ::_close(fd_);
}

std::string PlainFileReader::readAt(std::uint64_t offset, std::size_t count)
{
    std::string out;
    if (fd_ < 0 || offset >= size_) return out;
    if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
    out.resize(count);
    const HANDLE h = handleOf(fd_);
    // A read at an offset moves the handle's position on Windows: it is put back for nextLine().
    LARGE_INTEGER zero{}, position{};
    ::SetFilePointerEx(h, zero, &position, FILE_CURRENT);
    std::size_t done = 0;
    while (done < count) {
        OVERLAPPED at{};
        const std::uint64_t pos = offset + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        const std::size_t n = readSome(file_, h, out.data() + done, count - done, &at);
        if (n == 0) break;
        done += n;
    }
    ::SetFilePointerEx(h, position, nullptr, FILE_BEGIN);
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
    const std::size_t n = readSome(file_, handleOf(fd_), piece, sizeof piece, nullptr);
    if (n == 0) {
        eof_ = true;
        return false;
    }
    buf_.append(piece, n);
    return true;
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
