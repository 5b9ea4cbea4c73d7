#include "storage/Verify.h"

#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/CountedRecordFile.h"
#include "storage/Records.h"

#include <algorithm>
#include <climits>
#include <map>

namespace tolv {

namespace {

constexpr long long kRecord = static_cast<long long>(kEntryRecordLength);

struct TextField {
    const char* name;  // record field name
    const char* label; // what the user calls it
    Field field;
};

const TextField kHeaderTexts[] = {
    {"kijunBi", "基準日", EntryHeader::kKijunBi}, {"zigyo", "大会名", EntryHeader::kZigyo},
    {"basho", "会場", EntryHeader::kBasho},       {"stBi", "開始日", EntryHeader::kStBi},
    {"enBi", "終了日", EntryHeader::kEnBi},       {"tcod", "大会番号", EntryHeader::kTcod},
};

const TextField kSwimmerTexts[] = {
    {"Bango", "競技者番号", SwimmerRecord::kBango}, {"QBango", "旧番号", SwimmerRecord::kQBango},
    {"Namae", "氏名", SwimmerRecord::kNamae},       {"Kana", "カナ", SwimmerRecord::kKana},
    {"ken", "県名", SwimmerRecord::kKen},           {"kenKana", "県名カナ", SwimmerRecord::kKenKana},
    {"Shozoku", "所属", SwimmerRecord::kShozoku},   {"ShozokuKana", "所属カナ", SwimmerRecord::kShozokuKana},
    {"gakunen", "学年", SwimmerRecord::kGakunen},   {"sei", "性別", SwimmerRecord::kSei},
    {"shuFuku", "主副", SwimmerRecord::kShuFuku},   {"shubetu", "種別", SwimmerRecord::kShubetu},
    {"card", "ｶｰﾄﾞ", SwimmerRecord::kCard},         {"daishi", "台紙", SwimmerRecord::kDaishi},
};

bool decodes(std::string_view bytes)
{
    for (unsigned char c : bytes)
        if (c >= 0x80) return isValidCp932(bytes);
    return true;
}

// Trailing NULs and blanks dropped.
std::string trimmed(std::string_view bytes)
{
    std::size_t end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\0' || bytes[end - 1] == ' ')) --end;
    return std::string(bytes.substr(0, end));
}

bool oneOf(const std::string& v, const char* allowed)
{
    return v.empty() || (v.size() == 1 && std::string_view(allowed).find(v[0]) != std::string_view::npos);
}

// The largest time the coding holds: 99:59.99.
constexpr long long kLargestTime = 995999;

class Checker {
public:
    explicit Checker(VerifyReport& r) : r_(r) {}

    void problem(int swimmer, const std::string& field, const std::string& message, FindingKind kind = FindingKind::Damage)
    {
        ++r_.problemCount;
        if (kind == FindingKind::Damage) ++r_.damageCount;
        if (r_.problems.size() < kVerifyKeptProblems) r_.problems.push_back({kind, swimmer, field, message});
    }

    void swimmerProblem(int n, const SwimmerRecord& s, const std::string& field, const std::string& what,
                        FindingKind kind = FindingKind::Damage)
    {
        if (kind == FindingKind::Data && field != "Bango" && field != "QBango") ++r_.valueCount;
        std::string who = "選手 " + std::to_string(n);
        std::string bango = trimmed(s.raw(SwimmerRecord::kBango));
        if (!bango.empty() && decodes(bango)) who += "（番号 " + fromCp932(bango) + "）";
        problem(n, field, who + ": " + what, kind);
    }

    void header(const EntryHeader& h, const ReserveEvents& r)
    {
        for (const TextField& f : kHeaderTexts)
            if (!decodes(h.raw(f.field)))
                problem(0, f.name, std::string("ヘッダ: ") + f.label + "（" + f.name + "）の文字が読めません");
        for (int i = 0; i < kReserveEvents; ++i) {
            const std::string no = std::to_string(i + 1);
            const auto at = std::size_t(i);
            if (!decodes(r.raw(ReserveEvents::kYobiKubun.at(at))) || !decodes(r.raw(ReserveEvents::kYobiName.at(at))) ||
                !decodes(r.raw(ReserveEvents::kYobiRelay.at(at))))
                problem(0, "yobiName", "予備種目 " + no + " の文字が読めません");
        }
    }

    void swimmer(int n, const SwimmerRecord& s)
    {
        // The texts are decoded in one pass (a line end between fields keeps a lead byte at the end
        // of one from pairing with the next); field by field only when that fails.
        std::string texts;
        for (const TextField& f : kSwimmerTexts) (texts += s.raw(f.field)) += '\n';
        for (const Field marks : {SwimmerRecord::kMarkA, SwimmerRecord::kMarkB})
            for (char mark : s.raw(marks)) (texts += mark) += '\n';
        const bool textsRead = decodes(texts);
        if (!textsRead)
            for (const TextField& f : kSwimmerTexts)
                if (!decodes(s.raw(f.field)))
                    swimmerProblem(n, s, f.name, std::string(f.label) + "（" + f.name + "）の文字が読めません");
        struct Code {
            const char* name;
            const char* label;
            Field field;
            const char* allowed;
        };
        static const Code kCodes[] = {{"sei", "性別", SwimmerRecord::kSei, "0123"},
                                      {"shuFuku", "主副", SwimmerRecord::kShuFuku, "012345"},
                                      {"card", "ｶｰﾄﾞ", SwimmerRecord::kCard, "01"},
                                      {"daishi", "台紙", SwimmerRecord::kDaishi, "01"}};
        for (const Code& c : kCodes) {
            const std::string v = trimmed(s.raw(c.field));
            // An unreadable byte is reported above already.
            if (!oneOf(v, c.allowed) && decodes(v))
                swimmerProblem(n, s, c.name,
                               std::string(c.label) + "（" + c.name + "）が正しくありません: \"" + fromCp932(v) + "\"",
                               FindingKind::Data);
        }
        const std::string shubetu = trimmed(s.raw(SwimmerRecord::kShubetu));
        if (!shubetu.empty() &&
            (shubetu.size() != SwimmerRecord::kShubetu.width || shubetu.find_first_not_of("01") != std::string::npos) &&
            decodes(shubetu))
            swimmerProblem(n, s, "shubetu", "種別（shubetu）が正しくありません: \"" + fromCp932(shubetu) + "\"",
                           FindingKind::Data);
        const int age = s.nenrei();
        if (age < 0 || age > 150)
            swimmerProblem(n, s, "nenrei", "年令（nenrei）が範囲外です: " + std::to_string(age), FindingKind::Data);
        for (int slot = 0; slot < kEventSlots; ++slot) {
            const std::int32_t v = s.kiro(slot);
            if (!isTimeValue(v))
                swimmerProblem(n, s, "kiro",
                               "種目 " + eventCode(slot) + " のタイム（kiro）が正しくありません: " + std::to_string(v),
                               FindingKind::Data);
            if (!textsRead) {
                if (!decodes(s.raw(SwimmerRecord::kMarkA.at(std::size_t(slot)))) ||
                    !decodes(s.raw(SwimmerRecord::kMarkB.at(std::size_t(slot)))))
                    swimmerProblem(n, s, "markA", "種目 " + eventCode(slot) + " の記号（markA/markB）が読めません");
            }
        }
        const std::string bango = trimmed(s.raw(SwimmerRecord::kBango));
        if (!bango.empty() && numericValue(decodes(bango) ? fromCp932(bango) : std::string()) != 0) {
            auto [it, fresh] = firstOf_.emplace(bango, n);
            if (!fresh) {
                ++r_.duplicateCount;
                swimmerProblem(n, s, "Bango", "競技者番号（Bango）が選手 " + std::to_string(it->second) + " と重複しています",
                               FindingKind::Data);
            }
        }
        // The birth date coded in the old number; a blank number holds none.
        const std::string q = trimmed(s.raw(SwimmerRecord::kQBango));
        if (!q.empty() && decodes(q)) {
            const std::u32string chars = toUtf32(fromCp932(q));
            constexpr CharPart part = SwimmerRecord::kQBangoBirth;
            const std::string birth =
                chars.size() >= part.first - 1 + part.count ? fromUtf32(chars.substr(part.first - 1, part.count)) : std::string();
            const bool date =
                birth.size() == 8 && birth.find_first_not_of("0123456789") == std::string::npos && isValidDate(std::stoi(birth));
            if (!date) {
                ++r_.birthCount;
                swimmerProblem(n, s, "QBango", "旧番号（QBango）「" + fromCp932(q) + "」の生年月日が日付ではありません",
                               FindingKind::Data);
            }
        }
    }

private:
    VerifyReport& r_;
    std::map<std::string, int> firstOf_;
};

// `image` holds the file from its start, at least through the counted swimmers when the count is
// sound; `size` is the size of the file on disk.
VerifyReport verifyImage(const std::string& image, long long size, const std::string& name)
{
    VerifyReport r;
    r.file = name;
    r.size = size;
    Checker c(r);
    if (size < 2 * kRecord) {
        c.problem(0, "",
                  "ファイルが短すぎます（" + std::to_string(size) + " バイト、ヘッダと予備種目の " + std::to_string(2 * kRecord) +
                      " バイトに足りません）");
        return r;
    }
    EntryHeader h;
    ReserveEvents rv;
    std::copy_n(image.data(), kEntryRecordLength, h.bytes().data());
    std::copy_n(image.data() + kEntryRecordLength, kEntryRecordLength, rv.bytes().data());
    r.total = h.total();
    const long long present = CountedRecordFile::presentIn(size, kEntryRecordLength);
    if (h.total() < 0) {
        c.problem(0, "total", "総数（total）が負です: " + std::to_string(h.total()));
    } else if (h.total() > kMaxSwimmers) {
        c.problem(0, "total",
                  "総数（total）が上限 " + std::to_string(kMaxSwimmers) + " 人を超えています: " + std::to_string(h.total()));
    } else if (h.total() > present) {
        c.problem(0, "total",
                  "総数（total）" + std::to_string(h.total()) + " に対し、ファイル内の選手レコードは " + std::to_string(present) +
                      " です");
    }
    if (h.total() > 0 && size % kRecord != 0)
        c.problem(0, "", "ファイルの大きさ " + std::to_string(size) + " バイトが 384 の倍数ではありません");
    c.header(h, rv);
    // A count beyond the limit says nothing about the records: they are not looked at.
    const long long n = h.total() > kMaxSwimmers ? 0 : std::clamp<long long>(h.total(), 0, present);
    for (long long i = 1; i <= n; ++i) {
        SwimmerRecord s;
        const auto at = static_cast<long long>(CountedRecordFile::offsetOf(i, kEntryRecordLength));
        const long long have = std::clamp<long long>(static_cast<long long>(image.size()) - at, 0, kRecord);
        if (have > 0) std::copy_n(image.data() + at, have, s.bytes().data());
        c.swimmer(static_cast<int>(i), s);
    }
    return r;
}

} // namespace

bool isTimeValue(long long v)
{
    if (v == 0 || (v >= INT32_MIN && v <= INT32_MAX && isResultMark(static_cast<std::int32_t>(v)))) return true;
    return v > 0 && v <= kLargestTime && (v / 100) % 100 < 60;
}

std::string notATimeMessage(long long v)
{
    return "タイム " + std::to_string(v) + " はタイムではありません（99:59.99 まで、秒は 60 未満、または記録記号）";
}

std::vector<std::string> VerifyReport::lines() const
{
    std::vector<std::string> out;
    out.push_back(file);
    out.push_back("大きさ " + std::to_string(size) + " バイト、総数 " + std::to_string(total) + " 人");
    for (FindingKind kind : {FindingKind::Damage, FindingKind::Data})
        for (const VerifyFinding& f : problems)
            if (f.kind == kind) out.push_back((kind == FindingKind::Damage ? "【損傷】" : "【データ】") + f.message);
    if (problemCount > static_cast<long long>(problems.size()))
        out.push_back("ほか " + std::to_string(problemCount - static_cast<long long>(problems.size())) + " 件");
    if (ok()) out.push_back("問題はありません");
    else if (sound()) out.push_back("申込ファイルは健全です。データの指摘 " + std::to_string(dataCount()) + " 件");
    else
        out.push_back("損傷 " + std::to_string(damageCount) + " 件: 健全な申込ファイルではありません" +
                      (dataCount() ? "（ほかにデータの指摘 " + std::to_string(dataCount()) + " 件）" : std::string()));
    return out;
}

std::string VerifyReport::dataSummary() const
{
    std::string out;
    auto add = [&out](long long n, const std::string& what) {
        if (n == 0) return;
        if (!out.empty()) out += "、";
        out += what + " " + std::to_string(n) + " 件";
    };
    add(duplicateCount, "重複番号");
    add(birthCount, "生年月日が日付でない旧番号");
    add(valueCount, "コードやタイムが範囲外の項目");
    if (duplicateCount) out += "（「チェック」→「番号」で確認してください）";
    return out;
}

VerifyReport verifyEntryBytes(const std::string& bytes, const std::string& name)
{
    return verifyImage(bytes, static_cast<long long>(bytes.size()), name);
}

VerifyReport verifyEntryFile(const std::filesystem::path& path)
{
    enforce(std::filesystem::is_regular_file(path), "申込ファイルがありません: " + path.string());
    FileLock lock(path, FileLock::Kind::Shared);
    CountedRecordFile f(path, kEntryRecordLength, RecordFile::Mode::ReadOnly);
    const long long size = f.byteSize();
    std::string head = f.readRange(1, 2);
    EntryHeader h;
    std::copy_n(head.data(), kEntryRecordLength, h.bytes().data());
    const long long n = h.total() > kMaxSwimmers ? 0 : f.check(h.total()).usable();
    std::string image = f.readRange(1, CountedRecordFile::recordOf(n));
    return verifyImage(image, size, path.string());
}

VerifyReport requireVerifiedEntry(const std::filesystem::path& path)
{
    VerifyReport r = verifyEntryFile(path);
    if (r.sound()) return r;
    std::string msg = "申込ファイルに誤りがあるため取り込めません（tolv verify で確認してください）: " + path.string();
    int shown = 0;
    for (const VerifyFinding& f : r.problems)
        if (f.kind == FindingKind::Damage && shown++ < 10) msg += "\n" + f.message;
    throw TolvError(msg, ErrorKind::Damaged);
}

} // namespace tolv
