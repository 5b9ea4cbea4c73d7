#pragma once
// Connects "転入" → "申込データ結合" of the entry window: the merge window opens, the entry window
// gives up its file and hides; when the merge window closes the entry window opens the file again
// (as the merge left it) and shows.
namespace tolv::gui {

class FrmZepi;

void wireMergeMenus(FrmZepi& window);

} // namespace tolv::gui
