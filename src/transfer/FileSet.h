#pragma once
// Writing the files of one export as one whole set, so a failure or a kill never leaves a folder
// with part of a new set.
//
// Every export writes all of its files under temporary names first (so bad data or a missing
// template stops it before anything is replaced), and only when all are written are they renamed
// into place one after another. The large files are written line by line as they are made
// (FileSetWriter); the small ones may be built whole first (PlannedFile, writeFileSet).
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {
class AtomicFile;
}

namespace tolv::exchange {

namespace fs = std::filesystem;

// What one file of an export holds: the header bytes and its data lines (CP932, CR LF each).
struct PlannedFile {
    fs::path path;
    std::string bytes;
    long long lines = 0; // data lines, the header not counted
    std::string what;    // "行" for text lines, "件" for table rows
};

// What an export did, for the closing message and the command line.
struct ExportResult {
    std::vector<PlannedFile> written; // bytes dropped once written; path and line count kept
    std::vector<std::string> notes;   // extra lines for the closing message
};

// A file of a header and lines (all CP932).
PlannedFile planFile(const fs::path& path, const std::string& header, const std::vector<std::string>& lines);

// The closing message: every file with its line count, then the notes. `show` gives a file's name
// as the user knows it (the window shows the drive form c:\...; default: the host path).
std::string summaryText(const ExportResult& r, const std::function<std::string(const fs::path&)>& show = {});

// Writes the files as one whole set: every file under a temporary name first, synced; then a
// journal of the renames in the set's outermost folder (".tolvsys-set.<pid>.<n>.pending"), the renames,
// and the journal removed. A failure before the renames leaves every target as it was; folders the
// set creates are created first and removed again when they stay empty. A kill among the renames
// leaves the journal, and the next set written into that folder (or finishInterruptedSets) puts
// the rest of the new set in place first: the folder holds the old set or the new one. The written
// files are appended to `result` (bytes released).
void writeFileSet(std::vector<PlannedFile> files, ExportResult& result);
// The same, written as it is made: each file is begun, filled line by line through out() (CP932
// bytes; passed to its temporary file whenever a chunk is full) and completed (synced and closed)
// when the next one begins, so a set of any size holds one chunk in memory and one file open.
// commit() puts the set in place as writeFileSet does (journal, renames); a writer destroyed
// without commit() removes every temporary file and the folders it created that stayed empty, so
// the folder holds the old set. The journal goes into `home` (the transfer folder: the MEDIA<k> and
// SWM<team> folders of a set are below it); interrupted sets there, and in each folder a file goes
// into, are completed before the first file of the set is written there.
class FileSetWriter {
public:
    explicit FileSetWriter(fs::path home);
    ~FileSetWriter();
    FileSetWriter(const FileSetWriter&) = delete;
    FileSetWriter& operator=(const FileSetWriter&) = delete;

    // Begins the next file with its header (CP932); `what` as PlannedFile::what.
    void begin(const fs::path& path, std::string_view header, const std::string& what = std::string());
    // The bytes of the current file not yet passed on: lines are appended here.
    std::string& out() { return buffer_; }
    // One data line was appended to out().
    void endLine()
    {
        ++files_.back().lines;
        if (buffer_.size() >= kChunk) flush();
    }
    // A whole file at once (its header and lines already in `file.bytes`).
    void add(PlannedFile file);
    // Whether any file was begun.
    bool empty() const { return files_.empty(); }
    // Puts every file in place and appends them to `result` (path and line count).
    void commit(ExportResult& result);

private:
    static constexpr std::size_t kChunk = 1 << 20;
    void flush();
    void complete();

    fs::path home_;
    std::vector<fs::path> dirs_;    // folders whose interrupted sets are completed
    std::vector<fs::path> created_; // folders this set created
    std::vector<std::unique_ptr<AtomicFile>> temps_;
    std::vector<PlannedFile> files_; // path, line count, what (no bytes)
    std::string buffer_;
    bool committed_ = false, journalWritten_ = false;
};

// The transfer folder must exist and be a folder.
void requireFolder(const fs::path& folder);

} // namespace tolv::exchange
