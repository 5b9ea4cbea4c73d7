#pragma once
// Connects the entry window's menu items whose commands live in other parts of the program:
// "チェック" (reports and rewrites), "索引", "集計" and "転出" → "ＳＷＭ大会" → "タイム一覧表".
namespace tolv::gui {

class FrmZepi;

void wireCommandMenus(FrmZepi& window);

} // namespace tolv::gui
