// The Windows half of InputFile (FileReading.h): a handle opened with CreateFileW for sequential
// reading (every sharing mode, so a file the program holds open can still be replaced), ReadFile and
// GetFileSizeEx. A folder cannot be opened this way (ERROR_ACCESS_DENIED): it is named as a folder.
#include "platform/FileReading.h"

#include "platform/win32/Wide.h"

#include <algorithm>
#include <cerrno>

namespace tolv {

namespace {

HANDLE handleOf(long long handle) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)); }

} // namespace

InputFile::InputFile(const std::filesystem::path& file)
{
    win32::Handle h(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (h) {
        handle_ = static_cast<long long>(reinterpret_cast<intptr_t>(h.release()));
        return;
    }
    const DWORD e = ::GetLastError();
    absent_ = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
    std::error_code ec;
    error_ = !absent_ && std::filesystem::is_directory(file, ec) ? EISDIR : win32::errnoOf(e);
}

InputFile::~InputFile()
{
    if (isOpen()) ::CloseHandle(handleOf(handle_));
}

long long InputFile::size()
{
    LARGE_INTEGER bytes{};
    if (!::GetFileSizeEx(handleOf(handle_), &bytes)) {
        errno = win32::errnoOf(::GetLastError());
        return -1;
    }
    return std::max<LONGLONG>(0, bytes.QuadPart);
}

long long InputFile::read(char* into, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        if (!::ReadFile(handleOf(handle_), into + done, want, &got, nullptr)) {
            if (::GetLastError() == ERROR_HANDLE_EOF || ::GetLastError() == ERROR_BROKEN_PIPE) break;
            errno = win32::errnoOf(::GetLastError());
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<long long>(done);
}

} // namespace tolv
