#pragma once
// The entry window's "Work" → "元に戻す" (mWk2): puts the last automatic backup of the open file
// back after a question, under the lock the window holds, and shows the restored file.
namespace tolv::gui {

class FrmZepi;

void wireSafetyMenus(FrmZepi& window);

} // namespace tolv::gui
