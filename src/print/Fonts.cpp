#include "print/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace tolv::gui {

void installFontSubstitutions()
{
    static bool done = false;
    if (done) return;
    done = true;
    const QStringList families = QFontDatabase::families();
    QStringList mincho;
    for (const char* name : {"IPAMincho", "IPA明朝", "IPAPMincho", "Noto Serif CJK JP"})
        if (families.contains(QString::fromUtf8(name))) mincho << QString::fromUtf8(name);
    if (mincho.isEmpty()) mincho << QStringLiteral("IPAMincho");
    QFont::insertSubstitutions(QString::fromUtf8("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
}

} // namespace tolv::gui
