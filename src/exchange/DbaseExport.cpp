// masterdb.dbf: the swimmer records as a dBASE III table for the SWM system, one row per swimmer
// and one column per record field (layout in docs/exports.md), written through shapelib's DBF API
// with the Japanese (code page 932) language-driver byte. The table is built in a private
// temporary folder and then copied into the transfer folder whole.
#include "exchange/Exports.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "storage/Codes.h"

#include <shapefil.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace tolv::exchange {

namespace {

using S = SwimmerRecord;

// Language driver 0x13: Japanese, code page 932.
constexpr const char* kCodePage = "LDID/19";

struct TextColumn {
    const char* name;
    std::size_t offset, width;
};
const TextColumn kTextColumns[] = {
    {"BANGO", S::kBango, 7},     {"QBANGO", S::kQBango, 14},   {"NAMAE", S::kNamae, 16},
    {"KANA", S::kKana, 16},      {"KEN", S::kKen, 8},          {"KENKANA", S::kKenKana, 6},
    {"SHOZOKU", S::kShozoku, 12}, {"SHOZKANA", S::kShozokuKana, 6}, {"GAKUNEN", S::kGakunen, 2},
};
const TextColumn kCodeColumns[] = {
    {"SEI", S::kSei, 1}, {"SHUFUKU", S::kShuFuku, 1}, {"SHUBETU", S::kShubetu, 6},
};

// The CP932 bytes of a field, control characters made blanks, trailing blanks dropped.
std::string fieldBytes(const SwimmerRecord& s, std::size_t off, std::size_t width)
{
    std::string b(s.raw(off, width));
    for (char& c : b)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    std::size_t end = b.find_last_not_of(' ');
    b.erase(end == std::string::npos ? 0 : end + 1);
    return b;
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tolvdbf.XXXXXX").string();
        enforce(::mkdtemp(pattern.data()) != nullptr, "一時フォルダを作成できません: " + pattern);
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

class DbfTable {
public:
    explicit DbfTable(const fs::path& path) : h_(DBFCreateEx(path.c_str(), kCodePage))
    {
        enforce(h_ != nullptr, "dBASE ファイルを作成できません: " + path.string());
    }
    ~DbfTable()
    {
        if (h_) DBFClose(h_);
    }
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;
    DBFHandle handle() const { return h_; }
    void close()
    {
        DBFClose(h_);
        h_ = nullptr;
    }
    int addField(const char* name, DBFFieldType type, int width)
    {
        int i = DBFAddField(h_, name, type, width, 0);
        enforce(i >= 0, std::string("dBASE ファイルに項目を作れません: ") + name);
        return i;
    }

private:
    DBFHandle h_;
};

} // namespace

ExportResult exportDbase(const EntryData& data, const ExportTarget& target)
{
    requireFolder(target.transfer);
    TempFolder temp;
    const fs::path built = temp.path() / "masterdb.dbf";
    {
        DbfTable t(built);
        // The header's date of last update is the export's date (the clock the tests fix).
        DBFSetLastModifiedDate(t.handle(), target.when.year - 1900, target.when.month, target.when.day);
        for (const TextColumn& c : kTextColumns) t.addField(c.name, FTString, static_cast<int>(c.width));
        const int age = t.addField("NENREI", FTInteger, 6);
        for (const TextColumn& c : kCodeColumns) t.addField(c.name, FTString, static_cast<int>(c.width));
        const int registered = t.addField("TOROBI", FTInteger, 11);
        int firstTime = -1;
        for (int slot = 0; slot < kStandardSlots; ++slot) {
            char name[12];
            std::snprintf(name, sizeof name, "KIRO%02d", slot + 1);
            int f = t.addField(name, FTInteger, 6);
            if (slot == 0) firstTime = f;
        }
        for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
            const SwimmerRecord& s = data.swimmers[i];
            const int row = static_cast<int>(i);
            bool ok = true;
            int field = 0;
            for (const TextColumn& c : kTextColumns)
                ok = DBFWriteStringAttribute(t.handle(), row, field++, fieldBytes(s, c.offset, c.width).c_str()) && ok;
            ok = DBFWriteIntegerAttribute(t.handle(), row, age, s.nenrei()) && ok;
            field = age + 1;
            for (const TextColumn& c : kCodeColumns)
                ok = DBFWriteStringAttribute(t.handle(), row, field++, fieldBytes(s, c.offset, c.width).c_str()) && ok;
            ok = DBFWriteIntegerAttribute(t.handle(), row, registered, s.torobi()) && ok;
            for (int slot = 0; slot < kStandardSlots; ++slot) {
                timeField(s.kiro(slot), 6, ' ', i + 1, s, slot);  // refuses a value the column cannot hold
                ok = DBFWriteIntegerAttribute(t.handle(), row, firstTime + slot, s.kiro(slot)) && ok;
            }
            enforce(ok, "masterdb.dbf: " + swimmerLabel(i + 1, s) + " を書き込めません。");
        }
        t.close();
    }
    std::ifstream in(built, std::ios::binary);
    enforce(static_cast<bool>(in), "dBASE ファイルを読めません: " + built.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();

    ExportResult r;
    PlannedFile f;
    f.path = target.transfer / "masterdb.dbf";
    f.bytes = bytes.str();
    f.lines = static_cast<long long>(data.swimmers.size());
    f.what = "件";
    std::vector<PlannedFile> files;
    files.push_back(std::move(f));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
