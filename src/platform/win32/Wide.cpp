#include "platform/win32/Wide.h"

#include "platform/SystemErrors.h"

#include <cerrno>
#include <cwchar>

namespace tolv::win32 {

std::wstring widen(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_READY: return ENODEV;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_INVALID_NAME: return EINVAL;
    case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
    default: return EIO;
    }
}

TolvError systemErrorOf(const std::string& message, DWORD error)
{
    const int e = errnoOf(error);
    return TolvError(message + " (" + reasonText(e) + ")", errorKindOf(e), static_cast<int>(error));
}

std::string lastErrorText()
{
    const DWORD error = ::GetLastError();
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n ? std::wstring(text, n) : L"";
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) message.pop_back();
    return narrow(message) + " (" + std::to_string(error) + ")";
}

} // namespace tolv::win32

// The program's narrow text is UTF-8 on every system, file names included. The C++ library of
// MinGW turns a narrow string into a std::filesystem::path through the C library's mbrtowc (and
// back through wcrtomb) in the "C" locale, which the Windows C library (msvcrt) takes byte by byte
// as Latin-1 and cannot be set to UTF-8: "団体.csv" would become a file named "å›£ä½“.csv".
// These two are the program's own, so every narrow <-> wide conversion of the C and C++ libraries
// is UTF-8 <-> UTF-16. Characters beyond the Basic Multilingual Plane (two UTF-16 units, which one
// wchar_t of mbrtowc cannot hold) are refused as an invalid sequence.
extern "C" std::size_t mbrtowc(wchar_t* out, const char* s, std::size_t n, std::mbstate_t*)
{
    if (!s) return 0;
    if (n == 0) return static_cast<std::size_t>(-2);
    const auto* b = reinterpret_cast<const unsigned char*>(s);
    const unsigned lead = b[0];
    const std::size_t length = lead < 0x80 ? 1 : (lead >= 0xC2 && lead <= 0xDF) ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0) {
        errno = EILSEQ;
        return static_cast<std::size_t>(-1);
    }
    if (n < length) return static_cast<std::size_t>(-2);
    unsigned c = length == 1 ? lead : length == 2 ? (lead & 0x1F) : (lead & 0x0F);
    for (std::size_t i = 1; i < length; ++i) {
        if ((b[i] & 0xC0) != 0x80) {
            errno = EILSEQ;
            return static_cast<std::size_t>(-1);
        }
        c = (c << 6) | (b[i] & 0x3F);
    }
    if (length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) {
        errno = EILSEQ;
        return static_cast<std::size_t>(-1);
    }
    if (out) *out = static_cast<wchar_t>(c);
    return c == 0 ? 0 : length;
}

extern "C" std::size_t wcrtomb(char* s, wchar_t wc, std::mbstate_t*)
{
    if (!s) return 1;
    const auto c = static_cast<unsigned>(wc);
    if (c < 0x80) {
        s[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        s[0] = static_cast<char>(0xC0 | (c >> 6));
        s[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
        errno = EILSEQ;
        return static_cast<std::size_t>(-1);
    }
    s[0] = static_cast<char>(0xE0 | (c >> 12));
    s[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
}

// The rest of the C library's multibyte conversions, on the two above (the C library keeps these
// four in one unit with mbrtowc and wcrtomb: all are the program's own, or none).
extern "C" std::size_t mbrlen(const char* s, std::size_t n, std::mbstate_t* state) { return mbrtowc(nullptr, s, n, state); }

extern "C" std::size_t mbsrtowcs(wchar_t* out, const char** src, std::size_t room, std::mbstate_t* state)
{
    std::size_t count = 0;
    const char* s = *src;
    while (!out || count < room) {
        wchar_t c = 0;
        const std::size_t n = mbrtowc(&c, s, 4, state);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) {
            if (out) *src = s;
            errno = EILSEQ;
            return static_cast<std::size_t>(-1);
        }
        if (out) out[count] = c;
        if (n == 0) {
            if (out) *src = nullptr;
            return count;
        }
        s += n;
        ++count;
    }
    *src = s;
    return count;
}

extern "C" std::size_t wcsrtombs(char* out, const wchar_t** src, std::size_t room, std::mbstate_t* state)
{
    std::size_t count = 0;
    const wchar_t* s = *src;
    for (;; ++s) {
        char bytes[4];
        const std::size_t n = wcrtomb(bytes, *s, state);
        if (n == static_cast<std::size_t>(-1)) {
            if (out) *src = s;
            return n;
        }
        if (out && count + n > room) break;
        if (*s == L'\0') {
            if (out) *src = nullptr;
            return count;
        }
        if (out)
            for (std::size_t i = 0; i < n; ++i) out[count + i] = bytes[i];
        count += n;
    }
    *src = s;
    return count;
}
