#include "platform/HostSystem.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolv {

bool standardInputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& p)
{
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void* loadModuleSymbol(const std::filesystem::path& module, const char* symbol, std::string& why)
{
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* e = ::dlerror();
        why = e ? e : "";
        return nullptr;
    }
    void* fn = ::dlsym(handle, symbol);
    if (!fn) {
        const char* e = ::dlerror();
        why = e ? e : "";
    }
    return fn;
}

long long readAt(std::FILE* f, char* buf, std::size_t size, long long offset)
{
    std::fflush(f);
    const int fd = ::fileno(f);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buf + done, size - done, static_cast<off_t>(offset + static_cast<long long>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

void adviseWholeFill(void* buffer, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
    const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1), end = (begin + bytes) & ~(kHuge - 1);
    // Advice only: a refusal (no huge pages on this system) changes nothing.
    if (end > first) (void)::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)buffer;
    (void)bytes;
#endif
}

unsigned long currentUserNumber() { return static_cast<unsigned long>(::getuid()); }

std::FILE* openFile(const std::filesystem::path& p, const char* mode) { return std::fopen(p.c_str(), mode); }

long long openFileSize(std::FILE* f)
{
    std::fflush(f);
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0) return -1;
    return static_cast<long long>(st.st_size);
}

long currentProcessNumber() { return static_cast<long>(::getpid()); }

bool processMayBeRunning(long number) { return number > 0 && (::kill(static_cast<pid_t>(number), 0) == 0 || errno != ESRCH); }

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void setEnvironment(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }

std::filesystem::path defaultWorkTree()
{
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return std::filesystem::path(x) / "tolvsys";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share" / "tolvsys";
    return std::filesystem::current_path() / "tolvsys";
}

std::optional<std::filesystem::path> systemDriveRoot(char) { return std::nullopt; }

// Names are matched as they are spelled: a name found is the name stored.
std::filesystem::path storedSpelling(const std::filesystem::path& existing) { return existing; }

std::filesystem::path runningProgramPath()
{
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

} // namespace tolv
