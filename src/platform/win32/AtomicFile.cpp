// The Windows half of AtomicFile.h on the Win32 API: the temporary file is made with CreateFileW
// (CREATE_NEW), written with WriteFile at explicit offsets, flushed with FlushFileBuffers and put
// in place with MoveFileExW (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), which returns only
// when the rename is on disk. The handle is kept as a C runtime descriptor (fd_), so the class is
// the same on both systems. Permission bits: Windows keeps only "read-only" (no owner write bit).
#include "platform/AtomicFile.h"

#include "platform/Error.h"
#include "platform/win32/Wide.h"

#include <algorithm>
#include <fcntl.h>
#include <io.h>

namespace tolv {

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

void applyMode(const fs::path& file, unsigned mode)
{
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    const DWORD wanted = (mode & 0200) ? (attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)) : (attributes | FILE_ATTRIBUTE_READONLY);
    if (wanted != attributes) ::SetFileAttributesW(file.c_str(), wanted);
}

} // namespace

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
    temp_ = temporaryFor(final_);
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
void AtomicFile::fail(const std::string& what) { throw win32::systemErrorOf(what + ": " + final_.string(), ::GetLastError()); }

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

} // namespace tolv
