#include "storage/FileChecks.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/ControlFiles.h"
#include "storage/Master.h"

#include <cstring>
#include <sstream>

namespace tolv {

namespace {

[[noreturn]] void bad(const std::string& name, const std::string& what)
{
    throw TolvError("受け取ったファイルの形式が正しくありません（" + what + "）: " + name);
}

std::int32_t le32(const std::string& b, std::size_t at)
{
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::int16_t le16(const std::string& b, std::size_t at)
{
    std::int16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

bool decodes(std::string_view bytes) { return isValidCp932(bytes); }

std::string decoded(const std::string& bytes, const std::string& name)
{
    if (!isValidCp932(bytes)) bad(name, "文字が読めません");
    return fromCp932(bytes);
}

// Records of a master list: returns how many the count field may claim.
long long masterRecords(const std::string& bytes, std::size_t record, const std::string& name)
{
    if (bytes.size() < CountedRecordFile::offsetOf(1, record))
        bad(name, std::to_string(bytes.size()) + " バイト、見出しレコードに足りません");
    if (bytes.size() % record != 0) bad(name, "大きさがレコード長 " + std::to_string(record) + " の倍数ではありません");
    return CountedRecordFile::presentIn(static_cast<long long>(bytes.size()), record);
}

bool controlChar(unsigned char c) { return c < 0x20 || c == 0x7F; }

} // namespace

void checkTeamListBytes(const std::string& bytes, const std::string& name)
{
    const std::size_t rec = TeamRecord::size;
    const long long present = masterRecords(bytes, rec, name);
    const int count = le16(bytes, TeamRecord::kCount.offset);
    if (count < 0 || count > present) bad(name, "団体数 " + std::to_string(count) + "、団体レコード " + std::to_string(present));
    for (int n = 1; n <= count; ++n)
        if (!decodes(std::string_view(bytes).substr(CountedRecordFile::offsetOf(n, rec) + TeamRecord::kCode.offset,
                                                    TeamRecord::kCode.width)))
            bad(name, "団体 " + std::to_string(n) + " の番号が読めません");
}

int checkAthleteListBytes(const std::string& bytes, const std::string& name)
{
    const std::size_t rec = AthleteRecord::size;
    const long long present = masterRecords(bytes, rec, name);
    const std::int32_t count = le32(bytes, AthleteRecord::kCount.offset);
    if (count < 0 || count > present)
        bad(name, "競技者数 " + std::to_string(count) + "、競技者レコード " + std::to_string(present));
    for (long long n = 1; n <= count; ++n)
        if (!decodes(std::string_view(bytes).substr(CountedRecordFile::offsetOf(n, rec) + AthleteRecord::kBango.offset,
                                                    AthleteRecord::kBango.width)))
            bad(name, "競技者 " + std::to_string(n) + " の番号が読めません");
    return count;
}

void checkIndexBytes(const std::string& bytes, std::size_t rec, std::size_t keyWidth, int athletes, const std::string& name)
{
    if (bytes.size() < rec) bad(name, std::to_string(bytes.size()) + " バイト");
    if (bytes.size() % rec != 0) bad(name, "大きさがレコード長 " + std::to_string(rec) + " の倍数ではありません");
    const long long present = static_cast<long long>(bytes.size() / rec) - 1;
    const std::int32_t count = le32(bytes, 0);
    if (count < 0 || count > present) bad(name, "件数 " + std::to_string(count) + "、索引レコード " + std::to_string(present));
    std::string_view prev;
    for (long long i = 1; i <= count; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * rec;
        std::string_view key = std::string_view(bytes).substr(at, keyWidth);
        if (i > 1 && key < prev) bad(name, "索引 " + std::to_string(i) + " が順に並んでいません");
        prev = key;
        const std::int32_t athlete = le32(bytes, at + keyWidth);
        if (athlete < 1 || (athletes > 0 && athlete > athletes))
            bad(name, "索引 " + std::to_string(i) + " の競技者番号 " + std::to_string(athlete));
    }
}

void checkUnitFlagsBytes(const std::string& bytes, const std::string& name)
{
    if (bytes.size() < kUnitFlagsLength)
        bad(name, std::to_string(bytes.size()) + " バイト、" + std::to_string(kUnitFlagsLength) + " 文字に足りません");
    for (std::size_t i = 0; i < kUnitFlagsLength; ++i) {
        const char c = bytes[i];
        if (!(c == ' ' || (c >= '0' && c <= '9'))) bad(name, std::to_string(i + 1) + " 文字目が数字ではありません");
    }
}

bool isPlainFolderName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    if (name.front() == ' ' || name.back() == ' ') return false;
    for (unsigned char c : name)
        if (controlChar(c) || std::strchr("<>:\"/\\|?*%#", c)) return false;
    return true;
}

UnitList parseUnitListBytes(const std::string& bytes, const std::string& name)
{
    if (bytes.find('\0') != std::string::npos) bad(name, "文字のファイルではありません");
    const std::string text = decoded(bytes, name);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && text[first] == '<') bad(name, "HTML のページです");
    std::istringstream in(text);
    std::string line;
    UnitList list;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        std::size_t b = line.find_first_not_of(" \t"), e = line.find_last_not_of(" \t");
        std::string unit = line.substr(b, e - b + 1);
        if (unit.size() >= 2 && unit.front() == '"' && unit.back() == '"') unit = unit.substr(1, unit.size() - 2);
        if (isPlainFolderName(unit)) {
            list.units.push_back(unit);
        } else {
            std::string shown;
            for (char c : unit) shown += controlChar(static_cast<unsigned char>(c)) ? '?' : c;
            list.leftOut.push_back(std::to_string(lineNo) + " 行目「" + shown + "」");
        }
    }
    if (list.units.empty()) bad(name, "管理ユニットの名前がひとつもありません");
    return list;
}

void checkUnitListBytes(const std::string& bytes, const std::string& name) { parseUnitListBytes(bytes, name); }

void checkPasswordListBytes(const std::string& bytes, const std::string& name)
{
    const std::vector<std::string> fields = parseControlFields(decoded(bytes, name));
    if (fields.empty() || fields.size() % 2 != 0) bad(name, "団体コードとパスワードの組になっていません");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].empty()) bad(name, std::to_string(i + 1) + " 番目の項目が空です");
        for (unsigned char c : fields[i])
            if (controlChar(c) || c == '<' || c == '>') bad(name, std::to_string(i + 1) + " 番目の項目が正しくありません");
    }
}

} // namespace tolv
