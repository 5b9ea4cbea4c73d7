// The Windows half of AtomicFile.h on the Win32 API: the temporary file is made with CreateFileW
// (CREATE_NEW), written with WriteFile at explicit offsets, flushed with FlushFileBuffers and put
// in place with MoveFileExW (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), which returns only
// when the rename is on disk. The handle is kept as a C runtime descriptor (fd_), so the class is
// the same on both systems. Permission bits: Windows keeps only "read-only" (no owner write bit).
#include "platform/AtomicFile.h"

#include "platform/ContentDigest.h"
#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/SystemErrors.h"
#include "platform/win32/Wide.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

namespace tolv {

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

int lastErrno() { return win32::errnoOf(::GetLastError()); }

std::string uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    return "." + std::to_string(currentProcessNumber()) + "." + std::to_string(counter.fetch_add(1)) + ".tmp";
}

// Temporary files of this target left by a process that died before its rename: ".<name>.<pid>.<n>.tmp"
// whose process no longer runs.
void removeOrphans(const fs::path& target)
{
    const std::string prefix = "." + target.filename().string() + ".";
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path().empty() ? fs::path(".") : target.parent_path(), ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string rest = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        const std::size_t dot = rest.find('.');
        if (dot == 0 || dot == std::string::npos || rest.find_first_not_of("0123456789.") != std::string::npos) continue;
        const long pid = std::strtol(rest.substr(0, dot).c_str(), nullptr, 10);
        if (pid <= 0 || pid == currentProcessNumber() || processMayBeRunning(pid)) continue;
        std::error_code rc;
        fs::remove(it->path(), rc);
    }
}

void applyMode(const fs::path& file, unsigned mode)
{
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    const DWORD wanted = (mode & 0200) ? (attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)) : (attributes | FILE_ATTRIBUTE_READONLY);
    if (wanted != attributes) ::SetFileAttributesW(file.c_str(), wanted);
}

} // namespace

fs::path resolveLinks(const fs::path& p)
{
    fs::path cur = p;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(cur, ec)) return cur;
        fs::path next = fs::read_symlink(cur, ec);
        if (ec) return cur;
        cur = next.is_absolute() ? next : cur.parent_path() / next;
    }
    throw TolvError("シンボリックリンクが循環しています: " + p.string());
}

std::function<void(const fs::path&)>& AtomicFile::beforeRenameHook()
{
    static std::function<void(const fs::path&)> hook;
    return hook;
}

// Whether `file` is a link (a symbolic link or a junction: a reparse point that names another file).
static bool isLink(const fs::path& file)
{
    WIN32_FIND_DATAW found{};
    const HANDLE h = ::FindFirstFileW(file.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::FindClose(h);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(found.dwReserved0);
}

AtomicFile::AtomicFile(const fs::path& target, unsigned newFileMode, Links links)
    : final_(links == Links::Follow ? resolveLinks(target) : target)
{
    removeOrphans(final_);
    temp_ = final_.parent_path() / ("." + final_.filename().string() + uniqueSuffix());
    win32::Handle h(::CreateFileW(temp_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) throw win32::systemErrorOf("一時ファイルを作成できません: " + temp_.string(), ::GetLastError());
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(h.get()), _O_RDWR);
    if (fd_ < 0) throw TolvError("一時ファイルを作成できません: " + temp_.string());
    h.release();
    // The replacement keeps the old file's read-only attribute (a new file gets newFileMode's); a
    // link that is replaced lends nothing of its target.
    DWORD old = ::GetFileAttributesW(final_.c_str());
    if (links == Links::Replace && old != INVALID_FILE_ATTRIBUTES && ((old & FILE_ATTRIBUTE_DIRECTORY) || isLink(final_)))
        old = INVALID_FILE_ATTRIBUTES;
    applyMode(temp_, old == INVALID_FILE_ATTRIBUTES ? newFileMode : ((old & FILE_ATTRIBUTE_READONLY) ? 0444u : 0644u));
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) ::_close(fd_);
    if (!committed_ && !kept_) {
        applyMode(temp_, 0600);
        std::error_code ec;
        fs::remove(temp_, ec);
    }
}

// The reason is the last Win32 error: every caller fails right after the call that set it.
void AtomicFile::fail(const std::string& what)
{
    throw win32::systemErrorOf(what + ": " + final_.string(), ::GetLastError());
}

void AtomicFile::writeAt(long long offset, std::string_view bytes)
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED at{};
        const unsigned long long pos = static_cast<unsigned long long>(offset) + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(handleOf(fd_), bytes.data() + done, want, &put, &at)) fail("ファイルに書き込めません");
        if (put == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            fail("ファイルに書き込めません");
        }
        done += put;
    }
    end_ = std::max(end_, offset + static_cast<long long>(bytes.size()));
}

void AtomicFile::setMode(unsigned mode)
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    applyMode(temp_, mode);
}

void AtomicFile::write(std::string_view bytes)
{
    writeAt(end_, bytes);
}

void AtomicFile::prepare()
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (!::FlushFileBuffers(handleOf(fd_))) fail("ファイルを書き出せません");
    int fd = fd_;
    fd_ = -1;
    if (::_close(fd) != 0) {
        ::SetLastError(ERROR_WRITE_FAULT);
        fail("ファイルを閉じられません");
    }
    prepared_ = true;
}

void AtomicFile::commit()
{
    if (!prepared_) prepare();
    enforce(!committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (auto& hook = beforeRenameHook()) hook(temp_);
    // A read-only old file is made writable for the moment of the rename; it gets its mode back below.
    const DWORD old = ::GetFileAttributesW(final_.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesW(final_.c_str(), old & ~DWORD(FILE_ATTRIBUTE_READONLY));
    // MoveFileExW replaces a link at final_ itself (the rename never goes through it), so a
    // Links::Replace target that is a planted link is replaced, not written through.
    if (!::MoveFileExW(temp_.c_str(), final_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD e = ::GetLastError();
        if (old != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(final_.c_str(), old);
        ::SetLastError(e);
        fail("ファイルを置き換えられません");
    }
    committed_ = true;
}

namespace {

struct ReadHandle {
    win32::Handle h;
    explicit ReadHandle(const fs::path& file)
        : h(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
    {
    }
};

// Reads until `size` bytes or the end; the count read, or -1 on an error (errno set).
long long readFully(HANDLE h, char* buf, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        if (!::ReadFile(h, buf + done, want, &got, nullptr)) {
            if (::GetLastError() == ERROR_HANDLE_EOF || ::GetLastError() == ERROR_BROKEN_PIPE) break;
            errno = lastErrno();
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<long long>(done);
}

[[noreturn]] void unreadable(const fs::path& file, int error)
{
    throw TolvError("ファイルを読めません: " + file.string() + "（" + reasonText(error) + "）", errorKindOf(error), error);
}

std::optional<std::string> readOpened(const fs::path& file, bool absentIsNothing)
{
    ReadHandle in(file);
    if (!in.h) {
        const DWORD e = ::GetLastError();
        if (absentIsNothing && (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND)) return std::nullopt;
        // A folder cannot be opened without FILE_FLAG_BACKUP_SEMANTICS: ERROR_ACCESS_DENIED.
        std::error_code ec;
        if (fs::is_directory(file, ec)) unreadable(file, EISDIR);
        unreadable(file, win32::errnoOf(e));
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(in.h.get(), &size)) unreadable(file, lastErrno());
    std::string out(static_cast<std::size_t>(std::max<LONGLONG>(0, size.QuadPart)), '\0');
    long long got = readFully(in.h.get(), out.data(), out.size());
    if (got < 0) unreadable(file, errno);
    out.resize(static_cast<std::size_t>(got));
    char more[65536];
    while ((got = readFully(in.h.get(), more, sizeof more)) > 0) out.append(more, static_cast<std::size_t>(got));
    if (got < 0) unreadable(file, errno);
    return out;
}

} // namespace

std::string readWholeFile(const fs::path& file) { return *readOpened(file, false); }

std::optional<std::string> readFileIfPresent(const fs::path& file) { return readOpened(file, true); }

std::string copyFileAtomically(const fs::path& source, const fs::path& target, AtomicFile::Links links)
{
    ContentDigest digest;
    ReadHandle in(source);
    if (!in.h) unreadable(source, lastErrno());
    AtomicFile out(target, 0644, links);
    std::string buf(1 << 20, '\0');
    for (;;) {
        const long long got = readFully(in.h.get(), buf.data(), buf.size());
        if (got < 0) unreadable(source, errno);
        if (got == 0) break;
        const std::string_view piece(buf.data(), static_cast<std::size_t>(got));
        out.write(piece);
        digest.update(piece);
    }
    out.commit();
    return digest.text();
}

void replaceFile(const fs::path& target, std::string_view bytes, AtomicFile::Links links)
{
    AtomicFile f(target, 0644, links);
    f.write(bytes);
    f.commit();
}

void replacePrivateFile(const fs::path& target, std::string_view bytes)
{
    AtomicFile f(target, 0600);
    f.setMode(0600);
    f.write(bytes);
    f.commit();
}

} // namespace tolv
