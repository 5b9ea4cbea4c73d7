#include "storage/ControlFiles.h"

#include "platform/AtomicFile.h"
#include "platform/FileReading.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "storage/FixedRecord.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace tolv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kZepFile = "dr_zep.ctl";
constexpr const char* kTorFile = "dr_tor.ctl";
constexpr const char* kTenFile = "dr_ten.ctl";
constexpr const char* kWebFile = "dr_web.ctl";

// ken.ctl: record i is prefecture i (CP932 texts).
constexpr std::size_t kKenRecord = 20;
constexpr Field kKenName{0, 8};
constexpr Field kKenReading = kKenName.next(6); // half-width katakana
constexpr Field kKenFurther = kKenReading.next(6);
static_assert(tilesRecord(std::array{kKenName, kKenReading, kKenFurther}, kKenRecord));
using KenRecord = FixedRecord<kKenRecord>;

// Nothing for a file that is not there; a file that is there but cannot be read is an error.
std::optional<std::string> readFileBytes(const fs::path& p) { return readFileIfPresent(p); }

void replaceControlFile(const fs::path& target, const std::string& bytes)
{
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    tolv::replaceFile(target, bytes);
}

void writeControlFile(const fs::path& target, const std::string& utf8Lines) { replaceControlFile(target, toCp932(utf8Lines)); }

std::optional<std::vector<std::string>> readControlFile(const fs::path& p)
{
    // A file that is there but cannot be read gives nothing like a missing one; existsUnread tells
    // them apart, so that such a file is reported and never replaced by defaults.
    std::optional<std::string> bytes;
    try {
        bytes = readFileBytes(p);
    } catch (const TolvError&) {
        return std::nullopt;
    }
    if (!bytes) return std::nullopt;
    if (!isValidCp932(*bytes)) return std::nullopt; // damaged bytes: as unreadable
    return parseControlFields(fromCp932(*bytes));
}

// A control file that is there but gives nothing: never to be replaced by defaults. An empty file
// holds nothing to lose and counts as missing.
bool existsUnread(const fs::path& file, bool readable)
{
    if (readable) return false;
    std::error_code ec;
    if (fs::symlink_status(file, ec).type() == fs::file_type::not_found || ec) return false;
    std::error_code sc;
    return !(fs::is_regular_file(file, sc) && fs::file_size(file, sc) == 0 && !sc);
}

// A number field as the sequential reader takes it: optional blanks and sign, then digits only.
std::optional<int> numberField(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    if (b < e && s[b] == '+') ++b;
    if (b == e) return std::nullopt;
    int v = 0;
    auto [ptr, err] = std::from_chars(s.data() + b, s.data() + e, v);
    if (err != std::errc() || ptr != s.data() + e) return std::nullopt;
    return v;
}

std::string folderField(const std::string& s) { return withTrailingSeparator(s); }

ControlField text(const std::string& v) { return {v, false}; }
ControlField number(int v) { return {std::to_string(v), true}; }

} // namespace

// Fields are separated by "," or a line end. A field that starts with a double quote (after blanks)
// runs to the closing quote, a doubled quote inside standing for one quote; anything after the
// closing quote up to the separator is ignored. A bare field runs to the separator, blanks trimmed.
// A line end right after a "," ends an empty field; blank lines hold no field.
std::vector<std::string> parseControlFields(const std::string& utf8Text)
{
    std::vector<std::string> out;
    const std::string& s = utf8Text;
    std::size_t i = 0, n = s.size();
    auto atLineEnd = [&](std::size_t k) { return k >= n || s[k] == '\r' || s[k] == '\n'; };
    auto skipLineEnd = [&]() {
        if (i < n && s[i] == '\r') ++i;
        if (i < n && s[i] == '\n') ++i;
    };
    while (i < n) {
        if (s[i] == '\r' || s[i] == '\n') { // blank line
            skipLineEnd();
            continue;
        }
        // One line of fields.
        while (true) {
            while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
            std::string field;
            if (i < n && s[i] == '"') {
                ++i;
                while (i < n) {
                    // The run up to the next quote or line end at once.
                    std::size_t e = i;
                    while (e < n && s[e] != '"' && s[e] != '\r' && s[e] != '\n') ++e;
                    field.append(s, i, e - i);
                    i = e;
                    if (i >= n || s[i] != '"') break; // unterminated: ends at the line
                    if (i + 1 < n && s[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                while (!atLineEnd(i) && s[i] != ',') ++i;
            } else {
                std::size_t b = i;
                while (!atLineEnd(i) && s[i] != ',') ++i;
                field = s.substr(b, i - b);
                while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.pop_back();
            }
            out.push_back(std::move(field));
            if (i < n && s[i] == ',') {
                ++i;
                continue; // a line end after the comma yields the empty field above on the next pass
            }
            skipLineEnd();
            break;
        }
    }
    return out;
}

std::string controlLine(const std::vector<ControlField>& fields)
{
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k) line += ',';
        const ControlField& f = fields[k];
        if (f.number) {
            line += f.value;
            continue;
        }
        line += '"';
        for (char c : f.value) {
            if (c == '"') line += "\"\"";
            else if (c == '\r' || c == '\n') line += ' '; // a line end would split the record
            else line += c;
        }
        line += '"';
    }
    line += "\r\n";
    return line;
}

std::optional<ZepControl> readZepControl(const fs::path& ctl)
{
    auto f = readControlFile(ctl / kZepFile);
    if (!f || f->size() < 4) return std::nullopt;
    auto type = numberField((*f)[2]);
    if (!type) return std::nullopt;
    ZepControl v;
    v.drive = (*f)[0];
    v.folder = folderField((*f)[1]);
    // The file-type list has three positions (a fourth may exist); anything else would point
    // outside the picker.
    v.fileType = (*type >= 0 && *type <= 3) ? *type : 0;
    v.fileName = (*f)[3];
    return v;
}

std::optional<TorControl> readTorControl(const fs::path& ctl)
{
    auto f = readControlFile(ctl / kTorFile);
    if (!f || f->size() < 2) return std::nullopt;
    TorControl v;
    v.drive = (*f)[0];
    v.folder = folderField((*f)[1]);
    return v;
}

std::optional<TenControl> readTenControl(const fs::path& ctl)
{
    auto f = readControlFile(ctl / kTenFile);
    if (!f || f->empty()) return std::nullopt;
    TenControl v;
    v.folder = folderField((*f)[0]);
    return v;
}

// club, password, address 1 .. address n, n, chosen. The count is written for the reader's sake;
// the addresses actually present are what counts, so a count that disagrees cannot make the reader
// run past the end or swallow the trailing numbers as addresses.
std::optional<WebControl> readWebControl(const fs::path& ctl)
{
    auto f = readControlFile(ctl / kWebFile);
    if (!f || f->size() < 4) return std::nullopt;
    const auto& v = *f;
    auto count = numberField(v[v.size() - 2]);
    auto chosen = numberField(v[v.size() - 1]);
    if (!count || !chosen) return std::nullopt;
    WebControl w;
    w.clubCode = v[0];
    w.password = v[1];
    w.addresses.assign(v.begin() + 2, v.end() - 2);
    w.chosen = (*chosen >= 0 && *chosen < static_cast<int>(w.addresses.size())) ? *chosen : 0;
    return w;
}

bool writeZepControl(const fs::path& ctl, const ZepControl& v)
{
    if (existsUnread(ctl / kZepFile, readZepControl(ctl).has_value())) return false;
    writeControlFile(ctl / kZepFile, controlLine({text(v.drive), text(v.folder), number(v.fileType), text(v.fileName)}));
    return true;
}

bool writeTorControl(const fs::path& ctl, const TorControl& v)
{
    if (existsUnread(ctl / kTorFile, readTorControl(ctl).has_value())) return false;
    writeControlFile(ctl / kTorFile, controlLine({text(v.drive), text(v.folder)}));
    return true;
}

bool writeTenControl(const fs::path& ctl, const TenControl& v)
{
    if (existsUnread(ctl / kTenFile, readTenControl(ctl).has_value())) return false;
    writeControlFile(ctl / kTenFile, controlLine({text(v.folder)}));
    return true;
}

bool writeWebControl(const fs::path& ctl, const WebControl& v)
{
    if (existsUnread(ctl / kWebFile, readWebControl(ctl).has_value())) return false;
    std::vector<ControlField> second;
    for (const auto& a : v.addresses) second.push_back(text(a));
    second.push_back(number(static_cast<int>(v.addresses.size())));
    second.push_back(number(v.chosen));
    // It holds the club's password: readable by its owner only.
    std::error_code ec;
    fs::create_directories(ctl, ec);
    replacePrivateFile(ctl / kWebFile, toCp932(controlLine({text(v.clubCode), text(v.password)}) + controlLine(second)));
    return true;
}

std::vector<fs::path> damagedControlFiles(const fs::path& ctl)
{
    std::vector<fs::path> out;
    if (existsUnread(ctl / kTorFile, readTorControl(ctl).has_value())) out.push_back(ctl / kTorFile);
    if (existsUnread(ctl / kTenFile, readTenControl(ctl).has_value())) out.push_back(ctl / kTenFile);
    if (existsUnread(ctl / kZepFile, readZepControl(ctl).has_value())) out.push_back(ctl / kZepFile);
    if (existsUnread(ctl / kWebFile, readWebControl(ctl).has_value())) out.push_back(ctl / kWebFile);
    return out;
}

std::string damagedControlMessage(const std::vector<fs::path>& files)
{
    if (files.empty()) return {};
    std::string msg = "設定ファイルを読めません。既定の設定で続けます（ファイルはそのまま残します）:";
    for (const fs::path& f : files) msg += "\n" + f.string();
    return msg;
}

std::string ensureControlDefaults(const fs::path& ctl, Prompt* prompt)
{
    std::error_code ec;
    fs::create_directories(ctl, ec);
    if (ec) throw TolvError("フォルダを作成できません: " + ctl.string());
    // Each writer leaves a file that exists but cannot be read.
    if (!readTorControl(ctl)) writeTorControl(ctl, TorControl{});
    if (!readTenControl(ctl)) writeTenControl(ctl, TenControl{});
    if (!readZepControl(ctl)) writeZepControl(ctl, ZepControl{});
    if (!readWebControl(ctl)) writeWebControl(ctl, WebControl{});
    // A dr_web.ctl left readable by others (by an older version or a copy) is closed to them.
    if (fs::exists(ctl / kWebFile, ec))
        fs::permissions(ctl / kWebFile, fs::perms::group_all | fs::perms::others_all, fs::perm_options::remove, ec);
    const std::string msg = damagedControlMessage(damagedControlFiles(ctl));
    if (prompt && !msg.empty()) prompt->tell(msg);
    return msg;
}

namespace {

// A folder of a control file that climbs above its drive's folder ("c:\..\..\x") is refused,
// naming the control file, before any command reads or writes there.
template <class Control> Control insideDrive(Control v, const fs::path& file)
{
    try {
        toHostPath(v.folder);
    } catch (const TolvError&) {
        throw TolvError(file.filename().string() + " のフォルダ「" + v.folder +
                        "」はドライブのフォルダの外を指しているため使えません: " + file.string());
    }
    return v;
}

} // namespace

ZepControl loadZepControl(const fs::path& ctl) { return insideDrive(readZepControl(ctl).value_or(ZepControl{}), ctl / kZepFile); }
TorControl loadTorControl(const fs::path& ctl) { return insideDrive(readTorControl(ctl).value_or(TorControl{}), ctl / kTorFile); }
TenControl loadTenControl(const fs::path& ctl) { return insideDrive(readTenControl(ctl).value_or(TenControl{}), ctl / kTenFile); }
WebControl loadWebControl(const fs::path& ctl) { return readWebControl(ctl).value_or(WebControl{}); }

namespace {

std::optional<Prefecture> prefectureRecord(const std::string& bytes, std::size_t index)
{
    if ((index + 1) * kKenRecord > bytes.size()) return std::nullopt;
    KenRecord r;
    std::copy_n(bytes.data() + index * kKenRecord, kKenRecord, r.bytes().data());
    return Prefecture{r.text(kKenName), r.text(kKenReading), r.text(kKenFurther)};
}

} // namespace

void checkPrefectureTable(const std::string& bytes, const std::string& name)
{
    // Readable: a whole record of CP932 text, blank or NUL padded, without line ends or markup
    // (what an HTML page served in its place would show).
    int readable = 0;
    for (int i = 0; i < kPrefecturesRequired; ++i) {
        try {
            if (!prefectureRecord(bytes, static_cast<std::size_t>(i))) continue;
            const std::string_view rec = std::string_view(bytes).substr(static_cast<std::size_t>(i) * kKenRecord, kKenRecord);
            bool clean = isValidCp932(rec);
            for (unsigned char c : rec)
                if ((c != 0 && c < 0x20) || c == 0x7F || c == '<' || c == '>') clean = false;
            if (clean) ++readable;
        } catch (const TolvError&) {
        }
    }
    if (readable < kPrefecturesRequired)
        throw TolvError("県名ファイルが壊れています（読める都道府県 " + std::to_string(readable) + " / " +
                        std::to_string(kPrefecturesRequired) + "）: " + name);
}

std::optional<Prefecture> readPrefecture(const fs::path& kenCtl, int code)
{
    if (code <= 0) return std::nullopt;
    std::error_code ec;
    if (!fs::exists(kenCtl, ec)) return std::nullopt;
    auto bytes = readFileBytes(kenCtl);
    if (!bytes) throw TolvError("県名ファイルを読めません: " + kenCtl.string());
    checkPrefectureTable(*bytes, kenCtl.string());
    try {
        return prefectureRecord(*bytes, static_cast<std::size_t>(code - 1));
    } catch (const TolvError& e) {
        throw TolvError(std::string(e.what()) + ": " + kenCtl.string() + " (" + std::to_string(code) + ")");
    }
}

KenTable KenTable::load(const fs::path& kenCtl)
{
    KenTable t;
    std::error_code ec;
    if (!fs::exists(kenCtl, ec)) return t;
    auto bytes = readFileBytes(kenCtl);
    if (!bytes) throw TolvError("県名ファイルを読めません: " + kenCtl.string());
    checkPrefectureTable(*bytes, kenCtl.string());
    t.bytes_ = std::move(*bytes);
    t.name_ = kenCtl.string();
    return t;
}

std::optional<Prefecture> KenTable::find(long long code) const
{
    if (code <= 0 || name_.empty()) return std::nullopt;
    try {
        return prefectureRecord(bytes_, static_cast<std::size_t>(code - 1));
    } catch (const TolvError& e) {
        throw TolvError(std::string(e.what()) + ": " + name_ + " (" + std::to_string(code) + ")");
    }
}

void writePrefectureTable(const fs::path& kenCtl, const std::vector<Prefecture>& byCode)
{
    std::string bytes;
    bytes.reserve(byCode.size() * kKenRecord);
    for (const auto& p : byCode) {
        KenRecord r;
        r.setText(kKenName, p.name);
        r.setText(kKenReading, p.reading);
        r.setText(kKenFurther, p.further);
        bytes.append(r.bytes().data(), kKenRecord);
    }
    replaceControlFile(kenCtl, bytes);
}

std::string readUnitFlags(const fs::path& kanrikenCtl)
{
    std::string bytes = readFileIfPresent(kanrikenCtl).value_or(std::string());
    // The flags are one byte each; keep them as bytes so that position n stays prefecture n.
    if (bytes.size() > kUnitFlagsLength) bytes.resize(kUnitFlagsLength);
    return bytes;
}

void writeUnitFlags(const fs::path& kanrikenCtl, const std::string& flags)
{
    replaceControlFile(kanrikenCtl, fitBytes(toCp932(flags), kUnitFlagsLength));
}

bool unitKeepsTeams(const std::string& flags, int code)
{
    if (code < 1 || static_cast<std::size_t>(code) > flags.size()) return false;
    char c = flags[static_cast<std::size_t>(code) - 1];
    return c != '0' && c != '\0';
}

// One unit per line; a line written in quotes (as the sequential writer makes it) loses them.
std::vector<std::string> readUnitList(const fs::path& torlist)
{
    std::vector<std::string> out;
    auto bytes = readFileBytes(torlist);
    if (!bytes) return out;
    std::string textUtf8 = fromCp932(*bytes);
    std::istringstream in(textUtf8);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t b = line.find_first_not_of(" \t");
        if (b == std::string::npos) continue;
        std::size_t e = line.find_last_not_of(" \t");
        line = line.substr(b, e - b + 1);
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

bool passwordMatches(const fs::path& passDat, const std::string& clubCode, const std::string& password)
{
    auto f = readControlFile(passDat);
    if (!f) return false;
    for (std::size_t k = 0; k + 1 < f->size(); k += 2)
        if ((*f)[k] == clubCode && (*f)[k + 1] == password) return true;
    return false;
}

void cleanTempFolder(const fs::path& temp)
{
    static const char* const kNames[] = {"dantai.dat", "kozin.dat",  "basho.dat",  "indexb.dat",   "indexk.dat",
                                         "indexn.dat", "indexq.dat", "indext.dat", "kanriken.ctl", "torlist.dat"};
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    std::error_code ec;
    std::vector<fs::path> doomed;
    for (fs::directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = lower(it->path().filename().string());
        // pass.dat never outlives its check; a master set kept for another prefecture or sex
        // ("ken13.otoko.kozin.dat") goes with the one in use.
        std::string plain = name;
        if (name.size() > 6 && name.compare(0, 3, "ken") == 0 && name[5] == '.') {
            std::size_t dot = name.find('.', 6);
            std::string sex = dot == std::string::npos ? "" : name.substr(6, dot - 6);
            if (sex == "otoko" || sex == "onna") plain = name.substr(dot + 1);
        }
        if (plain == "pass.dat") doomed.push_back(it->path());
        for (const char* n : kNames)
            if (plain == n) doomed.push_back(it->path());
    }
    if (ec && ec != std::errc::no_such_file_or_directory) throw TolvError("作業フォルダを読めません: " + temp.string());
    std::string failed;
    for (const auto& p : doomed) {
        std::error_code rc;
        fs::remove(p, rc);
        if (rc && rc != std::errc::no_such_file_or_directory) failed += "\n" + p.string();
    }
    if (!failed.empty()) throw TolvError("作業ファイルを削除できません:" + failed);
}

} // namespace tolv
