#pragma once
// Connects the entry window's "転入" items that read other systems' files: "Web", "日水登録番号",
// "ＳＷＭ", "ＳＣＭ", "Mcompd", "Results(1)" and "Results(2)".
namespace tolv::gui {

class FrmZepi;

void wireImportMenus(FrmZepi& window);

} // namespace tolv::gui
