// The Windows half of HostSystem.h, on the Win32 API.
#include "platform/HostSystem.h"

#include "platform/win32/Wide.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <malloc.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace tolv {

namespace {

// Standard output and error carry the same bytes as on the other systems: no "\r" is put before
// each line feed (what a program prints is compared, piped into files and read by other programs).
const bool binaryStandardOutput = [] {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    return true;
}();

} // namespace

bool standardInputIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& p)
{
    const win32::Handle h(::CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return std::nullopt;
    FILE_ID_INFO id{};
    if (::GetFileInformationByHandleEx(h.get(), FileIdInfo, &id, sizeof id)) {
        std::uint64_t low = 0, high = 0;
        static_assert(sizeof id.FileId.Identifier == 16);
        std::memcpy(&low, id.FileId.Identifier, 8);
        std::memcpy(&high, id.FileId.Identifier + 8, 8);
        return FileIdentity{id.VolumeSerialNumber, low ^ (high * 0x9E3779B97F4A7C15ull)};
    }
    // File systems without 128-bit file ids (FAT, older Windows): the 64-bit index.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

void* loadModuleSymbol(const std::filesystem::path& module, const char* symbol, std::string& why)
{
    HMODULE handle = ::LoadLibraryExW(module.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!handle) {
        why = win32::lastErrorText();
        return nullptr;
    }
    FARPROC fn = ::GetProcAddress(handle, symbol);
    if (!fn) why = win32::lastErrorText();
    return reinterpret_cast<void*>(fn);
}

// Huge pages need a privilege a user's account does not hold on Windows: the advice is a no-op.
void adviseWholeFill(void*, std::size_t) {}

long long readAt(std::FILE* f, char* buf, std::size_t size, long long offset)
{
    std::fflush(f);
    HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(f)));
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at{};
        const unsigned long long pos = static_cast<unsigned long long>(offset) + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(h, buf + done, want, &got, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            errno = win32::errnoOf(::GetLastError());
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<long long>(done);
}

// Windows has no user numbers: the session's id stands for the user (per-user folders are the
// profile's own there in any case).
unsigned long currentUserNumber()
{
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    return session;
}

// Opened through CreateFileW with every sharing mode, as a file is on the other systems: a file
// the program holds open may still be renamed over or removed by another program or another step
// of this one (the C library's _wfopen shares no deletion, so a replaced file could not be renamed
// into place while a reader had it open).
std::FILE* openFile(const std::filesystem::path& p, const char* mode)
{
    const std::string m(mode);
    const bool plus = m.find('+') != std::string::npos;
    DWORD access = 0, disposition = 0;
    int flags = _O_BINARY;
    switch (m.empty() ? 'r' : m[0]) {
    case 'r':
        access = GENERIC_READ | (plus ? GENERIC_WRITE : 0);
        disposition = OPEN_EXISTING;
        flags |= plus ? _O_RDWR : _O_RDONLY;
        break;
    case 'w':
        access = GENERIC_WRITE | (plus ? GENERIC_READ : 0);
        disposition = CREATE_ALWAYS;
        flags |= plus ? _O_RDWR : _O_WRONLY;
        break;
    case 'a':
        access = GENERIC_WRITE | (plus ? GENERIC_READ : 0);
        disposition = OPEN_ALWAYS;
        flags |= _O_APPEND | (plus ? _O_RDWR : _O_WRONLY);
        break;
    default: errno = EINVAL; return nullptr;
    }
    HANDLE h = ::CreateFileW(p.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = win32::errnoOf(::GetLastError());
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
    if (fd < 0) {
        ::CloseHandle(h);
        errno = EMFILE;
        return nullptr;
    }
    std::FILE* f = ::_fdopen(fd, mode);
    if (!f) {
        const int saved = errno;
        ::_close(fd); // closes the handle too
        errno = saved;
    }
    return f;
}

long long openFileSize(std::FILE* f)
{
    std::fflush(f);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(f))), &size)) {
        errno = win32::errnoOf(::GetLastError());
        return -1;
    }
    return size.QuadPart;
}

long currentProcessNumber() { return static_cast<long>(::GetCurrentProcessId()); }

bool processMayBeRunning(long number)
{
    if (number <= 0) return false;
    const win32::Handle h(::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(number)));
    if (!h) return ::GetLastError() != ERROR_INVALID_PARAMETER; // no such process: ERROR_INVALID_PARAMETER
    return ::WaitForSingleObject(h.get(), 0) == WAIT_TIMEOUT;
}

void releaseFreedMemory() { ::_heapmin(); }

void setEnvironment(const char* name, const std::string& value) { ::_putenv_s(name, value.c_str()); }

// The program's own tree on drive C, as the control files name it.
std::filesystem::path defaultWorkTree() { return std::filesystem::path(L"c:\\tolvsys"); }

std::optional<std::filesystem::path> systemDriveRoot(char letter)
{
    const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (l < 'a' || l > 'z' || !(::GetLogicalDrives() & (1u << (l - 'a')))) return std::nullopt;
    return std::filesystem::path(std::wstring{static_cast<wchar_t>(l), L':', L'\\'});
}

std::filesystem::path storedSpelling(const std::filesystem::path& existing)
{
    // The directory entry found by its exact name (no pattern characters, which no file name holds)
    // carries the spelling the file was created with.
    const std::wstring name = existing.filename().wstring();
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"*?") != std::wstring::npos) return existing;
    WIN32_FIND_DATAW found{};
    const HANDLE h = ::FindFirstFileExW(existing.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return existing;
    ::FindClose(h);
    return existing.parent_path() / found.cFileName;
}

std::filesystem::path runningProgramPath()
{
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::filesystem::path(buf.substr(0, n));
        buf.resize(buf.size() * 2);
    }
}

} // namespace tolv
