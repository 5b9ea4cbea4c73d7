#include "exchange/NitibanImport.h"

#include "platform/Cp932.h"
#include "storage/EntryStore.h"
#include "storage/TextUtil.h"

#include <set>
#include <unordered_map>

namespace tolv {
namespace {

constexpr const char* kList = "jpnnewsmer.csv";
constexpr std::size_t kFields = 5, kKey = 2, kNumber = 5;

std::string withoutBlanks(std::string text) { return cleanText(text, 2); }

} // namespace

std::string registrationMatchKey(const SwimmerRecord& s)
{
    std::string q(s.raw(SwimmerRecord::kQBango));
    for (char& c : q)
        if (c == '\0') c = ' ';
    const std::u32string chars = toUtf32(fromCp932(q));
    constexpr CharPart part = SwimmerRecord::kQBangoBirthShort;
    const std::string birth = fromUtf32(chars.substr(std::min<std::size_t>(part.first - 1, chars.size()), part.count));
    std::string sex = s.sei();
    if (sex.empty()) sex = " ";
    return sex + birth + withoutBlanks(s.Namae());
}

ImportReport importRegistrationNumbers(EntryStore& store, const ImportFolder& folder, Prompt& prompt)
{
    waitForDrive(folder, prompt);
    std::optional<std::string> data = readInputFile(folder.host, kList);
    enforce(data.has_value(), "「jpnnewsmer.csv」ファイルがありません。\n処理を中止します。");

    // The whole list is read and checked before anything changes.
    struct Entry {
        std::string key, number;
    };
    std::vector<Entry> list;
    std::vector<std::string> lines = splitLines(*data);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        if (lines[i].empty()) continue;
        std::vector<std::string> f = csvFields(lines[i], kFields, kList, lineNo);
        const std::string number = fitBytes(f[kNumber - 1], 7);
        list.push_back(Entry{withoutBlanks(fromCp932(f[kKey - 1])), number});
    }

    std::vector<SwimmerRecord> swimmers = store.readAllSwimmers();
    std::unordered_map<std::string, std::vector<std::size_t>> byKey;
    byKey.reserve(swimmers.size());
    for (std::size_t n = 0; n < swimmers.size(); ++n) byKey[registrationMatchKey(swimmers[n])].push_back(n);

    std::set<std::size_t> updated;
    int unmatched = 0;
    for (const Entry& e : list) {
        auto hit = byKey.find(e.key);
        if (hit == byKey.end()) {
            ++unmatched;
            continue;
        }
        for (std::size_t n : hit->second) {
            swimmers[n].setTextBytes(SwimmerRecord::kBango, e.number);
            updated.insert(n);
        }
    }

    ImportReport report;
    if (!updated.empty()) {
        store.commitAll(swimmers, "日水登録番号");
        report.changed = true;
    }
    report.done.push_back("登録番号を " + std::to_string(updated.size()) + " 人に入れました（一覧 " +
                          std::to_string(list.size()) + " 行、申込ファイルの選手 " + std::to_string(swimmers.size()) + " 人）。");
    // Lines of other clubs are the rule in a federation's list: counted, not listed.
    if (unmatched) report.done.push_back("一致する選手がいない行: " + std::to_string(unmatched) + " 行");
    return report;
}

} // namespace tolv
