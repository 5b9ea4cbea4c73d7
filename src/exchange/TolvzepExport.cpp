// tolvzep.csv: the entry file as a comma-separated file named after it (43 columns, header from
// the template tolvzep.w written bare).
#include "exchange/Exports.h"
#include "exchange/Templates.h"
#include "platform/Cp932.h"
#include "storage/Codes.h"

namespace tolv::exchange {

namespace {

constexpr std::size_t kTolvzepFields = 43;

using S = SwimmerRecord;

std::string outputName(const fs::path& entryPath)
{
    const std::string name = entryPath.filename().string();
    return name.substr(0, name.find('.')) + ".csv";
}

} // namespace

ExportResult exportTolvzep(const EntryData& data, const ExportTarget& target)
{
    installDefaultTemplates(target.ctl);
    requireFolder(target.transfer);
    const std::string header = toCp932(plainHeader(readTemplate(target.ctl, "tolvzep.w", kTolvzepFields)));
    std::vector<std::string> lines;
    lines.reserve(data.swimmers.size());
    const std::string fileName = outputName(data.entryPath);
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        CsvLine l;
        l.q(fieldText(s, S::kBango, 7))
            .q(fieldText(s, S::kQBango, 14))
            .raw(cleaned(fieldText(s, S::kKana, 16)))
            .raw(cleaned(fieldText(s, S::kNamae, 16)))
            .raw(cleaned(fieldText(s, S::kKen, 8)))
            .raw(cleaned(fieldText(s, S::kKenKana, 6)))
            .raw(cleaned(fieldText(s, S::kShozoku, 12)))
            .raw(cleaned(fieldText(s, S::kShozokuKana, 6)))
            .raw(fieldText(s, S::kGakunen, 2))
            .raw(std::to_string(s.nenrei()))
            .raw(fieldText(s, S::kSei, 1))
            .raw(fieldText(s, S::kShuFuku, 1))
            .raw(std::to_string(s.torobi()))
            .q(fieldText(s, S::kShubetu, 6));
        for (int slot = 0; slot < kStandardSlots; ++slot)
            l.raw(s.kiro(slot) == 0 ? std::string() : std::to_string(s.kiro(slot)));
        lines.push_back(encodeSwimmerLine(l.text(), fileName.c_str(), i + 1, s));
    }
    ExportResult r;
    std::vector<PlannedFile> files;
    files.push_back(planFile(target.transfer / outputName(data.entryPath), header, lines));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
