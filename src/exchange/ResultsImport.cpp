#include "exchange/ResultsImport.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <algorithm>

namespace tolv {
namespace {

namespace fs = std::filesystem;

constexpr const char* kResultsDat = "Results.Dat";
constexpr const char* kCombineIn = "results.$$$";
constexpr const char* kCombineOut = "results.zep";

constexpr std::size_t kSex = 1, kStroke = 2, kDistance = 3, kShozoku = 10, kNumber = 11, kName = 13, kBirth = 14,
                      kGradeFirst = 27, kGradeSecond = 28, kTeam = 31, kTime = 36;

std::string firstChar(const std::string& f) { return f.empty() ? std::string(" ") : f.substr(0, 1); }

SwimmerRecord resultSwimmer(const std::vector<std::string>& f, int lineNo)
{
    SwimmerRecord s = EntryStore::emptySwimmer();
    const std::string sex = firstChar(f[kSex - 1]);
    std::string birth = f[kBirth - 1];
    birth.resize(10, ' ');
    const std::string qbango = fitBytes(f[kTeam - 1], 5) + birth.substr(0, 4) + birth.substr(5, 2) + birth.substr(8, 2) +
                               (f[kSex - 1] == "1" ? "0" : "5");
    s.setTextBytes(SwimmerRecord::kQBango, qbango);
    s.setTextBytes(SwimmerRecord::kSei, sex);
    s.setTextBytes(SwimmerRecord::kShozoku, f[kShozoku - 1]);
    s.setTextBytes(SwimmerRecord::kBango, f[kNumber - 1]);
    s.setTextBytes(SwimmerRecord::kNamae, f[kName - 1]);
    s.setTextBytes(SwimmerRecord::kGakunen, firstChar(f[kGradeFirst - 1]) + firstChar(f[kGradeSecond - 1]));
    s.setNenrei(0);
    s.setShubetu("");
    s.setShuFuku("3");
    s.setTorobi(0);
    s.setSeq(lineNo);
    return s;
}

// The person fields that "Results(2)" carries from record to record.
void copyPerson(SwimmerRecord& to, const SwimmerRecord& from)
{
    using S = SwimmerRecord;
    static constexpr Field fields[] = {S::kBango,   S::kQBango,      S::kNamae,   S::kKana,   S::kKen, S::kKenKana,
                                       S::kShozoku, S::kShozokuKana, S::kGakunen, S::kNenrei, S::kSei, S::kShuFuku};
    for (const Field f : fields) to.copyField(from, f);
}

void copySlot(SwimmerRecord& to, const SwimmerRecord& from, int slot)
{
    to.setKiro(slot, from.kiro(slot));
    to.copyField(from, SwimmerRecord::kMarkA.at(static_cast<std::size_t>(slot)));
    to.copyField(from, SwimmerRecord::kMarkB.at(static_cast<std::size_t>(slot)));
}

bool samePerson(const SwimmerRecord& a, const SwimmerRecord& b)
{
    return a.raw(SwimmerRecord::kNamae) == b.raw(SwimmerRecord::kNamae) &&
           a.raw(SwimmerRecord::kQBango) == b.raw(SwimmerRecord::kQBango);
}

} // namespace

std::optional<int> resultsEventSlot(const std::string& stroke, const std::string& distance)
{
    if (stroke.size() != 1 || distance.size() != 1) return std::nullopt;
    const char d = distance[0];
    auto in = [&](char lo, char hi, int first) -> std::optional<int> {
        if (d < lo || d > hi) return std::nullopt;
        return first + (d - lo);
    };
    switch (stroke[0]) {
    case '1': return in('1', '7', 0);
    case '2': return in('1', '4', 7);
    case '3': return in('1', '4', 11);
    case '4': return in('1', '4', 15);
    case '5': return in('3', '5', 19);
    case '7': return in('3', '5', 22);
    case '6': return in('3', '6', 25);
    default: return std::nullopt;
    }
}

ImportReport importResultsReplacing(EntryStore& store, const ImportFolder& folder, Prompt& prompt)
{
    waitForDrive(folder, prompt);
    std::optional<std::string> data = readInputFile(folder.host, kResultsDat);
    enforce(data.has_value(), "「Results.Dat」ファイルがありません。\n処理を中止します。");

    ImportReport report;
    std::vector<SwimmerRecord> swimmers;
    int withoutEvent = 0;
    std::vector<std::string> lines = splitLines(*data);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        if (lines[i].empty()) continue;
        std::vector<std::string> f = csvFields(lines[i], kTime, kResultsDat, lineNo);
        SwimmerRecord s = resultSwimmer(f, static_cast<int>(swimmers.size()) + 1);
        std::optional<int> slot = resultsEventSlot(f[kStroke - 1], f[kDistance - 1]);
        std::optional<std::int32_t> time = clockTime(f[kTime - 1]);
        if (!time) inputFault(kResultsDat, lineNo, "タイム「" + fromCp932(f[kTime - 1]) + "」が正しくありません");
        if (slot) {
            s.setKiro(*slot, *time);
            s.setMarkA(*slot, SwimmerRecord::kMarkAFromResult);
        } else {
            ++withoutEvent;
            report.skipped.push_back(std::string(kResultsDat) + " " + std::to_string(lineNo) + " 行目: 種目がありません（泳法 " +
                                     f[kStroke - 1] + "、距離 " + f[kDistance - 1] + "）: タイムなしで入れました");
        }
        swimmers.push_back(s);
    }
    enforce(!swimmers.empty(), "Results.Dat に記録がありません。申込ファイルはそのままです。");

    const int old = store.header().total();
    if (!prompt.ask("申込ファイルの選手 " + std::to_string(old) + " 人を、Results.Dat の記録 " + std::to_string(swimmers.size()) +
                    " 件で置き換えます。よろしいですか？"))
        throw ImportCancelled();

    EntryHeader h = store.header();
    h.setCourse(0);
    h.setTcod("");
    h.setKubun(0);
    h.setBotai(0);
    for (int d = 0; d < kCompetitionDays; ++d) h.setDay(d, 0);
    store.commitAll(swimmers, "Results(1)", h);
    report.changed = true;
    report.done.push_back("選手 " + std::to_string(old) + " 人を Results.Dat の記録 " + std::to_string(swimmers.size()) +
                          " 件で置き換えました。");
    if (withoutEvent) report.done.push_back("種目のない記録 " + std::to_string(withoutEvent) + " 件はタイムなしで入れました:");
    for (const std::string& s : report.skipped) report.done.push_back("  " + s);
    report.skipped.clear();
    return report;
}

ImportReport combineResults(const fs::path& folder)
{
    const fs::path in = findNoCase(folder, kCombineIn);
    enforce(fs::is_regular_file(in), "「results.$$$」ファイルがありません: " + (folder / kCombineIn).string());
    EntryStore source;
    source.openEntryFile(in, EntryStore::Access::Read);
    const std::vector<SwimmerRecord> records = source.readAllSwimmers();

    std::vector<SwimmerRecord> persons;
    SwimmerRecord a;
    for (std::size_t c = 0; c < records.size(); ++c) {
        const SwimmerRecord& b = records[c];
        if (c == 0 || samePerson(a, b)) {
            copyPerson(a, b);
            for (int slot = 0; slot < kEventSlots; ++slot)
                if (b.kiro(slot) != 0) copySlot(a, b, slot);
        } else {
            persons.push_back(a);
            a = SwimmerRecord();
            copyPerson(a, b);
            for (int slot = 0; slot < kEventSlots; ++slot) copySlot(a, b, slot);
        }
    }
    if (!records.empty()) persons.push_back(a);

    const fs::path out = findNoCase(folder, kCombineOut);
    FileLock lock(out, FileLock::Kind::Exclusive);
    EntryHeader h = source.header();
    h.setTotal(static_cast<std::int32_t>(persons.size()));
    std::string image(CountedRecordFile::offsetOf(static_cast<long long>(persons.size()) + 1, kEntryRecordLength), '\0');
    std::copy_n(h.bytes().data(), kEntryRecordLength, image.data());
    std::copy_n(source.reserve().bytes().data(), kEntryRecordLength, image.data() + kEntryRecordLength);
    for (std::size_t g = 0; g < persons.size(); ++g) {
        persons[g].setSeq(static_cast<std::int32_t>(g + 1));
        std::copy_n(persons[g].bytes().data(), kEntryRecordLength,
                    image.data() + CountedRecordFile::offsetOf(static_cast<long long>(g) + 1, kEntryRecordLength));
    }
    replaceFile(out, image);

    ImportReport report;
    report.changed = true;
    report.done.push_back("results.$$$ の " + std::to_string(records.size()) + " 件を " + std::to_string(persons.size()) +
                          " 人にまとめて results.zep に書きました。");
    return report;
}

} // namespace tolv
