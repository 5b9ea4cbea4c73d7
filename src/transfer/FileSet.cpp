#include "transfer/FileSet.h"

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "transfer/SetJournal.h"

#include <algorithm>

namespace tolv::exchange {

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

FileSetWriter::FileSetWriter(fs::path home) : home_(std::move(home)) {}

FileSetWriter::~FileSetWriter()
{
    if (committed_) return;
    if (journalWritten_) {
        // The journal names the temporary files: they stay, and the next export completes the set.
        for (auto& t : temps_) t->keepTemporary();
        return;
    }
    temps_.clear(); // each removes its temporary file
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
    temps_.back()->prepare(); // synced and closed: one file open at a time
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
        journal = newJournalPath(home_);
        std::string text;
        for (const auto& t : temps_)
            text += fs::absolute(t->tempPath()).string() + "\t" + fs::absolute(t->finalPath()).string() + "\n";
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
