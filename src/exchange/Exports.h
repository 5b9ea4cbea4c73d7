#pragma once
// The export items of the entry window's "転出" menu and of `tolv export FORMAT`: each reads the
// entry data once (EntryData::read on an open store) and writes its files into the transfer folder
// as one whole set (see transfer/FileSet.h).
#include "transfer/ExportData.h"

namespace tolv::exchange {

using ExportFn = ExportResult (*)(const EntryData&, const ExportTarget&);

ExportResult exportScmLink(const EntryData& data, const ExportTarget& target);   // "SCMSYS連携"
ExportResult exportScmMedia(const EntryData& data, const ExportTarget& target);  // "ＳＣＭ大会" → "フロッピー作成"
ExportResult exportSwmMedia(const EntryData& data, const ExportTarget& target);  // "ＳＷＭ大会" → "フロッピー作成"
ExportResult exportTolvzep(const EntryData& data, const ExportTarget& target);   // "tolvzep.csv"
ExportResult exportQTolv(const EntryData& data, const ExportTarget& target);     // "旧とるぶしす"
ExportResult exportSwmKari(const EntryData& data, const ExportTarget& target);   // "SWMkari"
ExportResult exportDbase(const EntryData& data, const ExportTarget& target);     // "ＳＷＭ"
ExportResult exportInterHigh(const EntryData& data, const ExportTarget& target); // "熊本InterHi CSV"

} // namespace tolv::exchange
