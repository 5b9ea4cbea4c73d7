#include "merge/ReadingFormats.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/FileReading.h"
#include "platform/Paths.h"
#include "storage/Codes.h"
#include "storage/FixedRecord.h"

#include <array>
#include <iterator>

namespace tolv::merge {
namespace {

namespace fs = std::filesystem;

// A format of yomi.dat (record 1 begins with the i16 format count, format p is record p + 1).
class FormatRecord : public FixedRecord<kFormatRecordLength> {
public:
    static constexpr Field kCount{0, 2}; // in record 1
    static constexpr Field kName{0, kFormatNameBytes};
    static constexpr Field kFileName = kName.next(kFormatNameBytes);
    static constexpr Field kTitle = kFileName.next(2); // i16 title records
    static constexpr Field kFixed = kTitle.next(2);    // i16, -1: fixed positions
    static constexpr Field kEvent = kFixed.next(2);    // i16, -1: event numbers
    static constexpr Field kFirst = kEvent.next(2);    // i16 event range
    static constexpr Field kLast = kFirst.next(2);
    static constexpr Field kColumns = kLast.next(2, kTargetFields); // i16 column of each target field
    static constexpr Field kUnused = kColumns.next(8);
};
static_assert(tilesRecord(std::array{FormatRecord::kName, FormatRecord::kFileName, FormatRecord::kTitle, FormatRecord::kFixed,
                                     FormatRecord::kEvent, FormatRecord::kFirst, FormatRecord::kLast, FormatRecord::kColumns,
                                     FormatRecord::kUnused},
                          kFormatRecordLength));

std::string trimRight(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string trimmed(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return std::string();
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// A format file not there yet holds no formats.
std::string readAll(const fs::path& p) { return readFileIfPresent(p).value_or(std::string()); }

// The file's bytes and its format count, checked against the records present.
struct FormatFile {
    std::string bytes;
    int count = 0;
};

FormatFile load(const fs::path& yomiDat)
{
    FormatFile f;
    f.bytes = readAll(yomiDat);
    if (f.bytes.size() < 2) {
        f.bytes.clear();
        return f;
    }
    FixedRecord<FormatRecord::kCount.width> n;
    std::copy_n(f.bytes.data(), FormatRecord::kCount.width, n.bytes().data());
    f.count = n.i16(FormatRecord::kCount.offset);
    const long long present = static_cast<long long>(f.bytes.size() / kFormatRecordLength) - 1;
    enforce(f.count >= 0 && f.count <= present, "読込形式ファイルが壊れています（形式数 " + std::to_string(f.count) +
                                                    "、レコード " + std::to_string(present < 0 ? 0 : present) +
                                                    "）: " + yomiDat.string());
    return f;
}

std::size_t offsetOf(int record) { return static_cast<std::size_t>(record - 1) * kFormatRecordLength; }

void putRecord(std::string& bytes, int record, const std::string& rec)
{
    const std::size_t at = offsetOf(record);
    if (bytes.size() < at + kFormatRecordLength) bytes.resize(at + kFormatRecordLength, '\0');
    bytes.replace(at, kFormatRecordLength, rec);
}

std::string getRecord(const std::string& bytes, int record) { return bytes.substr(offsetOf(record), kFormatRecordLength); }

void putCount(std::string& bytes, int count)
{
    if (bytes.size() < kFormatRecordLength) bytes.resize(kFormatRecordLength, '\0');
    FixedRecord<FormatRecord::kCount.width> n;
    n.setI16(FormatRecord::kCount.offset, static_cast<std::int16_t>(count));
    std::copy_n(n.bytes().data(), FormatRecord::kCount.width, bytes.data());
}

void checkPosition(const FormatFile& f, int position, const fs::path& yomiDat)
{
    enforce(position >= 0 && position < f.count,
            "読込形式 " + std::to_string(position + 1) + " 番目はありません: " + yomiDat.string());
}

std::int16_t fitI16(long long v, const char* what)
{
    enforce(v >= -32768 && v <= 32767, std::string(what) + " の値が大きすぎます: " + std::to_string(v));
    return static_cast<std::int16_t>(v);
}

} // namespace

const std::array<const char*, kTargetFields>& targetCaptions()
{
    static const std::array<const char*, kTargetFields> captions = {
        "番号", "旧番号",      "フリカナ", "名前",         "所属",        "所属カナ", "自由形   25", "50",          "100",
        "200",  "400",         "800",      "1500",         "背泳ぎ   25", "50",       "100",         "200",         "平泳ぎ   25",
        "50",   "100",         "200",      "バタフライ25", "50",          "100",      "200",         "個人メ  100", "200",
        "400",  "Ｍリレー100", "200",      "400",          "Ｆリレー100", "200",      "400",         "800"};
    return captions;
}

ColumnRef parseColumnRef(const std::string& text)
{
    const std::string t = trimmed(text);
    const long long n = numericValue(t);
    ColumnRef r;
    if (n <= 0) return r;
    r.column = n > 32767 ? 32767 : static_cast<int>(n);
    r.join = !t.empty() && t.back() == '+';
    return r;
}

std::string columnRefText(const ColumnRef& ref) { return std::to_string(ref.column) + (ref.join && ref.column > 0 ? "+" : ""); }

std::int16_t storedColumnRef(const ColumnRef& ref)
{
    return fitI16(ref.column + (ref.join && ref.column > 0 ? 100 : 0), "列番号");
}

ColumnRef columnRefFromStored(std::int16_t stored)
{
    if (stored >= 101) return ColumnRef{stored - 100, true};
    return ColumnRef{stored < 0 ? 0 : stored, false};
}

fs::path readingFormatsPath() { return findNoCase(ctlDir(), "yomi.dat"); }

std::string encodeReadingFormat(const ReadingFormat& format)
{
    const std::string name = toCp932(trimRight(format.name));
    const std::string file = toCp932(trimRight(format.fileName));
    enforce(!name.empty(), "読込形式の名前を入力してください");
    enforce(name.size() <= kFormatNameBytes, "読込形式の名前は 20 バイト（全角 10 文字）までです: " + format.name);
    enforce(file.size() <= kFormatNameBytes, "ファイル名は 20 バイト（全角 10 文字）までです: " + format.fileName);
    FormatRecord r;
    r.setTextBytes(FormatRecord::kName, name);
    r.setTextBytes(FormatRecord::kFileName, file);
    r.setI16(FormatRecord::kTitle.offset, fitI16(format.titleRecords, "タイトル項目"));
    r.setI16(FormatRecord::kFixed.offset, format.fixedPosition ? -1 : 0);
    r.setI16(FormatRecord::kEvent.offset, format.eventNumber ? -1 : 0);
    r.setI16(FormatRecord::kFirst.offset, fitI16(format.rangeFirst, "種目範囲"));
    r.setI16(FormatRecord::kLast.offset, fitI16(format.rangeLast, "種目範囲"));
    for (int i = 0; i < kTargetFields; ++i)
        r.setI16(FormatRecord::kColumns.at(static_cast<std::size_t>(i)).offset,
                 storedColumnRef(format.columns[static_cast<std::size_t>(i)]));
    return std::string(r.bytes().data(), kFormatRecordLength);
}

ReadingFormat decodeReadingFormat(const std::string& record)
{
    FormatRecord r;
    std::copy_n(record.data(), std::min(record.size(), kFormatRecordLength), r.bytes().data());
    ReadingFormat f;
    f.name = trimRight(r.text(FormatRecord::kName));
    f.fileName = trimRight(r.text(FormatRecord::kFileName));
    f.titleRecords = r.i16(FormatRecord::kTitle.offset);
    f.fixedPosition = r.i16(FormatRecord::kFixed.offset) != 0;
    f.eventNumber = r.i16(FormatRecord::kEvent.offset) != 0;
    f.rangeFirst = r.i16(FormatRecord::kFirst.offset);
    f.rangeLast = r.i16(FormatRecord::kLast.offset);
    for (int i = 0; i < kTargetFields; ++i)
        f.columns[static_cast<std::size_t>(i)] =
            columnRefFromStored(r.i16(FormatRecord::kColumns.at(static_cast<std::size_t>(i)).offset));
    return f;
}

std::vector<ReadingFormat> readReadingFormats(const fs::path& yomiDat)
{
    const FormatFile f = load(yomiDat);
    std::vector<ReadingFormat> out;
    for (int p = 0; p < f.count; ++p) out.push_back(decodeReadingFormat(getRecord(f.bytes, p + 2)));
    return out;
}

std::optional<ReadingFormat> findReadingFormat(const std::vector<ReadingFormat>& formats, const std::string& name)
{
    const std::string wanted = trimRight(name);
    for (const ReadingFormat& f : formats)
        if (f.name == wanted) return f;
    return std::nullopt;
}

void registerReadingFormat(const fs::path& yomiDat, const ReadingFormat& format)
{
    const std::string rec = encodeReadingFormat(format);
    FileLock lock(yomiDat, FileLock::Kind::Exclusive);
    FormatFile f = load(yomiDat);
    enforce(f.count < 32767, "読込形式はこれ以上登録できません: " + yomiDat.string());
    for (int r = f.count + 1; r >= 2; --r) putRecord(f.bytes, r + 1, getRecord(f.bytes, r));
    putRecord(f.bytes, 2, rec);
    putCount(f.bytes, f.count + 1);
    replaceFile(yomiDat, f.bytes);
}

void modifyReadingFormat(const fs::path& yomiDat, int position, const ReadingFormat& format)
{
    const std::string rec = encodeReadingFormat(format);
    FileLock lock(yomiDat, FileLock::Kind::Exclusive);
    FormatFile f = load(yomiDat);
    checkPosition(f, position, yomiDat);
    putRecord(f.bytes, position + 2, rec);
    replaceFile(yomiDat, f.bytes);
}

void deleteReadingFormat(const fs::path& yomiDat, int position)
{
    FileLock lock(yomiDat, FileLock::Kind::Exclusive);
    FormatFile f = load(yomiDat);
    checkPosition(f, position, yomiDat);
    for (int r = position + 3; r <= f.count + 1; ++r) putRecord(f.bytes, r - 1, getRecord(f.bytes, r));
    putCount(f.bytes, f.count - 1);
    replaceFile(yomiDat, f.bytes);
}

} // namespace tolv::merge
