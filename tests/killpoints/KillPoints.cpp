// Loaded into tolv with LD_PRELOAD by the tests of interrupted changes. It numbers every call by
// which a process changes the file system - a file opened for writing, the first write to it,
// fsync, the close of a written file, rename, unlink, remove, mkdir, rmdir, truncate - and, when
// TOLV_KILL_AT_STEP=N is set, kills the process with SIGKILL just before its step N, as a power
// cut or the task manager would at that moment. Without the variable it only passes the calls on.
//
// The calls are interposed by name and forwarded to the C library's own (dlsym RTLD_NEXT); the
// library's internal calls (fopen and the like) are not seen, which is fine for the writers of
// this program: they call these functions directly, and std::filesystem calls them too.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>

#include <atomic>
#include <cstdarg>
#include <cstdlib>

namespace {

std::atomic<long> stepsTaken{0};

long killStep()
{
    static const long step = [] {
        const char* v = std::getenv("TOLV_KILL_AT_STEP");
        return v ? std::atol(v) : 0L;
    }();
    return step;
}

// Counts one step and dies before it when it is the chosen one.
void step()
{
    const long n = ++stepsTaken;
    if (n == killStep()) ::raise(SIGKILL);
}

// Descriptors written since they were opened: their first write and their close are steps.
constexpr int kTracked = 4096;
std::atomic<unsigned char> opened[kTracked]; // 1 opened for writing, 2 written since opened

bool writable(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0; }

void noteOpen(int fd, int flags)
{
    if (fd >= 0 && fd < kTracked) opened[fd] = writable(flags) ? 1 : 0;
}

void noteWrite(int fd)
{
    if (fd >= 0 && fd < kTracked && opened[fd] != 2) {
        step();
        opened[fd] = 2;
    }
}

template <typename Fn> Fn next(const char* name) { return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name)); }

mode_t modeArgument(int flags, va_list ap)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? static_cast<mode_t>(va_arg(ap, unsigned)) : 0;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    static const auto real = next<int (*)(const char*, int, ...)>("open");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArgument(flags, ap);
    va_end(ap);
    if (writable(flags)) step();
    const int fd = real(path, flags, mode);
    noteOpen(fd, flags);
    return fd;
}

int open64(const char* path, int flags, ...)
{
    static const auto real = next<int (*)(const char*, int, ...)>("open64");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArgument(flags, ap);
    va_end(ap);
    if (writable(flags)) step();
    const int fd = real(path, flags, mode);
    noteOpen(fd, flags);
    return fd;
}

int openat(int dir, const char* path, int flags, ...)
{
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArgument(flags, ap);
    va_end(ap);
    if (writable(flags)) step();
    const int fd = real(dir, path, flags, mode);
    noteOpen(fd, flags);
    return fd;
}

int openat64(int dir, const char* path, int flags, ...)
{
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat64");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArgument(flags, ap);
    va_end(ap);
    if (writable(flags)) step();
    const int fd = real(dir, path, flags, mode);
    noteOpen(fd, flags);
    return fd;
}

ssize_t write(int fd, const void* buf, size_t n)
{
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd > 2) noteWrite(fd);
    return real(fd, buf, n);
}

ssize_t pwrite(int fd, const void* buf, size_t n, off_t at)
{
    static const auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    noteWrite(fd);
    return real(fd, buf, n, at);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off_t at)
{
    static const auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64");
    noteWrite(fd);
    return real(fd, buf, n, at);
}

int fsync(int fd)
{
    static const auto real = next<int (*)(int)>("fsync");
    step();
    return real(fd);
}

int fdatasync(int fd)
{
    static const auto real = next<int (*)(int)>("fdatasync");
    step();
    return real(fd);
}

int close(int fd)
{
    static const auto real = next<int (*)(int)>("close");
    if (fd >= 0 && fd < kTracked) {
        if (opened[fd] == 2) step();
        opened[fd] = 0;
    }
    return real(fd);
}

int ftruncate(int fd, off_t size)
{
    static const auto real = next<int (*)(int, off_t)>("ftruncate");
    step();
    return real(fd, size);
}

int rename(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    step();
    return real(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    static const auto real = next<int (*)(int, const char*, int, const char*)>("renameat");
    step();
    return real(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags)
{
    static const auto real = next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    step();
    return real(fromDir, from, toDir, to, flags);
}

int link(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("link");
    step();
    return real(from, to);
}

int unlink(const char* path)
{
    static const auto real = next<int (*)(const char*)>("unlink");
    step();
    return real(path);
}

int unlinkat(int dir, const char* path, int flags)
{
    static const auto real = next<int (*)(int, const char*, int)>("unlinkat");
    step();
    return real(dir, path, flags);
}

int remove(const char* path)
{
    static const auto real = next<int (*)(const char*)>("remove");
    step();
    return real(path);
}

int mkdir(const char* path, mode_t mode)
{
    static const auto real = next<int (*)(const char*, mode_t)>("mkdir");
    step();
    return real(path, mode);
}

int rmdir(const char* path)
{
    static const auto real = next<int (*)(const char*)>("rmdir");
    step();
    return real(path);
}

} // extern "C"
