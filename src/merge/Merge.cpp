#include "merge/Merge.h"
#include "storage/Verify.h"

#include "platform/Clock.h"
#include "platform/ContentDigest.h"
#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "platform/Error.h"
#include "platform/FileReading.h"
#include "storage/AthleteLookup.h"
#include "storage/Codes.h"
#include "storage/CsvDelimiters.h"
#include "storage/ControlFiles.h"
#include "storage/TimeInput.h"

#include <climits>
#include <cstdio>
#include <map>

namespace tolv::merge {
namespace {

namespace fs = std::filesystem;

const std::string kIdeographicSpace = "\x81\x40"; // U+3000 in CP932

bool isBlank(std::string_view s) { return s.find_first_not_of(" \t") == std::string_view::npos; }

// A 12-character old number gains the century "19" after its team code; then at most 14 characters.
std::string widenedOldNumber(std::string_view item)
{
    constexpr std::size_t team = SwimmerRecord::kQBangoTeam.count, shortNumber = 12;
    const Cp932Text c(item);
    if (c.charCount() == shortNumber) return std::string(c.left(team)) + "19" + std::string(c.mid(team + 1, shortNumber - team));
    return std::string(c.left(SwimmerRecord::kQBango.width));
}

std::string targetName(int field)
{
    // The distance captions of a stroke carry no stroke name: a time field is named by its event.
    if (field >= kFirstTimeField) return eventName(field - 5);
    return targetCaptions()[static_cast<std::size_t>(field)];
}

std::string pathText(const fs::path& p) { return p.string(); }

void checkEntryStructure(const fs::path& source)
{
    std::error_code ec;
    enforce(fs::is_regular_file(source, ec), "結合するファイルがありません: " + pathText(source));
    const auto size = fs::file_size(source, ec);
    enforce(!ec, "結合するファイルを読めません: " + pathText(source));
    enforce(size >= 2 * kEntryRecordLength && size % kEntryRecordLength == 0,
            "tolvsys の申込ファイルではありません（" + std::to_string(size) +
                " バイトは 384 バイトのレコードに合いません）: " + pathText(source));
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

} // namespace

SourceClass classifySource(const std::string& path)
{
    const std::u32string u = toUtf32(path);
    const std::string last = fromUtf32(u.size() >= 3 ? std::u32string_view(u).substr(u.size() - 3) : std::u32string_view(u));
    for (const char* e : {"zep", "kek", "tor", "ZEP", "KEK", "TOR"})
        if (last == e) return {SourceKind::Entry, "tolvsys", "tolvsysの申込ファイルです。\n\nこのまま結合できます。"};
    if (last == "ZED" || last == "zed")
        return {SourceKind::TeamTotals, "tolvsys", "tolvsysの申込団体ファイルです。\n\nここでは読込できません"};
    if (last == "csv" || last == "CSV")
        return {SourceKind::Csv, "csv", "csvファイルです。\n\n読み込み順番などを指定して、結合してください。"};
    if (last == "txt" || last == "TXT") return {SourceKind::Txt, "txt", "(テスト中)･･････txtファイルです。"};
    return {SourceKind::Other, last, "読込に対応していません。"};
}

SourceClass describeSource(const fs::path& path)
{
    SourceClass c = classifySource(path.string());
    if (c.kind != SourceKind::Entry) return c;
    VerifyReport report;
    try {
        report = verifyEntryFile(path);
    } catch (const std::exception& e) {
        c.note = std::string("tolvsysの申込ファイルですが、読めません。\n\n") + e.what();
        return c;
    }
    if (!report.sound()) {
        std::string first;
        for (const VerifyFinding& f : report.problems)
            if (f.kind == FindingKind::Damage) {
                first = f.message;
                break;
            }
        c.note = "tolvsysの申込ファイルですが、正しい形ではありません（損傷 " + std::to_string(report.damageCount) + " 件）。\n" +
                 first + "\n\n結合できません。";
    } else if (!report.ok()) {
        c.note = "tolvsysの申込ファイルです。\n\nデータの指摘があります（" + report.dataSummary() + "）。結合はできます。";
    }
    return c;
}

int eventNumberOfCode(std::string_view code)
{
    static const std::map<std::string_view, int> table = {
        {"10025", 1},  {"10050", 2},  {"10100", 3},  {"10200", 4},  {"10400", 5},  {"10800", 6},  {"11500", 7},  {"20025", 8},
        {"20050", 9},  {"20100", 10}, {"20200", 11}, {"30025", 12}, {"30050", 13}, {"30100", 14}, {"30200", 15}, {"40025", 16},
        {"40050", 17}, {"40100", 18}, {"40200", 19}, {"50100", 20}, {"50200", 21}, {"50400", 22}, {"70100", 23}, {"70200", 24},
        {"70400", 25}, {"60100", 26}, {"60200", 27}, {"60400", 28}, {"60800", 29}};
    auto it = table.find(code);
    return it == table.end() ? 0 : it->second;
}

// An item as the message shows it: its text, or its bytes in hexadecimal when it is not CP932.
static std::string printableItem(std::string_view item)
{
    try {
        return fromCp932(item);
    } catch (const TolvError&) {
        std::string hex;
        char b[4];
        for (unsigned char c : item) {
            std::snprintf(b, sizeof b, "%02X", c);
            hex += b;
        }
        return "0x" + hex;
    }
}

std::optional<std::int32_t> timeOfItem(std::string_view item)
{
    try {
        return parseTime(fromCp932(item));
    } catch (const TolvError&) {
        return std::nullopt; // bytes that are not CP932 text are no time either
    }
}

CsvRecords cutCsvRecords(std::string_view bytes)
{
    CsvRecords out;
    out.itemCount = itemCountOfFirstLine(bytes);
    std::vector<CsvItem> items = splitCsvItems(bytes);
    const std::size_t n = static_cast<std::size_t>(out.itemCount);
    std::size_t at = 0;
    for (; at + n <= items.size(); at += n)
        out.records.emplace_back(std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(at)),
                                 std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(at + n)));
    out.rest.assign(std::make_move_iterator(items.begin() + static_cast<std::ptrdiff_t>(at)),
                    std::make_move_iterator(items.end()));
    return out;
}

void checkFormat(const ReadingFormat& f, int itemCount, const std::string& source)
{
    enforce(itemCount <= kSourceColumns, "1 レコードの項目数 " + std::to_string(itemCount) + " が " +
                                             std::to_string(kSourceColumns) + " を越えています: " + source);
    enforce(f.columns[1].column > 0, "旧番号の列が指定されていません（読込形式 " + f.name + "）");
    const int fields = f.eventNumber ? kFirstTimeField : kTargetFields;
    for (int i = 0; i < fields; ++i) {
        const ColumnRef& r = f.columns[static_cast<std::size_t>(i)];
        const int last = r.column + (i == 3 && r.join ? 1 : 0);
        enforce(last <= kSourceColumns,
                targetName(i) + " の列 " + columnRefText(r) + " が 1～" + std::to_string(kSourceColumns) + " の外です");
    }
    if (f.eventNumber)
        enforce(f.rangeFirst >= 1 && f.rangeFirst + 29 <= kSourceColumns,
                "種目番号の範囲の最初の列 " + std::to_string(f.rangeFirst) + " は 1～" + std::to_string(kSourceColumns - 29) +
                    " でなければなりません（最初の列 + 29 が 1～" + std::to_string(kSourceColumns) + " に入らない）");
}

Columns placeItems(const std::vector<CsvItem>& items, const ReadingFormat& f)
{
    Columns c;
    const int n = static_cast<int>(items.size());
    auto item = [&](int j) -> const std::string& {
        static const std::string none;
        return j >= 1 && j <= n ? items[static_cast<std::size_t>(j - 1)].bytes : none;
    };
    for (int j = 1; j <= n; ++j) {
        if (f.eventNumber && j >= f.rangeFirst && j <= f.rangeLast) {
            // A pair: event code, then its time; an unknown code drops the time.
            const int e = eventNumberOfCode(item(j));
            if (e != 0 && f.rangeFirst + e <= kSourceColumns) c[static_cast<std::size_t>(f.rangeFirst + e)] = item(j + 1);
            ++j;
        } else if (j <= kSourceColumns) {
            c[static_cast<std::size_t>(j)] = item(j);
        }
    }
    return c;
}

SwimmerRecord swimmerFromColumns(const Columns& c, const ReadingFormat& f, const Derivation& d, const std::string& where)
{
    auto col = [&](int field) -> const std::string& {
        const int n = f.columns[static_cast<std::size_t>(field)].column;
        static const std::string none;
        return n >= 1 && n <= kSourceColumns ? c[static_cast<std::size_t>(n)] : none;
    };
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setTextBytes(SwimmerRecord::kBango, col(0));
    const std::string q = widenedOldNumber(col(1));
    s.setTextBytes(SwimmerRecord::kQBango, q);
    s.setTextBytes(SwimmerRecord::kKana, col(2));
    std::string name = col(3);
    const ColumnRef& nameRef = f.columns[3];
    if (nameRef.join && nameRef.column + 1 <= kSourceColumns)
        name += kIdeographicSpace + c[static_cast<std::size_t>(nameRef.column + 1)];
    s.setTextBytes(SwimmerRecord::kNamae, name);
    s.setTextBytes(SwimmerRecord::kShozoku, col(4));
    s.setTextBytes(SwimmerRecord::kShozokuKana, col(5));
    s.setSei(!q.empty() && static_cast<unsigned char>(q.back()) < '5' ? "1" : "2");

    // Prefecture from characters 1-2, grade and age from the birth date in characters 6-13.
    const long long code = numericValue(SwimmerRecord::kQBangoPrefecture.of(q));
    if (code > 0) {
        auto known = d.prefectures->find(static_cast<int>(code));
        if (known == d.prefectures->end()) {
            std::error_code ec;
            if (!fs::is_regular_file(d.prefectureTable, ec))
                throw TolvError("県名ファイルがありません: " + d.prefectureTable.string());
            known =
                d.prefectures->emplace(static_cast<int>(code), readPrefecture(d.prefectureTable, static_cast<int>(code))).first;
        }
        if (const std::optional<Prefecture>& p = known->second) {
            s.setKen(p->name);
            s.setKenKana(p->reading);
        }
    }
    const std::string birthText = SwimmerRecord::kQBangoBirth.of(q);
    if (birthText.size() == 8 && birthText.find_first_not_of("0123456789") == std::string::npos) {
        const auto birth = static_cast<std::int32_t>(std::stol(birthText));
        s.setGakunen(gradeCode(birth, 0, d.header.kijunBi(), d.header.kubun()));
        s.setNenrei(static_cast<std::int16_t>(ageOn(birth, d.header.kijunBi())));
    } else {
        s.setNenrei(0);
    }

    for (int i = kFirstTimeField; i < kTargetFields; ++i) {
        const int n = f.eventNumber ? f.rangeFirst + (i - 5) : f.columns[static_cast<std::size_t>(i)].column;
        const std::string& item = n >= 1 && n <= kSourceColumns ? c[static_cast<std::size_t>(n)] : std::string();
        auto t = timeOfItem(item);
        if (!t)
            throw TolvError("タイムではありません（" + targetName(i) + "「" + printableItem(item) +
                            "」、「1:05.23」「65.23」「1.05.23」「10523」または結果の記号）: " + where);
        if (!isTimeValue(*t))
            throw TolvError("タイムではありません（" + targetName(i) + "「" + printableItem(item) + "」、" + notATimeMessage(*t) +
                            "）: " + where);
        s.setKiro(i - kFirstTimeField, *t);
    }
    return s;
}

bool preferMaster(SwimmerRecord& s, AthleteLookup& lookup, const EntryHeader& header)
{
    const std::string q = s.QBango();
    const int prefecture = prefectureOfNumber(q);
    const std::string& flags = lookup.unitFlags();
    if (prefecture >= 1 && static_cast<std::size_t>(prefecture) <= flags.size() &&
        flags[static_cast<std::size_t>(prefecture) - 1] == '0')
        return false;
    if (toUtf32(q).size() < SwimmerRecord::kQBango.width) return false;
    if (!lookup.session().internet()) {
        std::error_code ec;
        if (!fs::exists(lookup.masterPaths(prefecture, sexOfNumber(q)).indexQ, ec)) return false;
    }
    LookupResult r = lookup.byNumber(s, q, header, AthletePicker());
    if (!r.found) return false;
    // The record's own old number, sex code and times (with their marks) stay: the master's sex
    // comes from the last digit of the number and would turn a mixed relay's "3" into "1".
    static constexpr Field kKept[] = {SwimmerRecord::kQBango, SwimmerRecord::kSei, SwimmerRecord::kKiro, SwimmerRecord::kMarkA,
                                      SwimmerRecord::kMarkB};
    const SwimmerRecord kept = s;
    s = r.record;
    for (const Field f : kKept) s.copyField(kept, f);
    return true;
}

namespace {

// A source's half-width commas and double quotes (an older entry file's, a CSV item's) are stored
// full-width, and the swimmers changed are listed with the source's findings.
void noteDelimiters(PreparedSource& out)
{
    const std::string note = delimiterChangeNote(storeDelimitersFullWidth(out.swimmers), true);
    if (note.empty()) return;
    out.findings += (out.findings.empty() ? "" : "。") + note;
}

} // namespace

PreparedSource prepareSource(const fs::path& source, const EntryStore& target, const MergeRequest& request)
{
    PreparedSource out;
    out.path = source;
    const std::string where = pathText(source);
    enforce(!sameFile(source, target.path()), "開いている申込ファイルそのものは結合できません: " + where);
    const SourceClass kind = classifySource(source.filename().string());
    enforce(kind.kind != SourceKind::TeamTotals, "tolvsysの申込団体ファイルです。ここでは読込できません: " + where);

    if (kind.kind == SourceKind::Entry) {
        checkEntryStructure(source);
        EntryStore s;
        s.openEntryFile(source, EntryStore::Access::Read);
        // A source with damage is refused whole; its data findings are listed after the merge.
        out.findings = requireVerifiedEntry(source).dataSummary();
        const std::string bytes = readWholeFile(source);
        out.size = static_cast<long long>(bytes.size());
        out.digest = ContentDigest::of(bytes);
        out.mergedBefore = findMergedSource(target.path(), out.size, out.digest);
        out.swimmers = s.readAllSwimmers();
        enforce(static_cast<long long>(std::max(0, target.header().total())) + static_cast<long long>(out.swimmers.size()) <=
                    kMaxSwimmers,
                "申込ファイルに入る選手は " + std::to_string(kMaxSwimmers) + " 人までです（現在 " +
                    std::to_string(target.header().total()) + " 人、" + where + " の " + std::to_string(out.swimmers.size()) +
                    " 人）");
        if (request.preferMaster)
            for (SwimmerRecord& r : out.swimmers)
                if (preferMaster(r, *request.preferMaster, target.header())) ++out.fromMaster;
        noteDelimiters(out);
        return out;
    }

    enforce(request.format != nullptr, "読込形式が指定されていません: " + where);
    const ReadingFormat& f = *request.format;
    const std::string bytes = readSourceBytes(source);
    out.size = static_cast<long long>(bytes.size());
    out.digest = ContentDigest::of(bytes);
    out.mergedBefore = findMergedSource(target.path(), out.size, out.digest);
    const CsvRecords csv = cutCsvRecords(bytes);
    out.itemCount = csv.itemCount;
    checkFormat(f, csv.itemCount, where);
    if (!csv.rest.empty())
        throw TolvError("ファイルの終わりのレコードの項目が足りません（" + std::to_string(csv.rest.size()) + " / " +
                        std::to_string(csv.itemCount) + " 項目、" + std::to_string(csv.rest.front().line) +
                        " 行目から）: " + where);
    Derivation d;
    d.header = target.header();
    d.prefectureTable = request.prefectureTable;
    d.prefectures = &request.prefectures;
    for (std::size_t r = 0; r < csv.records.size(); ++r) {
        if (static_cast<long long>(r) + 1 <= f.titleRecords) continue;
        const std::vector<CsvItem>& items = csv.records[r];
        const Columns c = placeItems(items, f);
        if (isBlank(c[static_cast<std::size_t>(f.columns[1].column)])) continue;
        const std::string line = where + " " + std::to_string(items.front().line) + " 行目";
        if (static_cast<long long>(target.header().total()) + static_cast<long long>(out.swimmers.size()) >= kMaxSwimmers)
            throw TolvError("申込ファイルに入る選手は " + std::to_string(kMaxSwimmers) + " 人までです: " + line);
        SwimmerRecord s = swimmerFromColumns(c, f, d, line);
        if (request.preferMaster && preferMaster(s, *request.preferMaster, target.header())) ++out.fromMaster;
        out.swimmers.push_back(s);
    }
    // The data findings of what the file gives, as verify would list them in an entry file.
    if (!out.swimmers.empty()) {
        const std::size_t len = kEntryRecordLength;
        std::string image((out.swimmers.size() + 10) * len, '\0');
        EntryHeader h = target.header();
        h.setTotal(static_cast<std::int32_t>(out.swimmers.size()));
        std::copy_n(h.bytes().data(), len, image.data());
        for (std::size_t i = 0; i < out.swimmers.size(); ++i)
            std::copy_n(out.swimmers[i].bytes().data(), len, image.data() + (i + 10) * len);
        out.findings = verifyEntryBytes(image, where).dataSummary();
    }
    noteDelimiters(out);
    return out;
}

void appendSources(EntryStore& target, const std::vector<PreparedSource>& sources)
{
    long long total = std::max(0, target.header().total());
    std::size_t count = 0;
    for (const PreparedSource& p : sources) {
        total += static_cast<long long>(p.swimmers.size());
        count += p.swimmers.size();
        enforce(total <= kMaxSwimmers, "申込ファイルに入る選手は " + std::to_string(kMaxSwimmers) + " 人までです（" +
                                           pathText(p.path) + " までで " + std::to_string(total) +
                                           " 人）: " + target.path().string());
    }
    if (count == 0) return;
    // Appended source by source: the records are not gathered into a second copy first.
    EntryStore::SwimmerParts parts;
    std::string names;
    for (const PreparedSource& p : sources) {
        parts.emplace_back(p.swimmers);
        if (!p.swimmers.empty()) names += (names.empty() ? "" : "、") + p.path.filename().string();
    }
    // The step is named by the files it merged.
    target.appendSwimmers(parts, labelledCommand("merge", names));
    std::vector<MergedSource> record;
    const DateTime t = now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    for (const PreparedSource& p : sources)
        if (!p.digest.empty()) record.push_back({stamp, p.size, p.digest, fs::absolute(p.path).lexically_normal().string()});
    recordMergedSources(target.path(), record);
}

std::string mergedBeforeMessage(const PreparedSource& p)
{
    return "このファイルは " + p.mergedBefore->stamp + " にこの申込ファイルへ結合済みです（" + p.mergedBefore->source +
           "）。もう一度結合するには --again を付けてください: " + pathText(p.path);
}

std::string mergedBeforeQuestion(const PreparedSource& p)
{
    return "このファイルは " + p.mergedBefore->stamp + " にこの申込ファイルへ結合済みです。\n" + pathText(p.path) +
           "\n\nもう一度結合しますか？";
}

std::vector<std::string> findingLines(const std::vector<PreparedSource>& sources)
{
    std::vector<std::string> out;
    for (const PreparedSource& p : sources)
        if (!p.findings.empty()) out.push_back(pathText(p.path) + ": " + p.findings);
    return out;
}

CsvPreview readCsvPreview(const fs::path& path)
{
    const std::string bytes = readSourceBytes(path);
    CsvPreview p;
    p.itemCount = itemCountOfFirstLine(bytes);
    std::vector<CsvItem> items = splitCsvItems(bytes);
    for (std::size_t at = 0; at < items.size(); at += static_cast<std::size_t>(p.itemCount)) {
        std::vector<std::string> rec;
        for (std::size_t j = at; j < items.size() && j < at + static_cast<std::size_t>(p.itemCount); ++j)
            rec.push_back(fromCp932(items[j].bytes));
        p.records.push_back(std::move(rec));
    }
    return p;
}

std::array<std::string, kTargetFields> previewTargets(const std::vector<std::string>& items,
                                                      const std::array<std::string, kTargetFields>& refs)
{
    std::array<std::string, kTargetFields> out;
    auto item = [&](long long n) {
        return n >= 1 && n <= static_cast<long long>(items.size()) ? items[static_cast<std::size_t>(n - 1)] : std::string();
    };
    for (int i = 0; i < kTargetFields; ++i) {
        const std::string& text = refs[static_cast<std::size_t>(i)];
        const long long n = numericValue(text);
        if (n == 0) continue;
        out[static_cast<std::size_t>(i)] = text.find('+') != std::string::npos ? item(n) + "\u3000" + item(n + 1) : item(n);
    }
    return out;
}

std::array<std::string, kTargetFields> previewSwimmer(const SwimmerRecord& s)
{
    std::array<std::string, kTargetFields> out = {s.Bango(), s.QBango(), s.Kana(), s.Namae(), s.Shozoku(), s.ShozokuKana()};
    for (int i = kFirstTimeField; i < kTargetFields; ++i)
        out[static_cast<std::size_t>(i)] = formatTime(s.kiro(i - kFirstTimeField));
    return out;
}

} // namespace tolv::merge
