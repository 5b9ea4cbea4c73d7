#include "timing/McompdImport.h"

#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "platform/Paths.h"
#include "platform/PlainFile.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/FieldLayout.h"
#include "storage/Verify.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace tolv {
namespace {

constexpr const char* kFile = "Mcompd.dat";
// One 256-byte record of Mcompd.dat (CP932 texts, digits for numbers).
constexpr Field kRegistration{0, 12};
constexpr Field kName = kRegistration.next(16);
constexpr Field kShozoku = kName.next(12);
constexpr Field kUnused1 = kShozoku.next(4);
constexpr Field kPrefecture = kUnused1.next(6);
constexpr Field kUnused2 = kPrefecture.next(26);
constexpr Field kGrade = kUnused2.next(2);
constexpr Field kEvents = kGrade.next(14, 10); // one entry per event
constexpr Field kUnused3 = kEvents.next(2);
constexpr Field kKana = kUnused3.next(20);
constexpr Field kSex = kKana.next(1);
constexpr Field kUnused4 = kSex.next(10);
constexpr Field kOccupancy = kUnused4.next(5); // 0 or blank: the record is not used
static_assert(tilesRecord(std::array{kRegistration, kName, kShozoku, kUnused1, kPrefecture, kUnused2, kGrade, kEvents, kUnused3,
                                     kKana, kSex, kUnused4, kOccupancy},
                          kMcompdRecordLength));
// An entry of kEvents: event code, a blank, the time as digits.
constexpr Field kEventCode{0, 5};
constexpr Field kEventGap = kEventCode.next(1);
constexpr Field kEventTime = kEventGap.next(8);
static_assert(tilesRecord(std::array{kEventCode, kEventGap, kEventTime}, kEvents.width));
constexpr std::size_t kKanaChars = 16;

std::string_view part(std::string_view bytes, const Field& f) { return bytes.substr(f.offset, f.size()); }

} // namespace

std::optional<int> mcompdEvent(const std::string& code)
{
    static const char* const codes[29] = {"1  25", "1  50", "1 100", "1 200", "1 400", "1 800", "11500", "2  25",
                                          "2  50", "2 100", "2 200", "3  25", "3  50", "3 100", "3 200", "4  25",
                                          "4  50", "4 100", "4 200", "5 100", "5 200", "5 400", "7 100", "7 200",
                                          "7 400", "6 100", "6 200", "6 400", "6 800"};
    for (int e = 0; e < 29; ++e)
        if (code == codes[e]) return e + 1;
    return std::nullopt;
}

ImportReport importMcompd(EntryStore& store, const std::filesystem::path& folder)
{
    const std::filesystem::path path = findNoCase(folder, kFile);
    // Only the records that are read are read: a file of any length costs at most 4000 records.
    PlainFileReader in(path, std::numeric_limits<std::uint64_t>::max(), true);
    enforce(in.isOpen(), "「Mcompd.dat」ファイルがありません: " + path.string());
    enforce(in.size() % kMcompdRecordLength == 0,
            "Mcompd.dat の長さ（" + std::to_string(in.size()) + " バイト）が 256 バイトの倍数ではありません: " + path.string());
    const std::string bytes = in.readAt(0, static_cast<std::size_t>(std::min<std::uint64_t>(
                                               in.size(), kMcompdRecordLength * static_cast<std::uint64_t>(kMcompdMaxRecords))));
    const std::string kijunBi = store.header().kijunBi();

    ImportReport report;
    std::vector<SwimmerRecord> added;
    const std::size_t records = std::min<std::size_t>(bytes.size() / kMcompdRecordLength, kMcompdMaxRecords);
    std::vector<std::string> unknown;
    for (std::size_t r = 0; r < records; ++r) {
        const std::string_view rec(bytes.data() + r * kMcompdRecordLength, kMcompdRecordLength);
        const int no = static_cast<int>(r) + 1;
        if (numericValue(std::string(part(rec, kOccupancy))) == 0) continue;
        auto text = [&](const Field& f) {
            std::string t(part(rec, f));
            if (!isValidCp932(t))
                throw TolvError("Mcompd.dat レコード " + std::to_string(no) + ": " + std::to_string(f.offset) +
                                " バイト目の欄がシフトJISの文字ではありません");
            return t;
        };
        requireReferenceYear(kijunBi);
        SwimmerRecord s = EntryStore::emptySwimmer();
        s.setTextBytes(SwimmerRecord::kQBango, widenRegistrationNumber(text(kRegistration), kijunBi));
        s.setTextBytes(SwimmerRecord::kNamae, text(kName));
        s.setTextBytes(SwimmerRecord::kKana, Cp932Text(text(kKana)).left(kKanaChars));
        s.setTextBytes(SwimmerRecord::kShozoku, text(kShozoku));
        s.setTextBytes(SwimmerRecord::kKen, text(kPrefecture));
        s.setTextBytes(SwimmerRecord::kGakunen, text(kGrade));
        s.setTextBytes(SwimmerRecord::kSei, text(kSex));
        s.setNenrei(0);
        s.setTorobi(0);
        for (std::size_t e = 0; e < kEvents.count; ++e) {
            const std::string_view entry = part(rec, kEvents.at(e));
            if (entry[0] == ' ') continue;
            std::optional<int> event = mcompdEvent(std::string(part(entry, kEventCode)));
            if (!event) {
                unknown.push_back("  レコード " + std::to_string(no) + ": 種目コード「" + fromCp932(part(entry, kEventCode)) +
                                  "」");
                continue;
            }
            std::int32_t time = 0;
            for (char c : part(entry, kEventTime))
                if (c >= '0' && c <= '9') time = time * 10 + (c - '0');
            if (!isTimeValue(time))
                throw TolvError("Mcompd.dat レコード " + std::to_string(no) + ": 種目コード「" +
                                fromCp932(part(entry, kEventCode)) + "」のタイム「" + fromCp932(part(entry, kEventTime)) +
                                "」はタイムではありません（99:59.99 まで、秒は 60 未満）");
            s.setKiro(*event - 1, time);
        }
        added.push_back(s);
    }
    enforce(!added.empty(), "Mcompd.dat に取り込む選手がありません（使われているレコードがありません）。");
    const int total = store.header().total();
    for (std::size_t i = 0; i < added.size(); ++i) added[i].setSeq(total + static_cast<int>(i) + 1);
    // appendSwimmers refuses a count past the file's limit before it writes anything.
    store.appendSwimmers(added, "Mcompd取込");
    report.changed = true;
    report.done.push_back("Mcompd.dat から選手 " + std::to_string(added.size()) + " 人を追加しました。");
    if (!unknown.empty()) {
        report.done.push_back("表にない種目コードのため入れなかった種目: " + std::to_string(unknown.size()) + " 件");
        for (std::size_t i = 0; i < unknown.size() && i < 10; ++i) report.done.push_back(unknown[i]);
    }
    return report;
}

} // namespace tolv
