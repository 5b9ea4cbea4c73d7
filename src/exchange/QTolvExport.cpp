// QTolv.txt: the record layout of the previous generation of the program (39 fields, numbers in
// the number-item form: a blank in place of the plus sign and a trailing blank).
#include "exchange/Exports.h"
#include "platform/Printer.h"
#include "storage/Codes.h"
#include "transfer/CsvLine.h"
#include "transfer/FieldText.h"

namespace tolv::exchange {

namespace {

using S = SwimmerRecord;

std::string number(long long v) { return Printer::numberItem(v); }

} // namespace

ExportResult exportQTolv(const EntryData& data, const ExportTarget& target)
{
    requireFolder(target.transfer);
    std::vector<std::string> lines;
    lines.reserve(data.swimmers.size());
    for (std::size_t i = 0; i < data.swimmers.size(); ++i) {
        const SwimmerRecord& s = data.swimmers[i];
        const std::string q = fieldText(s, S::kQBango);
        CsvLine l;
        l.raw("1" + midChars(q, S::kQBangoTeam) + midChars(q, S::kQBangoAfterCentury))
            .q(midChars(fieldText(s, S::kNamae), 1, 8))
            .raw(midChars(fieldText(s, S::kKen), 1, 2))
            .q(midChars(fieldText(s, S::kShozoku), 1, 6))
            .raw(fieldText(s, S::kSei))
            .raw(number(s.nenrei()))
            .raw(fieldText(s, S::kGakunen));
        for (int slot = 0; slot < kStandardSlots; ++slot) l.raw(number(s.kiro(slot)));
        l.raw(fieldText(s, S::kKana)).raw(fieldText(s, S::kShozokuKana)).raw(fieldText(s, S::kBango));
        lines.push_back(encodeSwimmerLine(l.text(), "QTolv.txt", i + 1, s));
    }
    ExportResult r;
    std::vector<PlannedFile> files;
    files.push_back(planFile(target.transfer / "QTolv.txt", std::string(), lines));
    writeFileSet(std::move(files), r);
    return r;
}

} // namespace tolv::exchange
