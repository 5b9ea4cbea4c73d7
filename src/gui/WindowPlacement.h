#pragma once
// Every top-level window opens on the screen: where it was when it last closed in this run, when
// that place is still wholly on a screen, else centred on the screen; a window larger than the
// free area is made to fit it. Windows are told apart by their objectName.
class QWidget;

namespace tolv::gui {

// Places the window now (shown or about to be shown).
void placeOnScreen(QWidget* window);
// Places the window, shows it, and remembers where it was when it is hidden or closed.
void showPlaced(QWidget* window);

} // namespace tolv::gui
