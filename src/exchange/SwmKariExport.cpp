// swm.txt: the provisional swimmer list for the SWM system, nine bare columns at full field width.
#include "exchange/Exports.h"
#include "storage/Codes.h"
#include "transfer/CsvLine.h"
#include "transfer/FieldText.h"

namespace tolv::exchange {

ExportResult exportSwmKari(const EntryData& data, const ExportTarget& target)
{
    using S = SwimmerRecord;
    requireFolder(target.transfer);
    std::vector<std::string> lines;
    lines.reserve(data.swimmers.size());
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        const std::string bango = fieldText(s, S::kBango);
        const bool numbered = numericValue(bango) != 0;
        CsvLine l;
        l.raw(numbered ? bango : std::string(8, ' '))
            .raw(fieldText(s, S::kQBango))
            .raw(fieldText(s, S::kNamae))
            .raw(fieldText(s, S::kKana))
            .raw(fieldText(s, S::kSei))
            .raw(fieldText(s, S::kGakunen))
            .raw(fieldText(s, S::kShubetu))
            .raw(fieldText(s, S::kShuFuku))
            .raw(numbered ? "199905" : std::string(6, ' '));
        lines.push_back(encodeSwimmerLine(l.text(), "swm.txt", i + 1, s));
    }
    ExportResult r;
    std::vector<PlannedFile> files;
    files.push_back(planFile(target.transfer / "swm.txt", std::string(), lines));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
