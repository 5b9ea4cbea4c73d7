#pragma once
// Building blocks of the export files: record fields as the files show them, comma-separated lines
// with explicit quoting, and the set of files one menu item writes.
//
// Every export writes all of its files under temporary names first (so bad data or a missing
// template stops it before anything is replaced), and only when all are written are they renamed
// into place one after another. The large files are written line by line as they are made
// (FileSetWriter); the small ones may be built whole first (PlannedFile, writeFileSet).
#include "storage/FixedRecord.h"

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

// A fixed-width text field at its full width: NUL padding and other control characters become
// blanks (files never carry NUL bytes), then the CP932 bytes are decoded.
template <std::size_t N>
std::string fieldText(const FixedRecord<N>& r, std::size_t off, std::size_t width)
{
    std::string bytes(r.raw(off, width));
    for (char& c : bytes)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return fromCp932(bytes);
}
template <std::size_t N>
std::string fieldText(const FixedRecord<N>& r, Field f)
{
    return fieldText(r, f.offset, f.size());
}

// Characters first .. first + count - 1 (1-based, as the layouts count them); fewer at the end.
std::string midChars(const std::string& utf8, std::size_t first, std::size_t count);
inline std::string midChars(const std::string& utf8, CharPart part) { return midChars(utf8, part.first, part.count); }
std::size_t charLength(const std::string& utf8);
// True when every character is well-formed UTF-8 in its shortest form (as decoded CP932 always is).
bool isWellFormedUtf8(const std::string& utf8);
// Trailing half-width blanks removed.
std::string rtrimBlanks(std::string text);
// Control characters blanked, leading and trailing blanks removed (the text cleaning of mode 0).
std::string cleaned(const std::string& text);
// Every occurrence of `from` replaced by `to` (single characters of ASCII).
std::string replaceChar(std::string text, char from, char to);
// `value` right-aligned with blanks (or zeros) in `width` characters; longer values stay whole.
std::string padLeft(const std::string& value, std::size_t width, char pad = ' ');

// One comma-separated line: each column quoted or raw, no escaping inside quotes (the foreign
// systems read it that way); text() ends the line with CR LF.
class CsvLine {
public:
    CsvLine& q(const std::string& text);
    CsvLine& raw(const std::string& text);
    CsvLine& emptyQuoted(int n = 1);
    CsvLine& emptyRaw(int n = 1);
    std::size_t columns() const { return columns_; }
    std::string text() const;

private:
    std::string text_;  // the columns so far, comma-separated
    std::size_t columns_ = 0;
};

// The same line written straight into a file's CP932 bytes: the columns are CP932 already (text
// fields copied through fieldBytes, not decoded and encoded again); each column gets the same
// quoting and full-width delimiters as CsvLine gives it.
class CsvBytes {
public:
    explicit CsvBytes(std::string& out) : out_(out) {}
    CsvBytes& q(std::string_view cp932);
    CsvBytes& raw(std::string_view cp932);
    // Columns made once for every line (csvColumns), appended as they are.
    CsvBytes& columns(std::string_view made)
    {
        out_ += made;
        columns_ = columns_ || !made.empty();
        return *this;
    }
    void end() { out_ += "\r\n"; }

private:
    std::string& out_;
    bool columns_ = false;
};

// Columns that are the same on every line, in CP932 as CsvLine writes them after a first column
// (each with its leading comma): `add` adds them to a CsvLine. Throws when a text has no CP932 form.
std::string csvColumns(const std::function<void(CsvLine&)>& add);

// fieldText as CP932: the field at its full width, control bytes blanked, each character as
// toCp932(fieldText(...)) gives it (appendCp932RoundTrip). False when the field is no plain CP932
// text: its line is then built through fieldText, which says what is wrong.
bool fieldBytes(std::string_view raw, std::string& out);

// A line in CP932; `where` names the line in the message when a character has no CP932 form.
std::string encodeLine(const std::string& utf8, const std::string& where);

// What one file of an export holds: the header bytes and its data lines (CP932, CR LF each).
struct PlannedFile {
    fs::path path;
    std::string bytes;
    long long lines = 0;  // data lines, the header not counted
    std::string what;     // "行" for text lines, "件" for table rows
};

// What an export did, for the closing message and the command line.
struct ExportResult {
    std::vector<PlannedFile> written;  // bytes dropped once written; path and line count kept
    std::vector<std::string> notes;    // extra lines for the closing message
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
    std::vector<fs::path> dirs_;     // folders whose interrupted sets are completed
    std::vector<fs::path> created_;  // folders this set created
    std::vector<std::unique_ptr<AtomicFile>> temps_;
    std::vector<PlannedFile> files_;  // path, line count, what (no bytes)
    std::string buffer_;
    bool committed_ = false, journalWritten_ = false;
};

// Completes the sets in `folder` whose writer died among its renames. A journal found there is
// foreign input (the transfer folder is where media arrive): it is carried out only when every line
// is checkedJournal's; otherwise (or when it is a link, a folder, a FIFO, too large) nothing is
// renamed and the export is refused, naming the journal.
void finishInterruptedSets(const fs::path& folder);
// One rename of a journal, as carried out.
struct JournalRename {
    fs::path temp, target;
};
// The renames of a journal in `folder`: each line the writer's temporary name of its target, both
// plain names in `folder` or in a MEDIA<k> or SWM<team> folder below it (a real folder, not a link), the
// temporary file, if still there, a regular file. Anything else throws TolvError naming the
// journal and the line.
std::vector<JournalRename> checkedJournal(const fs::path& folder, const fs::path& journal, const std::string& text);

// The transfer folder must exist and be a folder.
void requireFolder(const fs::path& folder);

} // namespace tolv::exchange
