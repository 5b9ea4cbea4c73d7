#pragma once
// Connects the entry window's "転出" items of the federation and timing windows: "日水競技者登録"
// (the registration window, beside the entry window) and "セイコーカンマ" (the timing export
// window, with the entry window closed behind it).
namespace tolv::gui {

class FrmZepi;

void wireTimingMenus(FrmZepi& window);

} // namespace tolv::gui
