#include "platform/Paths.h"

#include "platform/Error.h"
#include "platform/HostSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tolv {

fs::path homeDir()
{
    if (const char* h = std::getenv("TOLVSYS_HOME"); h && *h) return fs::path(h);
    return defaultWorkTree();
}

fs::path ctlDir() { return homeDir() / "ctl"; }
fs::path tempDir() { return homeDir() / "temp"; }

void ensureWorkTree()
{
    fs::create_directories(homeDir());
    fs::create_directories(ctlDir());
    fs::create_directories(tempDir());
}

std::optional<fs::path> driveRoot(char letter)
{
    char l = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (l == 'c') {
        fs::path h = homeDir();
        fs::path parent = h.has_parent_path() ? h.parent_path() : h;
        return parent;
    }
    std::string var = std::string("TOLVSYS_DRIVE_") + static_cast<char>(std::toupper(l));
    if (const char* p = std::getenv(var.c_str()); p && *p) return fs::path(p);
    // A working tree of TOLVSYS_HOME (a tree placed elsewhere, the tests) has only its own map.
    if (const char* h = std::getenv("TOLVSYS_HOME"); h && *h) return std::nullopt;
    return systemDriveRoot(l);
}

std::vector<char> mappedDrives()
{
    std::vector<char> out{'c'};
    for (char l = 'a'; l <= 'z'; ++l)
        if (l != 'c' && driveRoot(l)) out.push_back(l);
    return out;
}

namespace {
bool isDriveForm(const std::string& s) { return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':'; }
} // namespace

fs::path toHostPath(const std::string& stored)
{
    if (stored.empty()) return homeDir();
    if (isDriveForm(stored)) {
        char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(stored[0])));
        std::string rest = stored.substr(2);
        std::replace(rest.begin(), rest.end(), '\\', '/');
        while (!rest.empty() && rest.front() == '/') rest.erase(rest.begin());
        // A drive's path stays inside the drive's folder: ".." never climbs above it.
        int depth = 0;
        for (const auto& part : fs::path(rest)) {
            const std::string e = part.string();
            if (e == "..") {
                if (--depth < 0) throw TolvError("ドライブのフォルダの外を指すパスは使えません: " + stored);
            } else if (!e.empty() && e != ".") {
                ++depth;
            }
        }
        auto root = driveRoot(letter);
        fs::path base = root ? *root : fs::path("/nonexistent-drive-") += std::string(1, letter);
        if (letter == 'c') {
            // c:\tolvsys is the working tree itself, wherever that lives.
            std::string lower = rest;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (lower == "tolvsys" || lower.rfind("tolvsys/", 0) == 0) {
                std::string tail = rest.size() > 8 ? rest.substr(8) : std::string();
                return tail.empty() ? homeDir() : resolveNoCase(homeDir(), tail);
            }
        }
        return rest.empty() ? base : resolveNoCase(base, rest);
    }
    std::string s = stored;
    std::replace(s.begin(), s.end(), '\\', '/');
    fs::path p(s);
    if (p.is_absolute()) return p;
    return homeDir() / p;
}

std::string toStoredPath(const fs::path& host, bool folder)
{
    fs::path abs = fs::weakly_canonical(host);
    std::string result;
    fs::path home = fs::weakly_canonical(homeDir());
    auto within = [](const fs::path& p, const fs::path& root, std::string& rel) {
        auto r = p.lexically_relative(root);
        if (r.empty() || *r.begin() == "..") return false;
        rel = r == "." ? std::string() : r.generic_string();
        return true;
    };
    std::string rel;
    if (within(abs, home, rel)) {
        result = "c:\\tolvsys\\" + rel;
    } else {
        for (char l : mappedDrives()) {
            fs::path root = fs::weakly_canonical(*driveRoot(l));
            if (within(abs, root, rel)) {
                result = std::string(1, l) + ":\\" + rel;
                break;
            }
        }
    }
    if (result.empty()) {
        result = abs.generic_string();
        return folder ? withTrailingSeparator(result) : result;
    }
    std::replace(result.begin(), result.end(), '/', '\\');
    if (folder) result = withTrailingSeparator(result);
    else if (!result.empty() && result.back() == '\\') result.pop_back();
    return result;
}

std::string withTrailingSeparator(const std::string& folder)
{
    if (folder.empty()) return folder;
    char last = folder.back();
    if (last == '\\' || last == '/') return folder;
    bool windows = isDriveForm(folder) || folder.find('\\') != std::string::npos;
    return folder + (windows ? "\\" : "/");
}

fs::path findNoCase(const fs::path& folder, const std::string& name)
{
    fs::path direct = folder / name;
    std::error_code ec;
    if (fs::exists(direct, ec)) return storedSpelling(direct);
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    std::string want = lower(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (lower(it->path().filename().string()) == want) return it->path();
    return direct;
}

fs::path resolveNoCase(const fs::path& base, const std::string& relative)
{
    std::string r = relative;
    std::replace(r.begin(), r.end(), '\\', '/');
    fs::path cur = base;
    for (const auto& part : fs::path(r)) {
        std::string s = part.string();
        if (s.empty() || s == ".") continue;
        cur = findNoCase(cur, s);
    }
    return cur;
}

} // namespace tolv
