#pragma once
// What the imports of the "転入" menu share: the folder they read from and the floppy question for a
// drive that is not ready, input files read whole, lines and comma-separated fields on CP932 bytes,
// faults that name their file and line, times written m:ss.hh, and the closing report.
//
// Every import reads and checks all of its input first and changes the entry file afterwards in one
// step (EntryStore::appendSwimmers / commitAll), so a fault in line 900 leaves the file as it was.
#include "platform/Error.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

class Prompt;
class SwimmerRecord;

// The folder an import reads: its host path and the text the user knows it by (the transfer folder
// as dr_ten.ctl names it, or the folder given on the command line).
struct ImportFolder {
    std::filesystem::path host;
    std::string shown;
};
// The transfer folder of dr_ten.ctl in the control folder.
ImportFolder transferImportFolder();
ImportFolder importFolderAt(const std::filesystem::path& host);

// The user cancelled the floppy question (or a replacement): the item ends without another message.
class ImportCancelled : public TolvError {
public:
    ImportCancelled() : TolvError("中止しました。") {}
};

// A folder named by a drive letter whose drive is not mapped or not there is a drive that is not
// ready: asks "<folder> にフロッピーを入れてください。" (OK and Cancel) until it is ready; Cancel
// throws ImportCancelled. Folders without a drive letter are always ready.
void waitForDrive(const ImportFolder& folder, Prompt& prompt);

// The bytes of `name` in `folder`, the name matched without regard to letter case; nothing when the
// folder holds no such file (each caller says what that means). Anything else that keeps the file
// from being read (a folder of that name, no permission, a read error) is an error naming the file
// and the reason.
std::optional<std::string> readInputFile(const std::filesystem::path& folder, const std::string& name);

// The name of `name` in `folder` as it is on disk (letter case ignored), else `name` itself.
std::string nameOnDisk(const std::filesystem::path& folder, const std::string& name);

// Lines of a text file (CR LF, LF or CR ends a line); a last line without its end counts, an empty
// tail after the last line end does not. A Ctrl-Z (end-of-file mark of old DOS files) ends the text.
std::vector<std::string> splitLines(const std::string& bytes);
// The same lines as views into `bytes` (which must outlive them): a large transfer file is then
// held once, not twice.
std::vector<std::string_view> lineViews(std::string_view bytes);

// A fault in an input file: "<file> <line> 行目: <what>".
[[noreturn]] void inputFault(const std::string& file, int line, const std::string& what);

// The comma-separated fields of one line of CP932 bytes (quotes removed, blanks around bare fields
// trimmed). A line with bytes that are no CP932 text is a fault of its file and line.
std::vector<std::string> csvFields(const std::string& line, const std::string& file, int lineNo);
// The same, refusing a line of fewer than `least` fields.
std::vector<std::string> csvFields(const std::string& line, std::size_t least, const std::string& file, int lineNo);

// A time written m:ss.hh or mm:ss.hh, blank-padded on the left to eight characters and read as
// minutes (characters 1-2), seconds (4-5) and hundredths (7-8): 1:02.34 -> 10234. Blank parts
// read 0 and an empty text is 0; anything but digits and blanks in the parts, separators other than
// ":" and ".", or a text longer than eight give nothing; so does a value that is not a time of the
// time coding (seconds of 60 or more, an unknown mark: isTimeValue, the rule of verify).
std::optional<std::int32_t> clockTime(const std::string& text);
// Minutes, seconds and hundredths given as separate two-character parts (digits or blanks).
std::optional<std::int32_t> clockTime(const std::string& minutes, const std::string& seconds, const std::string& hundredths);

// The reference date's year must be readable for century completion of two-digit birth years.
void requireReferenceYear(const std::string& kijunBi);
// A 12-character registration number (prefecture 2, team 3, birth YYMMDD, check character) widened
// to the 14-character old number: the century the reference date gives goes after character 5.
std::string widenRegistrationNumber(const std::string& twelve, const std::string& kijunBi);

// The closing message of an import: what it did, then the lines it left out and why.
struct ImportReport {
    std::vector<std::string> done;    // "選手 12 人を追加しました。"
    std::vector<std::string> skipped; // "swent.txt 5 行目: 種目がありません"
    bool changed = false;             // whether the entry file (or the written file) changed
    void skip(const std::string& file, int line, const std::string& why);
    std::string message() const;
};

} // namespace tolv
