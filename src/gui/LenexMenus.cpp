#include "gui/LenexMenus.h"

#include "exchange/LenexReader.h"
#include "exchange/LenexReport.h"
#include "exchange/LenexWriter.h"
#include "gui/AppContext.h"
#include "gui/CommandRunner.h"
#include "gui/FrmZepi.h"
#include "platform/Paths.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>

namespace tolv::gui {
namespace {

namespace fs = std::filesystem;

const char* const kFilter = "Lenex (*.lef *.lxf)";

QString dialog(QWidget* parent, bool forSaving, const QString& folder, const QString& suggested)
{
    if (forSaving) return QFileDialog::getSaveFileName(parent, "Lenex", folder + "/" + suggested, kFilter);
    return QFileDialog::getOpenFileName(parent, "Lenex", folder, kFilter);
}

fs::path chosen(const QString& name) { return fs::path(name.toStdString()); }

// A question asked while an import runs: the busy pointer gives way to it and comes back after.
bool askAside(FrmZepi& w, const std::string& question)
{
    QApplication::restoreOverrideCursor();
    const bool yes = w.context().ask().ask(question);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return yes;
}

void run(FrmZepi& w, const std::function<std::string()>& action)
{
    runCommand(w.context().ask(), action, [&w] { w.refreshCurrent(); });
}

} // namespace

LenexFileChooser& lenexFileChooser()
{
    static LenexFileChooser chooser = dialog;
    return chooser;
}

LenexCityAsker& lenexCityAsker()
{
    static LenexCityAsker asker = [](QWidget* parent) {
        return QInputDialog::getText(parent, "Lenex", "大会の開催地（市町村名）:").trimmed();
    };
    return asker;
}

void wireLenexMenus(FrmZepi& w)
{
    connectMenuItem(w, "mOutLenex", [&w] {
        const fs::path suggested = lenex::defaultExportPath({}, w.store().path(), false);
        const QString name = lenexFileChooser()(&w, true, QString::fromStdString(w.transferFolder().string()),
                                                QString::fromStdString(suggested.filename().string()));
        if (name.isEmpty()) return;
        // The city is asked once per entry file; the export keeps it.
        std::string city;
        if (lenex::cityNeeded(w.store().path())) {
            city = lenexCityAsker()(&w).toStdString();
            if (city.empty()) return;
        }
        run(w, [&w, name, city] {
            fs::path target = chosen(name);
            if (target.extension().empty()) target += ".lef";
            const bool zip = target.extension() == ".lxf" || target.extension() == ".LXF";
            return lenex::describeExport(lenex::exportLenex(w.store(), target, zip, city, ctlDir()));
        });
    });
    connectMenuItem(w, "mInLenex", [&w] {
        const QString name = lenexFileChooser()(&w, false, QString::fromStdString(w.transferFolder().string()), QString());
        if (name.isEmpty()) return;
        run(w, [&w, name] {
            const fs::path file = chosen(name);
            lenex::ImportOptions options;
            options.takeHeader = [&w](const lenex::MeetInfo& meet) { return askAside(w, lenex::headerQuestion(meet)); };
            options.again = [&w](const std::string& question) { return askAside(w, question); };
            return lenex::describeImport(lenex::importLenex(w.store(), file, options), file);
        });
    });
    connectMenuItem(w, "mInLenexMeet", [&w] {
        const QString name = lenexFileChooser()(&w, false, QString::fromStdString(w.transferFolder().string()), QString());
        if (name.isEmpty()) return;
        run(w, [&w, name] {
            const fs::path file = chosen(name);
            lenex::ImportOptions options;
            options.takeHeader = [&w](const lenex::MeetInfo& meet) { return askAside(w, lenex::headerQuestion(meet)); };
            return lenex::describeMeet(lenex::takeLenexMeet(w.store(), file, options), file);
        });
    });
}

} // namespace tolv::gui
