#include "gui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tolv::gui {

QString installQtTranslations(const QString& system)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale first = system.isEmpty() ? QLocale::system() : QLocale(system);
    // A C or English locale (Qt's untranslated texts) and a language Qt has no translation for get
    // Japanese, the language of every other text of the program.
    QList<QLocale> tried;
    if (first.language() != QLocale::C && first.language() != QLocale::English) tried << first;
    tried << QLocale(QLocale::Japanese, QLocale::Japan);
    for (const QLocale& locale : tried) {
        auto* qt = new QTranslator(QCoreApplication::instance());
        if (!qt->load(locale, "qtbase", "_", folder)) {
            delete qt;
            continue;
        }
        QCoreApplication::installTranslator(qt);
        QLocale::setDefault(locale);
        return locale.name();
    }
    return QString();
}

} // namespace tolv::gui
