#include "storage/Backups.h"

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/ContentDigest.h"
#include "platform/Error.h"
#include "platform/FileIdentity.h"
#include "platform/FileLock.h"
#include "platform/FileReading.h"
#include "platform/Paths.h"
#include "platform/PlainFile.h"
#include "platform/Seal.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

namespace tolv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kIndexName = "index.txt";
constexpr const char* kUndoCommand = "undo";
constexpr const char* kSettingName = "backups.ctl";
constexpr const char* kSecretName = "backup.key";
// What the writer puts in the record, with room: two entry lines, the steps kept, the merge records.
constexpr std::size_t kMaxEntryLines = 4;
constexpr std::size_t kMaxMergedLines = 10000;
constexpr std::size_t kMaxLineBytes = 8192;
constexpr std::uint64_t kMaxIndexBytes = (kMaxEntryLines + kBackupsKeptMax + kMaxMergedLines) * kMaxLineBytes;
// An entry file holds at most 100,000 swimmers of 384 bytes; a copy beyond this is not one.
constexpr std::uint64_t kMaxCopyBytes = 128ull << 20;
// The label of a command ("merge" + the files it merged), kept apart by a unit separator.
constexpr char kLabelSeparator = '\x1f';
constexpr std::size_t kMaxLabelBytes = 400;

// FNV-1a of the entry file's absolute path: two files of one name in different folders get
// different backup folders.
std::string pathHash(const fs::path& p) { return ContentDigest::of(p.string()).substr(0, 8); }

// The entry file as the backups know it: its absolute path with links followed.
std::string entryKey(const fs::path& entry) { return fs::absolute(resolveLinks(entry)).lexically_normal().string(); }

bool digitsAt(const std::string& s, std::size_t from, std::size_t count)
{
    if (from + count > s.size()) return false;
    for (std::size_t i = from; i < from + count; ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

bool hasControl(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    return false;
}

bool isHex(const std::string& s, std::size_t n)
{
    return s.size() == n && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// "20261208-214501-03-rewrite-kana": the stamp, a sequence of two or more digits, the command as a
// plain name. Anything else (a separator, "..", a control character) is not a step of this folder.
bool parseName(const std::string& base, BackupInfo& info, long* seq = nullptr)
{
    if (base.size() > 160 || !digitsAt(base, 0, 8) || base.size() < 19 || base[8] != '-' || !digitsAt(base, 9, 6) ||
        base[15] != '-')
        return false;
    const std::size_t dash = base.find('-', 16);
    if (dash == std::string::npos || dash < 18 || dash > 22 || !digitsAt(base, 16, dash - 16)) return false;
    const std::string command = base.substr(dash + 1);
    if (command.empty() || command.find_first_of("/\\ ") != std::string::npos || command.find("..") != std::string::npos ||
        hasControl(command))
        return false;
    const std::string d = base.substr(0, 8), t = base.substr(9, 6);
    info.stamp = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) + " " + t.substr(0, 2) + ":" + t.substr(2, 2) +
                 ":" + t.substr(4, 2);
    info.command = command;
    if (seq) *seq = std::strtol(base.c_str() + 16, nullptr, 10);
    return true;
}

bool validName(const std::string& base)
{
    BackupInfo ignored;
    return parseName(base, ignored);
}

std::string safeCommand(const std::string& command)
{
    std::string out;
    for (char c : command)
        out += (c == '/' || c == '\\' || c == ' ' || c == '.' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '_' : c;
    if (out.size() > 60) out.resize(60);
    return out.empty() ? "change" : out;
}

// Tabs and line ends would break the record's lines.
std::string field(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}

struct Known {
    std::string identity, digest;
};
struct Step {
    std::string base, zep, zed, command, seal, label;
};
struct Merged {
    MergedSource source;
    std::string step;
};
struct Index {
    std::vector<Known> entry;   // newest first
    std::vector<Step> steps;    // newest first, as written
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

// The backup folder (and the folder of all backups) must be folders of their own: a link there
// would put the copies, and the removal of old ones, anywhere.
void requireOwnFolder(const fs::path& folder)
{
    for (const fs::path& p : {folder.parent_path(), folder}) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(p, ec);
        if (fs::is_symlink(st)) throw TolvError("バックアップフォルダがシンボリックリンクのため使えません: " + p.string());
        if (fs::exists(st) && !fs::is_directory(st))
            throw TolvError("バックアップフォルダがフォルダではありません: " + p.string());
    }
}

// One line of the record, judged; the reason when it is not one the writer makes.
std::string parseLine(const std::string& line, Index& ix)
{
    const std::vector<std::string> f = splitTabs(line);
    if (f[0] == "entry") {
        if (f.size() != 3) return "entry の欄の数が違います";
        if (f[1].empty() || f[1].find_first_not_of("0123456789:.") != std::string::npos)
            return "ファイルの識別が正しくありません";
        if (!isHex(f[2], 16)) return "内容の要約が正しくありません";
        if (ix.entry.size() >= kMaxEntryLines) return "entry の行が多すぎます";
        ix.entry.push_back({f[1], f[2]});
    } else if (f[0] == "step") {
        // Five fields: a step of an older version, without a seal (listed, never restored).
        if (f.size() != 5 && f.size() != 7) return "step の欄の数が違います";
        if (!validName(f[1])) return "バックアップの名前が正しくありません: " + f[1];
        if (!isHex(f[2], 16) || (f[3] != "-" && !isHex(f[3], 16))) return "内容の要約が正しくありません";
        if (hasControl(f[4])) return "コマンド名が正しくありません";
        Step s{f[1], f[2], f[3], f[4], "", ""};
        if (f.size() == 7) {
            if (!isHex(f[5], 64)) return "照合の印が正しくありません";
            s.seal = f[5];
            s.label = f[6];
        }
        for (const Step& o : ix.steps)
            if (o.base == s.base) return "同じバックアップが二度記録されています: " + s.base;
        if (ix.steps.size() >= static_cast<std::size_t>(kBackupsKeptMax) + 1) return "step の行が多すぎます";
        ix.steps.push_back(s);
    } else if (f[0] == "merged") {
        if (f.size() != 6) return "merged の欄の数が違います";
        if (f[2].empty() || f[2].size() > 15 || f[2].find_first_not_of("0123456789") != std::string::npos)
            return "大きさが正しくありません";
        if (!isHex(f[3], 16)) return "内容の要約が正しくありません";
        if (!validName(f[4])) return "バックアップの名前が正しくありません: " + f[4];
        if (ix.merged.size() >= kMaxMergedLines) return "merged の行が多すぎます";
        ix.merged.push_back({{f[1], std::atoll(f[2].c_str()), f[3], f[5]}, f[4]});
    } else {
        return "知らない種類の行です";
    }
    return {};
}

Index readIndex(const fs::path& folder)
{
    Index ix;
    requireOwnFolder(folder);
    const fs::path p = folder / kIndexName;
    std::string bad;
    try {
        PlainFileReader in(p, kMaxIndexBytes);
        std::string line;
        for (std::size_t number = 1; bad.empty() && in.isOpen() && in.nextLine(line, kMaxLineBytes); ++number) {
            // Line ends of an editor (CR LF) are line ends.
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            const std::string why = parseLine(line, ix);
            if (!why.empty()) bad = std::to_string(number) + " 行目: " + why;
        }
    } catch (const TolvError& e) {
        throw TolvError("バックアップの記録を読めません: " + std::string(e.what()));
    }
    if (!bad.empty())
        throw TolvError("バックアップの記録が壊れているため使えません（" + bad + "）。記録を確かめてください: " + p.string());
    return ix;
}

void writeIndex(const fs::path& folder, Index ix)
{
    if (ix.merged.size() > kMaxMergedLines)
        ix.merged.erase(ix.merged.begin(), ix.merged.end() - static_cast<std::ptrdiff_t>(kMaxMergedLines));
    std::string text;
    for (const Known& k : ix.entry) text += "entry\t" + k.identity + "\t" + k.digest + "\n";
    for (const Step& s : ix.steps) {
        text += "step\t" + s.base + "\t" + s.zep + "\t" + s.zed + "\t" + field(s.command);
        if (!s.seal.empty()) text += "\t" + s.seal + "\t" + field(s.label);
        text += "\n";
    }
    for (const Merged& m : ix.merged)
        text += "merged\t" + field(m.source.stamp) + "\t" + std::to_string(m.source.size) + "\t" + m.source.digest + "\t" +
                m.step + "\t" + field(m.source.source) + "\n";
    replaceFile(folder / kIndexName, text, AtomicFile::Links::Replace);
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
    info.label = s.label;
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

// The step's own files (its name is a checked plain name: they are in the folder); a link there is
// removed itself, never what it points to.
void removeStepFiles(const fs::path& folder, const Step& s)
{
    std::error_code ec;
    fs::remove(folder / (s.base + ".zep"), ec);
    fs::remove(folder / (s.base + ".zed"), ec);
}

// What binds a step to the entry file and to the copies' own bytes.
std::string sealOf(const std::string& entry, const std::string& name, const std::string& zepSha, const std::string& zedSha)
{
    fs::create_directories(ctlDir());
    const std::string secret = localSecret(ctlDir() / kSecretName);
    return keyedSeal(secret, "tolvsys backup 1\n" + entry + "\n" + name + "\n" + zepSha + "\n" + zedSha + "\n");
}

std::string shaOf(const std::string& bytes)
{
    Sha256 sha;
    sha.update(bytes);
    return sha.hex();
}

struct Copied {
    std::string digest, sha;
};

// Copies `source` into the backup folder a megabyte at a time, never through a link planted at the
// copy's name; the digest and the SHA-256 of the bytes copied.
Copied copyInto(const fs::path& source, const fs::path& target)
{
    std::ifstream in(source, std::ios::binary);
    if (!in) throw TolvError("バックアップを作れません（読めません）: " + source.string());
    AtomicFile out(target, 0644, AtomicFile::Links::Replace);
    ContentDigest digest;
    Sha256 sha;
    std::string buf(1 << 20, '\0');
    while (in) {
        in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
        const std::string_view piece(buf.data(), static_cast<std::size_t>(in.gcount()));
        if (piece.empty()) break;
        out.write(piece);
        digest.update(piece);
        sha.update(piece);
    }
    if (in.bad()) throw TolvError("バックアップを作れません（読めません）: " + source.string());
    out.commit();
    return {digest.text(), sha.hex()};
}

// The bytes of one backup file, read only when it is a regular file (a symbolic link is never
// followed: it could point anywhere) holding what was backed up.
std::string backupBytes(const fs::path& file, const std::string& digest, const std::string& what)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(file, ec);
    if (fs::is_symlink(st)) throw TolvError(what + "がシンボリックリンクのため元に戻せません: " + file.string());
    if (fs::is_directory(st)) throw TolvError(what + "がフォルダのため元に戻せません: " + file.string());
    if (!fs::is_regular_file(st)) throw TolvError(what + "がありません: " + file.string());
    std::string bytes = readPlainFile(file, kMaxCopyBytes).value_or(std::string());
    if (ContentDigest::of(bytes) != digest)
        throw TolvError(
            what +
            "がバックアップしたときの内容と違うため元に戻せません（別の申込ファイルのもの、または書き換えられています）: " +
            file.string());
    return bytes;
}

UndoCheck check(const fs::path& entry, std::size_t n)
{
    const fs::path folder = backupFolderFor(entry);
    const Index ix = readIndex(folder);
    const Known* owner = ownerOf(entry, ix);
    const std::vector<Step> steps = owner ? presentSteps(folder, ix) : std::vector<Step>();
    if (steps.empty()) throw TolvError("元に戻せるバックアップがありません: " + entry.string());
    if (n >= steps.size())
        throw TolvError("バックアップ " + std::to_string(n + 1) + " はありません（1～" + std::to_string(steps.size()) +
                        "）: " + entry.string());
    UndoCheck c;
    const Step& step = steps[n];
    c.name = step.base;
    c.step = infoOf(folder, step);
    if (step.seal.empty())
        throw TolvError("このバックアップには照合の記録がないため元に戻せません（以前の版で作られたもの）: " +
                        c.step.file.string());
    c.zep = backupBytes(c.step.file, step.zep, "バックアップ");
    if (!c.step.zed.empty()) c.zed = backupBytes(c.step.zed, step.zed, "申込団体ファイルのバックアップ");
    const std::string seal = sealOf(entryKey(entry), step.base, shaOf(c.zep), c.step.zed.empty() ? "-" : shaOf(c.zed));
    if (!sameSeal(seal, step.seal))
        throw TolvError("バックアップがこの申込ファイルの記録と照合できないため元に戻せません（記録が書き換えられたか、別の申込フ"
                        "ァイルのものです）: " +
                        c.step.file.string());
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

// A name no file of the folder has: the stamp and the next sequence of that stamp among the record
// and the files (a clock that stands still or goes back reuses no name).
std::string freshName(const fs::path& folder, const Index& ix, const std::string& stamp, const std::string& command)
{
    long seq = 0;
    auto consider = [&](const std::string& base) {
        BackupInfo ignored;
        long s = 0;
        if (base.rfind(stamp, 0) == 0 && parseName(base, ignored, &s)) seq = std::max(seq, s + 1);
    };
    for (const Step& s : ix.steps) consider(s.base);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::size_t dot = name.rfind('.');
        if (dot != std::string::npos) consider(name.substr(0, dot));
    }
    for (;; ++seq) {
        char seqText[24];
        std::snprintf(seqText, sizeof seqText, "%02ld", seq);
        const std::string base = stamp + "-" + seqText + "-" + safeCommand(command);
        if (!fs::exists(fs::symlink_status(folder / (base + ".zep"), ec)) &&
            !fs::exists(fs::symlink_status(folder / (base + ".zed"), ec)))
            return base;
    }
}

} // namespace

int backupsKept()
{
    try {
        const std::optional<std::string> text = readPlainFile(ctlDir() / kSettingName, 4096);
        if (!text) return kBackupsKeptDefault;
        std::string digits;
        for (char c : *text)
            if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
            else if (c != ' ' && c != '"' && c != '\r' && c != '\n') return kBackupsKeptDefault;
        if (digits.empty() || digits.size() > 6) return kBackupsKeptDefault;
        return std::clamp(std::atoi(digits.c_str()), kBackupsKeptDefault, kBackupsKeptMax);
    } catch (const TolvError&) {
        return kBackupsKeptDefault;
    }
}

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

std::string BackupInfo::caption() const
{
    return label.empty() ? stepCaption(command) : stepCaption(command) + "（" + label + "）";
}

std::string labelledCommand(const std::string& command, const std::string& label)
{
    std::string l = field(label);
    if (l.size() > kMaxLabelBytes) {
        // Cut at a character's start, not inside one.
        std::size_t cut = kMaxLabelBytes;
        while (cut > 0 && (static_cast<unsigned char>(l[cut]) & 0xC0) == 0x80) --cut;
        l = l.substr(0, cut) + "…";
    }
    return l.empty() ? command : command + kLabelSeparator + l;
}

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

void makeBackup(const fs::path& entry, const std::string& labelled)
{
    std::error_code ec;
    if (!fs::exists(entry, ec)) return;
    const std::size_t sep = labelled.find(kLabelSeparator);
    const std::string command = labelled.substr(0, sep), label = sep == std::string::npos ? "" : labelled.substr(sep + 1);
    const fs::path folder = backupFolderFor(entry);
    Index ix = readIndex(folder);
    if (!ix.entry.empty() && !ownerOf(entry, ix)) {
        // The backups of a file that was at this path before: kept aside, never offered for this one.
        fs::rename(folder, fs::path(folder.string() + "~" + stampNow()), ec);
        ix = Index();
    }
    fs::create_directories(folder, ec);
    if (ec) throw TolvError("バックアップフォルダを作成できません: " + folder.string() + " (" + ec.message() + ")");
    requireOwnFolder(folder);

    Step step{freshName(folder, ix, stampNow(), command), "", "-", command, "", label};
    const fs::path zed = teamTotalsPathFor(entry);
    std::string zedSha = "-";
    if (fs::exists(zed, ec)) {
        const Copied z = copyInto(zed, folder / (step.base + ".zed"));
        step.zed = z.digest;
        zedSha = z.sha;
    }
    const Copied e = copyInto(entry, folder / (step.base + ".zep"));
    step.zep = e.digest;
    step.seal = sealOf(entryKey(entry), step.base, e.sha, zedSha);
    if (ix.entry.empty()) ix.entry.push_back({FileIdentity::of(entry), step.zep});

    ix.steps.insert(ix.steps.begin(), step);
    while (ix.steps.size() > static_cast<std::size_t>(backupsKept())) {
        removeStepFiles(folder, ix.steps.back());
        ix.steps.pop_back();
    }
    writeIndex(folder, ix);
}

void noteEntryWritten(const fs::path& entry, const fs::path& replacement, const std::string& digest)
{
    const fs::path folder = backupFolderFor(entry);
    Index ix = readIndex(folder);
    if (ix.entry.empty()) return; // no backups: nothing to tie to the file
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

UndoCheck checkUndo(const fs::path& entry, std::size_t step) { return check(entry, step); }

std::string changedSinceQuestion(const fs::path& entry)
{
    return "申込ファイルは最後の一括処理の後に変更されています。元に戻すとその変更は失われます（戻す前の状態はバックアップに残り"
           "ます）。元に戻しますか？: " +
           entry.string();
}

BackupInfo restoreBackup(const fs::path& entry, std::size_t n) { return restoreBackup(entry, check(entry, n)); }

BackupInfo restoreBackup(const fs::path& entry, const UndoCheck& c)
{
    const fs::path zed = teamTotalsPathFor(entry);
    // The team totals file is replaced under its own lock: not while the lists window edits it.
    FileLock zedLock;
    std::error_code ec;
    if (!c.step.zed.empty() || fs::exists(zed, ec)) zedLock = FileLock(zed, FileLock::Kind::Exclusive);

    // What is replaced is kept: the undo is a step of its own.
    makeBackup(entry, kUndoCommand);

    AtomicFile out(entry);
    out.write(c.zep);
    noteEntryWritten(entry, out.tempPath(), ContentDigest::of(c.zep));
    if (!c.step.zed.empty()) replaceFile(zed, c.zed);
    else fs::remove(zed, ec);
    out.commit();

    const fs::path folder = backupFolderFor(entry);
    Index ix = readIndex(folder);
    // Sources merged by the restored step or after it are no longer in the file.
    std::set<std::string> gone;
    for (const Step& s : ix.steps) {
        gone.insert(s.base);
        if (s.base == c.name) break;
    }
    if (!gone.count(c.name)) gone.clear();
    for (const Step& s : ix.steps)
        if (s.base == c.name) removeStepFiles(folder, s);
    ix.steps.erase(std::remove_if(ix.steps.begin(), ix.steps.end(), [&](const Step& s) { return s.base == c.name; }),
                   ix.steps.end());
    ix.merged.erase(std::remove_if(ix.merged.begin(), ix.merged.end(), [&](const Merged& m) { return gone.count(m.step) > 0; }),
                    ix.merged.end());
    writeIndex(folder, ix);
    return c.step;
}

BackupInfo restoreLatestBackup(const fs::path& entry) { return restoreBackup(entry, std::size_t{0}); }

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
