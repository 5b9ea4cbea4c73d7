// tolvzep.csv: the entry file as a comma-separated file named after it (43 columns, header from
// the template tolvzep.w written bare).
#include "exchange/Exports.h"
#include "platform/Cp932.h"
#include "storage/Codes.h"
#include "transfer/CsvLine.h"
#include "transfer/FieldText.h"
#include "transfer/Templates.h"

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
        l.q(fieldText(s, S::kBango))
            .q(fieldText(s, S::kQBango))
            .raw(cleaned(fieldText(s, S::kKana)))
            .raw(cleaned(fieldText(s, S::kNamae)))
            .raw(cleaned(fieldText(s, S::kKen)))
            .raw(cleaned(fieldText(s, S::kKenKana)))
            .raw(cleaned(fieldText(s, S::kShozoku)))
            .raw(cleaned(fieldText(s, S::kShozokuKana)))
            .raw(fieldText(s, S::kGakunen))
            .raw(std::to_string(s.nenrei()))
            .raw(fieldText(s, S::kSei))
            .raw(fieldText(s, S::kShuFuku))
            .raw(std::to_string(s.torobi()))
            .q(fieldText(s, S::kShubetu));
        for (int slot = 0; slot < kStandardSlots; ++slot) l.raw(s.kiro(slot) == 0 ? std::string() : std::to_string(s.kiro(slot)));
        lines.push_back(encodeSwimmerLine(l.text(), fileName.c_str(), i + 1, s));
    }
    ExportResult r;
    std::vector<PlannedFile> files;
    files.push_back(planFile(target.transfer / outputName(data.entryPath), header, lines));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
