#include "storage/Backups.h"

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/ContentDigest.h"
#include "platform/Error.h"
#include "platform/FileIdentity.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "storage/Verify.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace tolv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kIndexName = "index.txt";
constexpr const char* kUndoCommand = "undo";

// FNV-1a of the entry file's absolute path: two files of one name in different folders get
// different backup folders.
std::string pathHash(const fs::path& p) { return ContentDigest::of(p.string()).substr(0, 8); }

// "20261208-214501-03-rewrite-kana" -> stamp and command.
bool parseName(const std::string& base, BackupInfo& info)
{
    if (base.size() < 20 || base[8] != '-' || base[15] != '-' || base[18] != '-') return false;
    const std::string d = base.substr(0, 8), t = base.substr(9, 6);
    info.stamp = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + " " + t.substr(0, 2) + ":" +
                 t.substr(2, 2) + ":" + t.substr(4, 2);
    info.command = base.substr(19);
    return true;
}

std::string safeCommand(const std::string& command)
{
    std::string out;
    for (char c : command) out += (c == '/' || c == '\\' || c == '\0' || c == ' ' || c == '\t' || c == '\n') ? '_' : c;
    return out.empty() ? "change" : out;
}

// Tabs and line ends would break the record's lines.
std::string field(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

struct Known {
    std::string identity, digest;
};
struct Step {
    std::string base, zep, zed, command;
};
struct Merged {
    MergedSource source;
    std::string step;
};
struct Index {
    std::vector<Known> entry;   // newest first
    std::vector<Step> steps;    // newest first
    std::vector<Merged> merged; // oldest first
};

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', at);
        out.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos) return out;
        at = tab + 1;
    }
}

Index readIndex(const fs::path& folder)
{
    Index ix;
    std::error_code ec;
    const fs::path p = folder / kIndexName;
    if (!fs::is_regular_file(p, ec)) return ix;
    std::istringstream in(readWholeFile(p));
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> f = splitTabs(line);
        if (f[0] == "entry" && f.size() == 3) ix.entry.push_back({f[1], f[2]});
        else if (f[0] == "step" && f.size() == 5) ix.steps.push_back({f[1], f[2], f[3], f[4]});
        else if (f[0] == "merged" && f.size() == 6)
            ix.merged.push_back({{f[1], std::atoll(f[2].c_str()), f[3], f[5]}, f[4]});
    }
    std::sort(ix.steps.begin(), ix.steps.end(), [](const Step& a, const Step& b) { return a.base > b.base; });
    return ix;
}

void writeIndex(const fs::path& folder, const Index& ix)
{
    std::string text;
    for (const Known& k : ix.entry) text += "entry\t" + k.identity + "\t" + k.digest + "\n";
    for (const Step& s : ix.steps) text += "step\t" + s.base + "\t" + s.zep + "\t" + s.zed + "\t" + field(s.command) + "\n";
    for (const Merged& m : ix.merged)
        text += "merged\t" + m.source.stamp + "\t" + std::to_string(m.source.size) + "\t" + m.source.digest + "\t" + m.step +
                "\t" + field(m.source.source) + "\n";
    replaceFile(folder / kIndexName, text);
}

// The recorded state the entry file matches, if the backups belong to it.
const Known* ownerOf(const fs::path& entry, const Index& ix)
{
    const std::string id = FileIdentity::of(entry);
    if (id.empty()) return nullptr;
    for (const Known& k : ix.entry)
        if (k.identity == id) return &k;
    return nullptr;
}

BackupInfo infoOf(const fs::path& folder, const Step& s)
{
    BackupInfo info;
    parseName(s.base, info);
    info.command = s.command;
    info.file = folder / (s.base + ".zep");
    if (s.zed != "-") info.zed = folder / (s.base + ".zed");
    return info;
}

// The steps of the index whose backup file is still there (a regular file or not: the restore
// tells why it refuses one).
std::vector<Step> presentSteps(const fs::path& folder, const Index& ix)
{
    std::vector<Step> out;
    for (const Step& s : ix.steps) {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(folder / (s.base + ".zep"), ec))) out.push_back(s);
    }
    return out;
}

void removeStepFiles(const fs::path& folder, const Step& s)
{
    std::error_code ec;
    fs::remove(folder / (s.base + ".zep"), ec);
    fs::remove(folder / (s.base + ".zed"), ec);
}

// A team totals file a reader can take: whole 384-byte records with a control record whose team
// count is covered by the records present (an empty file holds nothing).
bool soundTeamTotals(const std::string& bytes)
{
    if (bytes.empty()) return true;
    if (bytes.size() < 384 || bytes.size() % 384 != 0) return false;
    std::int16_t teams = 0;
    std::memcpy(&teams, bytes.data(), 2);
    const long long present = static_cast<long long>(bytes.size() / 384) - 10;
    return teams >= 0 && (teams == 0 || teams <= present);
}

// The bytes of one backup file, read only when it is a regular file (a symbolic link is never
// followed: it could point anywhere) holding what was backed up.
std::string backupBytes(const fs::path& file, const std::string& digest, const std::string& what)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(file, ec);
    if (fs::is_symlink(st))
        throw TolvError(what + "がシンボリックリンクのため元に戻せません: " + file.string());
    if (fs::is_directory(st)) throw TolvError(what + "がフォルダのため元に戻せません: " + file.string());
    if (!fs::is_regular_file(st)) throw TolvError(what + "がありません: " + file.string());
    const std::string bytes = readWholeFile(file);
    if (ContentDigest::of(bytes) != digest)
        throw TolvError(what + "がバックアップしたときの内容と違うため元に戻せません（別の申込ファイルのもの、または書き換えられています）: " +
                        file.string());
    return bytes;
}

struct Checked {
    Step step;
    BackupInfo info;
    std::string zep, zed;
    bool changedSince = false;
};

Checked check(const fs::path& entry, std::size_t n)
{
    const fs::path folder = backupFolderFor(entry);
    const Index ix = readIndex(folder);
    const Known* owner = ownerOf(entry, ix);
    const std::vector<Step> steps = owner ? presentSteps(folder, ix) : std::vector<Step>();
    if (steps.empty()) throw TolvError("元に戻せるバックアップがありません: " + entry.string());
    if (n >= steps.size())
        throw TolvError("バックアップ " + std::to_string(n + 1) + " はありません（1～" + std::to_string(steps.size()) + "）: " +
                        entry.string());
    Checked c;
    c.step = steps[n];
    c.info = infoOf(folder, c.step);
    c.zep = backupBytes(c.info.file, c.step.zep, "バックアップ");
    const VerifyReport r = verifyEntryBytes(c.zep, c.info.file.string());
    if (!r.sound()) {
        std::string msg = "バックアップが健全な申込ファイルではないため元に戻せません: " + c.info.file.string();
        for (const VerifyFinding& f : r.problems)
            if (f.kind == FindingKind::Damage) {
                msg += "\n" + f.message;
                break;
            }
        throw TolvError(msg);
    }
    if (!c.info.zed.empty()) {
        c.zed = backupBytes(c.info.zed, c.step.zed, "申込団体ファイルのバックアップ");
        if (!soundTeamTotals(c.zed))
            throw TolvError("申込団体ファイルのバックアップが壊れているため元に戻せません: " + c.info.zed.string());
    }
    c.changedSince = owner->digest.empty() || ContentDigest::of(readWholeFile(entry)) != owner->digest;
    return c;
}

std::string stampNow()
{
    const DateTime t = now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return stamp;
}

} // namespace

std::string stepCaption(const std::string& command)
{
    static const std::map<std::string, std::string> captions = {
        {"merge", "申込データ結合"},
        {"tally", "集計"},
        {"undo", "元に戻す"},
        {"sort-club", "索引（クラブ）"},
        {"sort-sex", "索引（性別）"},
        {"rewrite-kana", "フリカナ書き直し"},
        {"rewrite-age", "年令書き直し"},
        {"rewrite-grade", "学年書き直し"},
        {"rewrite-grade-company", "学年(実業団)書き直し"},
        {"rewrite-main", "主登録書き直し"},
        {"rewrite-secondary", "副登録書き直し"},
        {"rewrite-prefecture", "県名書き直し"},
        {"rewrite-same-time", "同タイム書き直し"},
        {"import lenex", "Lenex取込"},
        {"日水登録番号", "日水登録番号取込"},
        {"Results(1)", "Results(1)取込"},
    };
    auto it = captions.find(command);
    return it == captions.end() ? command : it->second;
}

std::string BackupInfo::caption() const { return stepCaption(command); }

fs::path teamTotalsPathFor(const fs::path& entry)
{
    std::string name = entry.filename().string();
    return entry.parent_path() / (name.substr(0, name.find('.')) + ".zed");
}

fs::path backupFolderFor(const fs::path& entry)
{
    fs::path real = fs::absolute(resolveLinks(entry)).lexically_normal();
    return homeDir() / "backup" / (real.filename().string() + "-" + pathHash(real));
}

void makeBackup(const fs::path& entry, const std::string& command)
{
    std::error_code ec;
    if (!fs::exists(entry, ec)) return;
    const fs::path folder = backupFolderFor(entry);
    Index ix = readIndex(folder);
    if (!ix.entry.empty() && !ownerOf(entry, ix)) {
        // The backups of a file that was at this path before: kept aside, never offered for this one.
        fs::rename(folder, fs::path(folder.string() + "~" + stampNow()), ec);
        ix = Index();
    }
    fs::create_directories(folder, ec);
    if (ec) throw TolvError("バックアップフォルダを作成できません: " + folder.string() + " (" + ec.message() + ")");

    // Several backups within one second (or under a fixed clock) stay in order through a sequence.
    const std::string stamp = stampNow();
    int seq = 0;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() > 18 && name.rfind(stamp, 0) == 0 && std::isdigit(static_cast<unsigned char>(name[16])) &&
            std::isdigit(static_cast<unsigned char>(name[17])))
            seq = std::max(seq, std::stoi(name.substr(16, 2)) + 1);
    }
    if (seq > 99) seq = 99;
    char seqText[16];
    std::snprintf(seqText, sizeof seqText, "%02d", seq);
    Step step{stamp + "-" + seqText + "-" + safeCommand(command), "", "-", command};

    const fs::path zed = teamTotalsPathFor(entry);
    if (fs::exists(zed, ec)) step.zed = copyFileAtomically(zed, folder / (step.base + ".zed"));
    step.zep = copyFileAtomically(entry, folder / (step.base + ".zep"));
    if (ix.entry.empty()) ix.entry.push_back({FileIdentity::of(entry), step.zep});

    ix.steps.insert(ix.steps.begin(), step);
    while (ix.steps.size() > static_cast<std::size_t>(kBackupsKept)) {
        removeStepFiles(folder, ix.steps.back());
        ix.steps.pop_back();
    }
    writeIndex(folder, ix);
}

void noteEntryWritten(const fs::path& entry, const fs::path& replacement, const std::string& digest)
{
    const fs::path folder = backupFolderFor(entry);
    Index ix = readIndex(folder);
    if (ix.entry.empty()) return;  // no backups: nothing to tie to the file
    Known now;
    if (replacement.empty()) {
        now = {FileIdentity::of(entry), ContentDigest::of(readWholeFile(entry))};
    } else {
        now = {FileIdentity::of(replacement), digest};
    }
    // The identity before stays known until the next write: a kill before the rename leaves it.
    std::vector<Known> kept{now};
    if (const Known* before = ownerOf(entry, ix))
        if (before->identity != now.identity) kept.push_back(*before);
    ix.entry = kept;
    writeIndex(folder, ix);
}

std::vector<BackupInfo> listBackups(const fs::path& entry)
{
    std::vector<BackupInfo> out;
    const fs::path folder = backupFolderFor(entry);
    const Index ix = readIndex(folder);
    if (!ownerOf(entry, ix)) return out;
    for (const Step& s : presentSteps(folder, ix)) out.push_back(infoOf(folder, s));
    return out;
}

UndoCheck checkUndo(const fs::path& entry, std::size_t step)
{
    const Checked c = check(entry, step);
    return {c.info, c.changedSince};
}

std::string changedSinceQuestion(const fs::path& entry)
{
    return "申込ファイルは最後の一括処理の後に変更されています。元に戻すとその変更は失われます（戻す前の状態はバックアップに残ります）。元に戻しますか？: " +
           entry.string();
}

BackupInfo restoreBackup(const fs::path& entry, std::size_t n)
{
    const Checked c = check(entry, n);
    const fs::path zed = teamTotalsPathFor(entry);
    // The team totals file is replaced under its own lock: not while the lists window edits it.
    FileLock zedLock;
    std::error_code ec;
    if (!c.info.zed.empty() || fs::exists(zed, ec)) zedLock = FileLock(zed, FileLock::Kind::Exclusive);

    // What is replaced is kept: the undo is a step of its own.
    makeBackup(entry, kUndoCommand);

    AtomicFile out(entry);
    out.write(c.zep);
    noteEntryWritten(entry, out.tempPath(), ContentDigest::of(c.zep));
    if (!c.info.zed.empty()) replaceFile(zed, c.zed);
    else fs::remove(zed, ec);
    out.commit();

    const fs::path folder = backupFolderFor(entry);
    Index ix = readIndex(folder);
    removeStepFiles(folder, c.step);
    ix.steps.erase(std::remove_if(ix.steps.begin(), ix.steps.end(), [&](const Step& s) { return s.base == c.step.base; }),
                   ix.steps.end());
    // Sources merged by the restored step or after it are no longer in the file.
    ix.merged.erase(std::remove_if(ix.merged.begin(), ix.merged.end(),
                                   [&](const Merged& m) { return m.step >= c.step.base; }),
                    ix.merged.end());
    writeIndex(folder, ix);
    return c.info;
}

BackupInfo restoreLatestBackup(const fs::path& entry) { return restoreBackup(entry, 0); }

std::optional<MergedSource> findMergedSource(const fs::path& entry, long long size, const std::string& digest)
{
    const Index ix = readIndex(backupFolderFor(entry));
    if (!ownerOf(entry, ix)) return std::nullopt;
    for (const Merged& m : ix.merged)
        if (m.source.size == size && m.source.digest == digest) return m.source;
    return std::nullopt;
}

void recordMergedSources(const fs::path& entry, const std::vector<MergedSource>& sources)
{
    if (sources.empty()) return;
    const fs::path folder = backupFolderFor(entry);
    Index ix = readIndex(folder);
    if (!ownerOf(entry, ix) || ix.steps.empty()) return;
    for (const MergedSource& s : sources) ix.merged.push_back({s, ix.steps.front().base});
    writeIndex(folder, ix);
}

} // namespace tolv
