#include "timing/McompdImport.h"

#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "platform/Paths.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/Verify.h"

namespace tolv {
namespace {

constexpr const char* kFile = "Mcompd.dat";
constexpr std::size_t kRegistration = 0, kName = 12, kShozoku = 28, kPrefecture = 44, kGrade = 76, kEvents = 78,
                      kKana = 220, kSex = 240, kOccupancy = 251;
constexpr std::size_t kEventLength = 14, kEventCount = 10, kKanaChars = 16;

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
    std::optional<std::string> data = readInputFile(folder, kFile);
    enforce(data.has_value(), "「Mcompd.dat」ファイルがありません: " + path.string());
    const std::string& bytes = *data;
    enforce(bytes.size() % kMcompdRecordLength == 0,
            "Mcompd.dat の長さ（" + std::to_string(bytes.size()) + " バイト）が 256 バイトの倍数ではありません: " + path.string());
    const std::string kijunBi = store.header().kijunBi();

    ImportReport report;
    std::vector<SwimmerRecord> added;
    const std::size_t records = std::min<std::size_t>(bytes.size() / kMcompdRecordLength, kMcompdMaxRecords);
    std::vector<std::string> unknown;
    for (std::size_t r = 0; r < records; ++r) {
        const std::string_view rec(bytes.data() + r * kMcompdRecordLength, kMcompdRecordLength);
        const int no = static_cast<int>(r) + 1;
        if (numericValue(std::string(rec.substr(kOccupancy, 5))) == 0) continue;
        auto text = [&](std::size_t off, std::size_t width) {
            std::string t(rec.substr(off, width));
            if (!isValidCp932(t))
                throw TolvError("Mcompd.dat レコード " + std::to_string(no) + ": " + std::to_string(off) +
                                " バイト目の欄がシフトJISの文字ではありません");
            return t;
        };
        requireReferenceYear(kijunBi);
        SwimmerRecord s = EntryStore::emptySwimmer();
        s.setTextBytes(SwimmerRecord::kQBango, widenRegistrationNumber(text(kRegistration, 12), kijunBi));
        s.setTextBytes(SwimmerRecord::kNamae, text(kName, 16));
        s.setTextBytes(SwimmerRecord::kKana, Cp932Text(text(kKana, 20)).left(kKanaChars));
        s.setTextBytes(SwimmerRecord::kShozoku, text(kShozoku, 12));
        s.setTextBytes(SwimmerRecord::kKen, text(kPrefecture, 6));
        s.setTextBytes(SwimmerRecord::kGakunen, text(kGrade, 2));
        s.setTextBytes(SwimmerRecord::kSei, text(kSex, 1));
        s.setNenrei(0);
        s.setTorobi(0);
        for (std::size_t e = 0; e < kEventCount; ++e) {
            const std::string_view entry = rec.substr(kEvents + e * kEventLength, kEventLength);
            if (entry[0] == ' ') continue;
            std::optional<int> event = mcompdEvent(std::string(entry.substr(0, 5)));
            if (!event) {
                unknown.push_back("  レコード " + std::to_string(no) + ": 種目コード「" + fromCp932(entry.substr(0, 5)) + "」");
                continue;
            }
            std::int32_t time = 0;
            for (char c : entry.substr(6, 8))
                if (c >= '0' && c <= '9') time = time * 10 + (c - '0');
            if (!isTimeValue(time))
                throw TolvError("Mcompd.dat レコード " + std::to_string(no) + ": 種目コード「" + fromCp932(entry.substr(0, 5)) +
                                "」のタイム「" + fromCp932(entry.substr(6, 8)) + "」はタイムではありません（99:59.99 まで、秒は 60 未満）");
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
