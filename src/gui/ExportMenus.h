#pragma once
// Connects the export items of the entry window's "転出" menu: "tolvzep.csv", "旧とるぶしす",
// "SWMkari", "SCMSYS連携", "ＳＣＭ大会" → "フロッピー作成", "ＳＷＭ大会" → "フロッピー作成",
// "ＳＷＭ" and "熊本InterHi CSV". Each writes into the window's transfer folder from the window's
// open entry file and ends with a message naming the files written.
namespace tolv::gui {

class FrmZepi;

void wireExportMenus(FrmZepi& window);

} // namespace tolv::gui
