// tolvsys: the start-up window first; it opens the entry window.
#include "gui/AppContext.h"
#include "gui/FrmDrive.h"
#include "gui/MessagePrompt.h"
#include "gui/Translations.h"
#include "gui/WindowPlacement.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

int main(int argc, char** argv)
{
    // Reports name the Mincho face the way the platform printer knows it.
    QFont::insertSubstitution("ＭＳ 明朝", "IPAMincho");
    tolv::gui::preferJapaneseDates();
    QApplication app(argc, argv);
    QApplication::setApplicationName("tolvsys");
    tolv::gui::installQtTranslations();

    tolv::gui::MessagePrompt prompt;
    tolv::gui::AppContext ctx;
    ctx.prompt = &prompt;
    ctx.endProgram = [] {
        // Closing the windows closes the entry file and empties the temp folder.
        QApplication::closeAllWindows();
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    };

    auto* start = new tolv::gui::FrmDrive(ctx);
    start->setAttribute(Qt::WA_DeleteOnClose);
    if (!ctx.ending) tolv::gui::showPlaced(start);
    return app.exec();
}
