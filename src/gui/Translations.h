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

} // namespace tolv::gui
