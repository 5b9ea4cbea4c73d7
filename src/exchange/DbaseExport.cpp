// masterdb.dbf: the swimmer records as a dBASE III table for the SWM system, one row per swimmer
// and one column per record field (layout in docs/exports.md), written through shapelib's DBF API
// with the Japanese (code page 932) language-driver byte. The table is built in memory and then
// written into the transfer folder whole.
#include "exchange/Exports.h"
#include "platform/Error.h"
#include "storage/Codes.h"

#include <shapefil.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace tolv::exchange {

namespace {

using S = SwimmerRecord;

// Language driver 0x13: Japanese, code page 932.
constexpr const char* kCodePage = "LDID/19";

// Widths of the numeric columns.
constexpr int kAgeWidth = 6, kRegisteredWidth = 11, kTimeWidth = 6;

struct TextColumn {
    const char* name;
    Field field;
};
const TextColumn kTextColumns[] = {
    {"BANGO", S::kBango},     {"QBANGO", S::kQBango},   {"NAMAE", S::kNamae},          {"KANA", S::kKana},       {"KEN", S::kKen},
    {"KENKANA", S::kKenKana}, {"SHOZOKU", S::kShozoku}, {"SHOZKANA", S::kShozokuKana}, {"GAKUNEN", S::kGakunen},
};
const TextColumn kCodeColumns[] = {
    {"SEI", S::kSei},
    {"SHUFUKU", S::kShuFuku},
    {"SHUBETU", S::kShubetu},
};

// The CP932 bytes of a field, control characters made blanks, trailing blanks dropped.
std::string fieldBytes(const SwimmerRecord& s, Field f)
{
    std::string b(s.raw(f));
    for (char& c : b)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    std::size_t end = b.find_last_not_of(' ');
    b.erase(end == std::string::npos ? 0 : end + 1);
    return b;
}

// A number as shapelib's numeric columns hold it (right-aligned in the column, as "%*.0f" gives
// it), made here without printf; empty when it does not fit the column.
std::string numberField(long long value, std::size_t width)
{
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    const std::size_t n = static_cast<std::size_t>(end - digits);
    if (ec != std::errc() || n > width) return std::string();
    std::string out(width - n, ' ');
    out.append(digits, n);
    return out;
}

// Writes a number into a numeric column; false when it does not fit.
bool writeNumber(DBFHandle h, int row, int field, long long value, int width)
{
    std::string text = numberField(value, static_cast<std::size_t>(width));
    return !text.empty() && DBFWriteAttributeDirectly(h, row, field, text.data());
}

// shapelib's file hooks on memory: the table is built in a string and written into the transfer
// folder whole, like every other export file; nothing touches the disk before that.
struct MemoryFile {
    std::string bytes;
    std::size_t pos = 0;
};
thread_local std::map<std::string, MemoryFile>* memoryFiles = nullptr;
thread_local std::string memoryError;

MemoryFile* asMemory(SAFile f) { return reinterpret_cast<MemoryFile*>(f); }

SAFile memOpen(const char* name, const char* access)
{
    if (std::strchr(access, 'w')) {
        MemoryFile& f = (*memoryFiles)[name];
        f = MemoryFile{};
        return reinterpret_cast<SAFile>(&f);
    }
    auto it = memoryFiles->find(name);
    return it == memoryFiles->end() ? nullptr : reinterpret_cast<SAFile>(&it->second);
}
SAOffset memRead(void* p, SAOffset size, SAOffset n, SAFile file)
{
    MemoryFile* f = asMemory(file);
    const std::size_t want = std::size_t(size) * std::size_t(n);
    const std::size_t have = f->pos < f->bytes.size() ? f->bytes.size() - f->pos : 0;
    const std::size_t got = std::min(want, have) / (size ? size : 1) * size;
    std::memcpy(p, f->bytes.data() + f->pos, got);
    f->pos += got;
    return size ? SAOffset(got / size) : 0;
}
SAOffset memWrite(void* p, SAOffset size, SAOffset n, SAFile file)
{
    MemoryFile* f = asMemory(file);
    const std::size_t len = std::size_t(size) * std::size_t(n);
    if (f->bytes.size() < f->pos + len) f->bytes.resize(f->pos + len, '\0');
    std::memcpy(f->bytes.data() + f->pos, p, len);
    f->pos += len;
    return n;
}
SAOffset memSeek(SAFile file, SAOffset offset, int whence)
{
    MemoryFile* f = asMemory(file);
    const std::size_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->bytes.size() : 0;
    f->pos = base + std::size_t(offset);
    return 0;
}
SAOffset memTell(SAFile file) { return SAOffset(asMemory(file)->pos); }
int memFlush(SAFile) { return 0; }
int memClose(SAFile) { return 0; }
int memRemove(const char* name) { return memoryFiles->erase(name) ? 0 : -1; }
void memError(const char* message) { memoryError = message; }
double memAtof(const char* text) { return std::strtod(text, nullptr); }

SAHooks memoryHooks()
{
    SAHooks h{};
    h.FOpen = memOpen;
    h.FRead = memRead;
    h.FWrite = memWrite;
    h.FSeek = memSeek;
    h.FTell = memTell;
    h.FFlush = memFlush;
    h.FClose = memClose;
    h.Remove = memRemove;
    h.Error = memError;
    h.Atof = memAtof;
    return h;
}

class DbfTable {
public:
    explicit DbfTable(const std::string& name)
    {
        memoryFiles = &files_;
        SAHooks hooks = memoryHooks();
        h_ = DBFCreateLL(name.c_str(), kCodePage, &hooks);
        enforce(h_ != nullptr, "dBASE ファイルを作成できません: " + name + " (" + memoryError + ")");
    }
    ~DbfTable()
    {
        if (h_) DBFClose(h_);
        memoryFiles = nullptr;
    }
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;
    DBFHandle handle() const { return h_; }
    // Closes the table (header and end mark written) and gives its bytes.
    std::string close(const std::string& name)
    {
        DBFClose(h_);
        h_ = nullptr;
        return files_[name].bytes;
    }
    int addField(const char* name, DBFFieldType type, int width)
    {
        int i = DBFAddField(h_, name, type, width, 0);
        enforce(i >= 0, std::string("dBASE ファイルに項目を作れません: ") + name);
        return i;
    }

private:
    std::map<std::string, MemoryFile> files_;
    DBFHandle h_ = nullptr;
};

} // namespace

ExportResult exportDbase(const EntryData& data, const ExportTarget& target)
{
    requireFolder(target.transfer);
    std::string bytes;
    {
        DbfTable t("masterdb.dbf");
        // The header's date of last update is the export's date (the clock the tests fix).
        DBFSetLastModifiedDate(t.handle(), target.when.year - 1900, target.when.month, target.when.day);
        for (const TextColumn& c : kTextColumns) t.addField(c.name, FTString, static_cast<int>(c.field.width));
        const int age = t.addField("NENREI", FTInteger, kAgeWidth);
        for (const TextColumn& c : kCodeColumns) t.addField(c.name, FTString, static_cast<int>(c.field.width));
        const int registered = t.addField("TOROBI", FTInteger, kRegisteredWidth);
        int firstTime = -1;
        for (int slot = 0; slot < kStandardSlots; ++slot) {
            char name[12];
            std::snprintf(name, sizeof name, "KIRO%02d", slot + 1);
            int f = t.addField(name, FTInteger, kTimeWidth);
            if (slot == 0) firstTime = f;
        }
        for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
            const SwimmerRecord& s = data.swimmers[i];
            const int row = static_cast<int>(i);
            bool ok = true;
            int field = 0;
            for (const TextColumn& c : kTextColumns)
                ok = DBFWriteStringAttribute(t.handle(), row, field++, fieldBytes(s, c.field).c_str()) && ok;
            ok = writeNumber(t.handle(), row, age, s.nenrei(), kAgeWidth) && ok;
            field = age + 1;
            for (const TextColumn& c : kCodeColumns)
                ok = DBFWriteStringAttribute(t.handle(), row, field++, fieldBytes(s, c.field).c_str()) && ok;
            ok = writeNumber(t.handle(), row, registered, s.torobi(), kRegisteredWidth) && ok;
            for (int slot = 0; slot < kStandardSlots; ++slot) {
                timeField(s.kiro(slot), kTimeWidth, ' ', i + 1, s, slot); // refuses a value the column cannot hold
                ok = writeNumber(t.handle(), row, firstTime + slot, s.kiro(slot), kTimeWidth) && ok;
            }
            if (!ok) throw TolvError("masterdb.dbf: " + swimmerLabel(i + 1, s) + " を書き込めません。");
        }
        bytes = t.close("masterdb.dbf");
    }

    ExportResult r;
    PlannedFile f;
    f.path = target.transfer / "masterdb.dbf";
    f.bytes = std::move(bytes);
    f.lines = static_cast<long long>(data.swimmers.size());
    f.what = "件";
    std::vector<PlannedFile> files;
    files.push_back(std::move(f));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
