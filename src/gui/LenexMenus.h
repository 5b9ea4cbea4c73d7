#pragma once
// The entry window's Lenex items: "転出" → "Lenex" (mOutLenex) writes the open entry file as a
// Lenex file into the transfer folder, "転入" → "Lenex" (mInLenex) appends the athletes of a
// Lenex file, "転入" → "Lenex大会" (mInLenexMeet) takes the organiser's meet of a Lenex file for
// the entry file (the export then enters against its events). Each picks the file with a file
// dialog and ends with a message of what was done.
// The export asks once for the meet's city (kept for the entry file); the import asks before the
// meet of the file replaces the header of an entry file that has swimmers, and before a file
// imported before is imported again.
#include <QString>

#include <functional>

class QWidget;

namespace tolv::gui {

class FrmZepi;

void wireLenexMenus(FrmZepi& window);

// How the items pick their file: a file dialog starting in `folder` (with `suggested` as the
// name to save), unless a test puts its own chooser here. An empty result cancels.
using LenexFileChooser = std::function<QString(QWidget* parent, bool forSaving, const QString& folder, const QString& suggested)>;
LenexFileChooser& lenexFileChooser();

// How the export asks for the meet's city: a text input dialog, unless a test puts its own asker
// here. An empty result cancels the export.
using LenexCityAsker = std::function<QString(QWidget* parent)>;
LenexCityAsker& lenexCityAsker();

} // namespace tolv::gui
