#pragma once
// The printed forms and the windows ask for "ＭＳ 明朝"; on this platform it stands for an installed
// Mincho face. Call once after the QGuiApplication exists and before any font is made.
namespace tolv::gui {

void installFontSubstitutions();

} // namespace tolv::gui
