// The parts of AtomicFile.h the same on every system: temporary names and their orphans, links
// followed by hand, and the whole-file helpers over an AtomicFile.
#include "platform/AtomicFile.h"

#include "platform/ContentDigest.h"
#include "platform/Error.h"
#include "platform/FileReading.h"
#include "platform/HostSystem.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace tolv {

namespace fs = std::filesystem;

namespace {

std::string uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    return "." + std::to_string(currentProcessNumber()) + "." + std::to_string(counter.fetch_add(1)) + ".tmp";
}

// Temporary files of this target left by a process that died before its rename (killed, power
// lost): ".<name>.<pid>.<n>.tmp" whose process no longer runs. They hold a half-written copy of the
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
        if (pid <= 0 || pid == currentProcessNumber() || processMayBeRunning(pid)) continue;
        std::error_code rc;
        fs::remove(it->path(), rc);
    }
}

} // namespace

fs::path AtomicFile::temporaryFor(const fs::path& target)
{
    removeOrphans(target);
    return target.parent_path() / ("." + target.filename().string() + uniqueSuffix());
}

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

void AtomicFile::write(std::string_view bytes) { writeAt(end_, bytes); }

std::string copyFileAtomically(const fs::path& source, const fs::path& target, AtomicFile::Links links)
{
    ContentDigest digest;
    InputFile in(source);
    if (!in.isOpen()) throwUnreadable(source, in.error());
    AtomicFile out(target, 0644, links);
    std::string buf(1 << 20, '\0');
    for (;;) {
        const long long got = in.read(buf.data(), buf.size());
        if (got < 0) throwUnreadable(source, errno);
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
