#include "platform/AtomicFile.h"

#include "platform/ContentDigest.h"
#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/SystemErrors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolv {

namespace fs = std::filesystem;

namespace {

std::string uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    return "." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1)) + ".tmp";
}

// Temporary files of this target left by a process that died before its rename (killed, power
// lost): ".<name>.<pid>.<n>.tmp" whose pid no longer runs. They hold a half-written copy of the
// file and nothing refers to them.
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
        if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code rc;
        fs::remove(it->path(), rc);
    }
}

} // namespace

fs::path resolveLinks(const fs::path& p)
{
    fs::path cur = p;
    // Follow a chain of links by hand so that a link to a not-yet-existing file still resolves.
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

AtomicFile::AtomicFile(const fs::path& target, unsigned newFileMode, Links links)
    : final_(links == Links::Follow ? resolveLinks(target) : target)
{
    removeOrphans(final_);
    temp_ = final_.parent_path() / ("." + final_.filename().string() + uniqueSuffix());
    struct stat st {};
    // A link that is replaced lends nothing of its target (permissions, owner).
    const bool exists = links == Links::Follow ? ::stat(final_.c_str(), &st) == 0
                                               : ::lstat(final_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const mode_t mode = exists ? (st.st_mode & 07777) : static_cast<mode_t>(newFileMode);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        const int e = errno;
        throw systemError("一時ファイルを作成できません: " + temp_.string(), e);
    }
    // Set the final permissions on the descriptor (umask does not apply to fchmod); the owner is
    // kept where the file system lets us.
    ::fchmod(fd_, mode);
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0) { /* not permitted: keep ours */ }
        ::fchmod(fd_, mode);
    }
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !kept_) {
        std::error_code ec;
        fs::remove(temp_, ec);
    }
}

void AtomicFile::fail(const std::string& what)
{
    int e = errno;
    throw systemError(what + ": " + final_.string(), e);
}

void AtomicFile::writeAt(long long offset, std::string_view bytes)
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("ファイルに書き込めません");
        }
        if (n == 0) {
            errno = ENOSPC;
            fail("ファイルに書き込めません");
        }
        done += static_cast<std::size_t>(n);
    }
    end_ = std::max(end_, offset + static_cast<long long>(bytes.size()));
}

void AtomicFile::setMode(unsigned mode)
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (::fchmod(fd_, static_cast<mode_t>(mode)) != 0) fail("ファイルの許可を設定できません");
}

void AtomicFile::write(std::string_view bytes)
{
    writeAt(end_, bytes);
}

void AtomicFile::prepare()
{
    enforce(fd_ >= 0 && !committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (::fsync(fd_) != 0) fail("ファイルを書き出せません");
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("ファイルを閉じられません");
    prepared_ = true;
}

void AtomicFile::commit()
{
    if (!prepared_) prepare();
    enforce(!committed_, "一時ファイルは閉じられています: " + temp_.string());
    if (auto& hook = beforeRenameHook()) hook(temp_);
    if (::rename(temp_.c_str(), final_.c_str()) != 0) fail("ファイルを置き換えられません");
    committed_ = true;
    // Make the rename itself durable.
    fs::path dir = final_.parent_path().empty() ? "." : final_.parent_path();
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

namespace {

// Reads from fd until `size` bytes or the end; the count read, or -1 on an error.
long long readFully(int fd, char* buf, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buf + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

struct ReadFd {
    int fd;
    explicit ReadFd(const fs::path& file) : fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadFd()
    {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

namespace {

[[noreturn]] void unreadable(const fs::path& file, int error)
{
    throw TolvError("ファイルを読めません: " + file.string() + "（" + reasonText(error) + "）", errorKindOf(error), error);
}

// The file's bytes; with absentIsNothing, no file there gives nothing instead of an error.
std::optional<std::string> readOpened(const fs::path& file, bool absentIsNothing)
{
    // One buffer of the file's size: a federation file is held once, not grown and copied.
    ReadFd in(file);
    if (in.fd < 0) {
        if (absentIsNothing && errno == ENOENT) return std::nullopt;
        unreadable(file, errno);
    }
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) unreadable(file, errno);
    if (S_ISDIR(st.st_mode)) unreadable(file, EISDIR);
    const auto size = static_cast<std::size_t>(std::max<off_t>(0, st.st_size));
    std::string out;
    out.reserve(size);
    adviseWholeFill(out.data(), size);  // before the buffer is first written
    out.resize(size);
    long long got = readFully(in.fd, out.data(), out.size());
    if (got < 0) unreadable(file, errno);
    out.resize(static_cast<std::size_t>(got));
    // A file that grew while it was read (or reports no size, as /proc does) is read to its end.
    char more[65536];
    while ((got = readFully(in.fd, more, sizeof more)) > 0) out.append(more, static_cast<std::size_t>(got));
    if (got < 0) unreadable(file, errno);
    return out;
}

} // namespace

std::string readWholeFile(const fs::path& file) { return *readOpened(file, false); }

std::optional<std::string> readFileIfPresent(const fs::path& file) { return readOpened(file, true); }

std::string copyFileAtomically(const fs::path& source, const fs::path& target, AtomicFile::Links links)
{
    ContentDigest digest;
    ReadFd in(source);
    if (in.fd < 0) unreadable(source, errno);
    AtomicFile out(target, 0644, links);
    std::string buf(1 << 20, '\0');
    for (;;) {
        const long long got = readFully(in.fd, buf.data(), buf.size());
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
