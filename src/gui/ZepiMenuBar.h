#pragma once
// The entry window's menu bar: every menu and item with its control name (mIn, mInKetugo …
// mOwari). Items whose commands live elsewhere start disabled; the code that implements one
// enables it and connects its `triggered` signal.
class QMenuBar;

namespace tolv::gui {

void buildEntryMenuBar(QMenuBar& bar);

} // namespace tolv::gui
