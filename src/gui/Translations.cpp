#include "gui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>

namespace tolv::gui {

namespace {

// Texts Qt's translation of the file dialogs leaves in English: the kind of an entry in a file
// list ("Folder", "Drive") comes from a context the Japanese catalogue does not carry.
class FileKindTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override
    {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0 && qstrcmp(context, "QFileSystemModel") != 0) return QString();
        static const std::pair<const char*, const char*> texts[] = {{"Folder", "フォルダー"},       {"Drive", "ドライブ"},
                                                                    {"File", "ファイル"},           {"Alias", "エイリアス"},
                                                                    {"Shortcut", "ショートカット"}, {"Unknown", "不明"}};
        for (const auto& [english, japanese] : texts)
            if (qstrcmp(source, english) == 0) return QString::fromUtf8(japanese);
        return QString();
    }
};

} // namespace

bool japaneseInsteadOf(const QString& name)
{
    return name.isEmpty() || name == "C" || name.startsWith("C.") || name == "POSIX" || name.startsWith("en");
}

void preferJapaneseDates()
{
    // The locale Qt takes its dates from: LC_ALL, else LC_TIME, else LANG.
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty()) continue;
        if (!japaneseInsteadOf(value)) return;
        if (qstrcmp(variable, "LC_ALL") == 0) {
            // LC_ALL would hide LC_TIME: its value goes to the other categories instead.
            for (const char* other : {"LANG", "LC_CTYPE", "LC_NUMERIC", "LC_COLLATE", "LC_MESSAGES", "LC_MONETARY"})
                qputenv(other, value.toLocal8Bit());
            qunsetenv("LC_ALL");
        }
        break;
    }
    qputenv("LC_TIME", "ja_JP.UTF-8");
}

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
        if (locale.language() == QLocale::Japanese)
            QCoreApplication::installTranslator(new FileKindTexts(QCoreApplication::instance()));
        QLocale::setDefault(locale);
        return locale.name();
    }
    return QString();
}

} // namespace tolv::gui
