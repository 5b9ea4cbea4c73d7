#pragma once
// Reading formats: how the columns of a comma-separated file of other origin map onto the 35 target
// fields of a swimmer record, kept under a name in the control file yomi.dat.
//
// yomi.dat: records of 128 bytes, 16-bit little-endian integers, CP932 text padded with blanks.
//   record 1           0 i16 N (number of formats) | 2 unused
//   record p + 2       0 name 20 | 20 fileName 20 | 40 i16 title records | 42 i16 fixed position
//   (list position p,    (-1 chosen, 0 not) | 44 i16 event number (-1 / 0) | 46 i16 range first |
//    0-based)            48 i16 range last | 50 i16 x 35 column references (n, or n + 100 for "n+")
//                        | 120 unused
// A missing or empty file holds no format; the first registration creates it.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolv::merge {

constexpr int kTargetFields = 35;  // 0 番号 … 34 Ｆリレー800
constexpr int kSourceColumns = 69; // columns 1 … 69 of a record are held
constexpr int kFirstTimeField = 6; // target field i >= 6 is event number i - 5, time slot i - 6
constexpr std::size_t kFormatRecordLength = 128;
constexpr std::size_t kFormatNameBytes = 20;

// Captions of the target fields as the window labels them.
const std::array<const char*, kTargetFields>& targetCaptions();

// A column reference as typed: "3" names column 3, "3+" columns 3 and 4 joined, "0" or "" none.
struct ColumnRef {
    int column = 0;
    bool join = false;

    bool operator==(const ColumnRef&) const = default;
};
// The leading number of the text (blanks around it allowed; 0 when there is none or it is
// negative), joined when the text ends in "+". A "+" on no column means nothing.
ColumnRef parseColumnRef(const std::string& text);
// The text a reference is shown as: "3", "3+", "0".
std::string columnRefText(const ColumnRef& ref);
// As stored in yomi.dat: n, or n + 100 when joined; a stored value of 101 and above reads back as
// joined.
std::int16_t storedColumnRef(const ColumnRef& ref);
ColumnRef columnRefFromStored(std::int16_t stored);

struct ReadingFormat {
    std::string name;          // txtKeisiki, at most 20 bytes
    std::string fileName;      // txtFileNa, informational, at most 20 bytes
    int titleRecords = 0;      // records at the top of the file that are never appended
    bool fixedPosition = true; // "固定位置"
    bool eventNumber = false;  // "種目番号": event-code and time pairs in columns first … last
    int rangeFirst = 0;
    int rangeLast = 0;
    std::array<ColumnRef, kTargetFields> columns{};

    bool operator==(const ReadingFormat&) const = default;
};

// ctl/yomi.dat of the working tree.
std::filesystem::path readingFormatsPath();

// Every stored format in list order. A missing or empty file gives none; a damaged one (a count
// beyond the records present, a negative count) is refused naming the file.
std::vector<ReadingFormat> readReadingFormats(const std::filesystem::path& yomiDat);
// The first format of that name (trailing blanks ignored).
std::optional<ReadingFormat> findReadingFormat(const std::vector<ReadingFormat>& formats, const std::string& name);

// Register: the new format becomes the first of the list, the others move down one place.
void registerReadingFormat(const std::filesystem::path& yomiDat, const ReadingFormat& format);
// Modify: the format at list position p (0-based) is overwritten.
void modifyReadingFormat(const std::filesystem::path& yomiDat, int position, const ReadingFormat& format);
// Delete: the formats after position p move up one place; the last record stays behind unused.
void deleteReadingFormat(const std::filesystem::path& yomiDat, int position);

// The 128-byte record of one format (what register and modify write).
std::string encodeReadingFormat(const ReadingFormat& format);
ReadingFormat decodeReadingFormat(const std::string& record);

} // namespace tolv::merge
