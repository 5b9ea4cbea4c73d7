#pragma once
// Connects "転出" → "セイコーカンマ": the timing export window, with the entry window closed behind it.
namespace tolv::gui {

class FrmZepi;

void wireTimingMenus(FrmZepi& window);

} // namespace tolv::gui
