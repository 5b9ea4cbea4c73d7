#include "transfer/SetJournal.h"

#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/PlainFile.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace tolv::exchange {

namespace {

constexpr const char* kJournalPrefix = ".tolvsys-set.";
constexpr const char* kJournalSuffix = ".pending";

// A journal is never larger than the renames of a set: a few lines of two paths each.
constexpr std::uint64_t kMaxJournalBytes = 1 << 20;

bool isJournalName(const std::string& name)
{
    const std::string prefix = kJournalPrefix, suffix = kJournalSuffix;
    return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool allDigits(const std::string& s, std::size_t from, std::size_t to)
{
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

// A name of one element: no separator, not "." or "..", no control character.
bool isPlainName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.size() > 255) return false;
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    return true;
}

// The temporary name the writer gives a target: ".<name>.<pid>.<n>.tmp".
bool isTemporaryNameOf(const std::string& temp, const std::string& target)
{
    const std::string head = "." + target + ".";
    if (temp.size() <= head.size() + 4 || temp.compare(0, head.size(), head) != 0 ||
        temp.compare(temp.size() - 4, 4, ".tmp") != 0)
        return false;
    const std::size_t end = temp.size() - 4, dot = temp.find('.', head.size());
    return dot != std::string::npos && dot < end && allDigits(temp, head.size(), dot) && allDigits(temp, dot + 1, end);
}

// The folders a set puts files in below its own: MEDIA<k> (further media) and SWM<team code> (the
// SWM floppy's team folders).
bool isSetFolderName(const std::string& name)
{
    if (name.size() > 5 && name.size() <= 10 && name.compare(0, 5, "MEDIA") == 0 && allDigits(name, 5, name.size())) return true;
    return name.size() > 3 && name.size() <= 40 && name.compare(0, 3, "SWM") == 0 && isPlainName(name);
}

bool sameFolder(const fs::path& a, const fs::path& b)
{
    if (a.lexically_normal() == b.lexically_normal()) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

} // namespace

fs::path newJournalPath(const fs::path& home)
{
    static std::atomic<unsigned> counter{0};
    return home / (std::string(kJournalPrefix) + std::to_string(currentProcessNumber()) + "." +
                   std::to_string(counter.fetch_add(1)) + kJournalSuffix);
}

std::vector<JournalRename> checkedJournal(const fs::path& folder, const fs::path& journal, const std::string& text)
{
    const fs::path home = fs::absolute(folder).lexically_normal();
    std::vector<JournalRename> out;
    auto refuse = [&journal](std::size_t line, const std::string& why) {
        throw TolvError("中断された書き出しの記録が正しくないため、何も書き出しません（" + std::to_string(line) +
                        " 行目: " + why + "）。記録を確かめて消してください: " + journal.string());
    };
    std::size_t at = 0, number = 0;
    while (at < text.size()) {
        ++number;
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos)
            refuse(number, "一時ファイルと書き出し先の 2 つではありません");
        const fs::path temp = line.substr(0, tab), target = line.substr(tab + 1);
        if (!temp.is_absolute() || !target.is_absolute()) refuse(number, "書き出しで書いた形のパスではありません");
        const std::string tempName = temp.filename().string(), targetName = target.filename().string();
        if (!isPlainName(targetName) || isJournalName(targetName)) refuse(number, "書き出し先の名前が正しくありません");
        if (!isTemporaryNameOf(tempName, targetName)) refuse(number, "書き出し先の一時ファイルの名前ではありません");
        if (temp.parent_path() != target.parent_path()) refuse(number, "一時ファイルと書き出し先が同じフォルダにありません");
        const fs::path dir = target.parent_path();
        JournalRename r;
        if (sameFolder(dir, home)) {
            r.temp = folder / tempName;
            r.target = folder / targetName;
        } else if (isSetFolderName(dir.filename().string()) && sameFolder(dir.parent_path(), home)) {
            const fs::path medium = folder / dir.filename();
            std::error_code ec;
            if (!fs::is_directory(fs::symlink_status(medium, ec))) refuse(number, medium.string() + " がフォルダではありません");
            r.temp = medium / tempName;
            r.target = medium / targetName;
        } else {
            refuse(number, "記録のあるフォルダの外です: " + dir.string());
        }
        // A temporary file still there must be one the writer made: a regular file, not a link.
        const PlainFileState st = plainFileState(r.temp, std::numeric_limits<std::uint64_t>::max());
        if (st.present && !st.problem.empty()) refuse(number, r.temp.string() + ": " + st.problem);
        out.push_back(std::move(r));
    }
    return out;
}

void finishInterruptedSets(const fs::path& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isJournalName(name)) continue;
        // The writer of a journal that still runs is putting its set in place right now.
        const long pid = std::strtol(name.c_str() + std::strlen(kJournalPrefix), nullptr, 10);
        if (pid > 0 && pid != currentProcessNumber() && processMayBeRunning(pid)) continue;
        // Read as the foreign input it may be: a link, a folder, a FIFO or a huge file is refused.
        std::string text;
        try {
            text = readPlainFile(it->path(), kMaxJournalBytes).value_or(std::string());
        } catch (const TolvError& e) {
            throw TolvError("中断された書き出しの記録を読めないため、何も書き出しません: " + std::string(e.what()));
        }
        // Every rename is checked before the first is made: a journal that names anything but the
        // writer's own temporary files beside their targets changes nothing.
        const std::vector<JournalRename> renames = checkedJournal(folder, it->path(), text);
        // Every temporary file the journal names was complete when it was written: the renames
        // that did not happen yet are made now, so the folder holds the whole new set.
        for (const JournalRename& r : renames) {
            std::error_code rc;
            if (fs::exists(fs::symlink_status(r.temp, rc))) fs::rename(r.temp, r.target, rc);
        }
        std::error_code rc;
        fs::remove(it->path(), rc);
    }
}

} // namespace tolv::exchange
