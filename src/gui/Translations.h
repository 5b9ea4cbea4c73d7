#pragma once
// Qt's own texts (message-box buttons, the print preview's tools, file dialogs) in the user's
// language: Qt's translations for the system locale, Japanese when there is none for it (the
// program itself speaks Japanese).
#include <QString>

namespace tolv::gui {

// Loads the translations into the running application and returns the locale name used
// ("ja_JP", "de_DE" …), empty when none could be loaded. `system` is the locale to try first
// (the system's by default).
QString installQtTranslations(const QString& system = QString());

// Called before the application object exists: with a C, POSIX or English locale (or none) the
// dates and times Qt's own dialogs show from the system locale (a file dialog's "Date Modified")
// are written the Japanese way. Another language is left as it is.
void preferJapaneseDates();

// True when `name` (a locale name such as "C", "en_US.UTF-8", "de_DE") gets Japanese texts.
bool japaneseInsteadOf(const QString& name);

} // namespace tolv::gui
