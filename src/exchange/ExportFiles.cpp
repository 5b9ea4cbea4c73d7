#include "exchange/ExportFiles.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/PlainFile.h"
#include "platform/Utf8.h"
#include "storage/CsvDelimiters.h"
#include "storage/TextUtil.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <limits>
#include <csignal>
#include <cstdlib>
#include <memory>

namespace tolv::exchange {

namespace {

// Length of the well-formed UTF-8 character at p (one that toUtf32 and fromUtf32 give back byte for
// byte: no overlong form, no stray or missing continuation byte), 0 when it is not one.
std::size_t wellFormedLength(const unsigned char* p, std::size_t left)
{
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    auto cont = [&](std::size_t i, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
        return i < left && p[i] >= lo && p[i] <= hi;
    };
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) return cont(1, c == 0xE0 ? 0xA0 : 0x80) && cont(2) ? 3 : 0;
    if (c >= 0xF0 && c <= 0xF4)
        return cont(1, c == 0xF0 ? 0x90 : 0x80, c == 0xF4 ? 0x8F : 0xBF) && cont(2) && cont(3) ? 4 : 0;
    return 0;
}

// Byte offsets of the characters of a well-formed text (and its end); false when it is not one.
bool characterStarts(const std::string& utf8, std::vector<std::size_t>& starts)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    starts.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = wellFormedLength(p + i, utf8.size() - i);
        if (n == 0) return false;
        starts.push_back(i);
        i += n;
    }
    starts.push_back(utf8.size());
    return true;
}

} // namespace

std::string midChars(const std::string& utf8, std::size_t first, std::size_t count)
{
    // Well-formed text (all that decoding CP932 gives) is cut by bytes; anything else by code points.
    thread_local std::vector<std::size_t> starts;
    if (characterStarts(utf8, starts)) {
        const std::size_t chars = starts.size() - 1;
        if (first < 1 || first > chars) return std::string();
        const std::size_t last = std::min(chars, first - 1 + std::min(count, chars));
        return utf8.substr(starts[first - 1], starts[last] - starts[first - 1]);
    }
    std::u32string chars = toUtf32(utf8);
    if (first < 1 || first > chars.size()) return std::string();
    return fromUtf32(std::u32string_view(chars).substr(first - 1, count));
}

std::size_t charLength(const std::string& utf8) { return toUtf32(utf8).size(); }

bool isWellFormedUtf8(const std::string& utf8) { return isValidUtf8(utf8); }

std::string rtrimBlanks(std::string text)
{
    std::size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

std::string cleaned(const std::string& text) { return cleanedText(text, 0); }

std::string replaceChar(std::string text, char from, char to)
{
    for (char& c : text)
        if (c == from) c = to;
    return text;
}

std::string padLeft(const std::string& value, std::size_t width, char pad)
{
    std::size_t n = charLength(value);
    return n >= width ? value : std::string(width - n, pad) + value;
}

// Every field is one column: a half-width comma or double quote in it (an older file's, typed
// before they were refused) is written full-width.
CsvLine& CsvLine::q(const std::string& text)
{
    if (columns_++) text_ += ',';
    text_ += '"';
    text_ += fullWidthDelimiters(text);
    text_ += '"';
    return *this;
}

CsvLine& CsvLine::raw(const std::string& text)
{
    if (columns_++) text_ += ',';
    text_ += fullWidthDelimiters(text);
    return *this;
}

CsvLine& CsvLine::emptyQuoted(int n)
{
    for (int i = 0; i < n; ++i) q(std::string());
    return *this;
}

CsvLine& CsvLine::emptyRaw(int n)
{
    for (int i = 0; i < n; ++i) raw(std::string());
    return *this;
}

std::string CsvLine::text() const { return text_ + "\r\n"; }

CsvBytes& CsvBytes::q(std::string_view cp932)
{
    if (columns_) out_ += ',';
    columns_ = true;
    out_ += '"';
    appendFullWidthDelimitersCp932(cp932, out_);
    out_ += '"';
    return *this;
}

CsvBytes& CsvBytes::raw(std::string_view cp932)
{
    if (columns_) out_ += ',';
    columns_ = true;
    appendFullWidthDelimitersCp932(cp932, out_);
    return *this;
}

std::string csvColumns(const std::function<void(CsvLine&)>& add)
{
    CsvLine l;
    l.raw(std::string());  // the first column, which the made columns follow
    add(l);
    std::string text = l.text();
    text.resize(text.size() - 2);  // CR LF
    return toCp932(text);
}

bool fieldBytes(std::string_view raw, std::string& out)
{
    out.clear();
    bool plain = true;
    for (char c : raw)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80) plain = false;
    if (plain) {
        out.assign(raw);
        return true;
    }
    thread_local std::string blanked;
    blanked.assign(raw);
    for (char& c : blanked)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return appendCp932RoundTrip(blanked, out);
}

std::string encodeLine(const std::string& utf8, const std::string& where)
{
    try {
        return toCp932(utf8);
    } catch (const TolvError& e) {
        throw TolvError(where + ": " + e.what());
    }
}

PlannedFile planFile(const fs::path& path, const std::string& header, const std::vector<std::string>& lines)
{
    PlannedFile f;
    f.path = path;
    std::size_t size = header.size();
    for (const std::string& l : lines) size += l.size();
    f.bytes.reserve(size);
    f.bytes = header;
    for (const std::string& l : lines) f.bytes += l;
    f.lines = static_cast<long long>(lines.size());
    return f;
}

std::string summaryText(const ExportResult& r, const std::function<std::string(const fs::path&)>& show)
{
    std::string s = r.written.empty() ? "書き出すデータがありません。" : "書き出しました（行数は見出しを除く）:";
    for (const PlannedFile& f : r.written)
        s += "\n" + (show ? show(f.path) : f.path.string()) + "  " + std::to_string(f.lines) + (f.what.empty() ? "行" : f.what);
    for (const std::string& n : r.notes) s += "\n" + n;
    return s;
}

void requireFolder(const fs::path& folder)
{
    std::error_code ec;
    enforce(fs::is_directory(folder, ec), "転送先フォルダがありません: " + folder.string());
}

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

std::vector<JournalRename> checkedJournal(const fs::path& folder, const fs::path& journal, const std::string& text)
{
    const fs::path home = fs::absolute(folder).lexically_normal();
    std::vector<JournalRename> out;
    auto refuse = [&journal](std::size_t line, const std::string& why) {
        throw TolvError("中断された書き出しの記録が正しくないため、何も書き出しません（" + std::to_string(line) + " 行目: " + why +
                        "）。記録を確かめて消してください: " + journal.string());
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
        if (!temp.is_absolute() || !target.is_absolute())
            refuse(number, "書き出しで書いた形のパスではありません");
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

FileSetWriter::FileSetWriter(fs::path home) : home_(std::move(home)) {}

FileSetWriter::~FileSetWriter()
{
    if (committed_) return;
    if (journalWritten_) {
        // The journal names the temporary files: they stay, and the next export completes the set.
        for (auto& t : temps_) t->keepTemporary();
        return;
    }
    temps_.clear();  // each removes its temporary file
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
        std::error_code ec;
        if (fs::is_empty(*it, ec)) fs::remove(*it, ec);
    }
}

void FileSetWriter::flush()
{
    if (buffer_.empty()) return;
    temps_.back()->write(buffer_);
    buffer_.clear();
}

void FileSetWriter::complete()
{
    if (temps_.empty()) return;
    flush();
    temps_.back()->prepare();  // synced and closed: one file open at a time
}

void FileSetWriter::begin(const fs::path& path, std::string_view header, const std::string& what)
{
    enforce(!committed_, "書き出しは終わっています: " + path.string());
    complete();
    if (dirs_.empty()) {
        // A set an earlier export could not finish is put in place first.
        dirs_.push_back(home_);
        finishInterruptedSets(home_);
    }
    const fs::path dir = path.parent_path();
    std::error_code ec;
    if (std::find(dirs_.begin(), dirs_.end(), dir) == dirs_.end()) {
        dirs_.push_back(dir);
        if (fs::exists(dir, ec)) finishInterruptedSets(dir);
    }
    if (!fs::exists(dir, ec)) {
        if (!fs::create_directory(dir, ec))
            throw TolvError("フォルダを作成できません: " + dir.string() + " (" + ec.message() + ")");
        created_.push_back(dir);
    }
    temps_.push_back(std::make_unique<AtomicFile>(path));
    PlannedFile f;
    f.path = path;
    f.what = what;
    files_.push_back(std::move(f));
    buffer_.reserve(kChunk + 4096);
    buffer_.assign(header);
}

void FileSetWriter::add(PlannedFile file)
{
    begin(file.path, std::string_view(), file.what);
    files_.back().lines = file.lines;
    temps_.back()->write(file.bytes);
}

void FileSetWriter::commit(ExportResult& result)
{
    enforce(!committed_, "書き出しは終わっています");
    complete();
    // Several files are put in place through a journal of the renames: a kill among the renames
    // leaves it, and the next set written into the folder completes them (finishInterruptedSets).
    fs::path journal;
    if (temps_.size() > 1) {
        static std::atomic<unsigned> counter{0};
        journal = home_ / (std::string(kJournalPrefix) + std::to_string(currentProcessNumber()) + "." +
                           std::to_string(counter.fetch_add(1)) + kJournalSuffix);
        std::string text;
        for (const auto& t : temps_) text += fs::absolute(t->tempPath()).string() + "\t" + fs::absolute(t->finalPath()).string() + "\n";
        replaceFile(journal, text);
        journalWritten_ = true;
    }
    for (std::size_t i = 0; i < temps_.size(); ++i) temps_[i]->commit();
    committed_ = true;
    if (!journal.empty()) {
        std::error_code ec;
        fs::remove(journal, ec);
    }
    for (PlannedFile& f : files_) result.written.push_back(std::move(f));
    files_.clear();
}

void writeFileSet(std::vector<PlannedFile> files, ExportResult& result)
{
    if (files.empty()) return;
    // The journal goes into the outermost folder of the set (the transfer folder, not a MEDIA<k>
    // below it), where the next export looks first.
    fs::path home = files.front().path.parent_path();
    for (const PlannedFile& f : files)
        if (f.path.parent_path().string().size() < home.string().size()) home = f.path.parent_path();
    FileSetWriter set(home);
    for (PlannedFile& f : files) set.add(std::move(f));
    set.commit(result);
}

} // namespace tolv::exchange
