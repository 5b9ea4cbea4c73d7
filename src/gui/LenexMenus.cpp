#include "gui/LenexMenus.h"

#include "exchange/LenexReader.h"
#include "exchange/LenexWriter.h"
#include "gui/AppContext.h"
#include "gui/FrmZepi.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>

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

void run(FrmZepi& w, const std::function<std::string()>& action)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string message;
    try {
        message = action();
    } catch (const std::exception& e) {
        message = e.what();
    }
    QApplication::restoreOverrideCursor();
    if (!message.empty()) w.context().ask().tell(message);
    w.refreshCurrent();
}

void connectItem(FrmZepi& w, const char* name, const std::function<void()>& action)
{
    QAction* a = w.menuAction(name);
    if (!a) return;
    a->setEnabled(true);
    QObject::connect(a, &QAction::triggered, &w, action);
}

} // namespace

LenexFileChooser& lenexFileChooser()
{
    static LenexFileChooser chooser = dialog;
    return chooser;
}

void wireLenexMenus(FrmZepi& w)
{
    connectItem(w, "mOutLenex", [&w] {
        const fs::path suggested = lenex::defaultExportPath({}, w.store().path(), false);
        const QString name = lenexFileChooser()(&w, true, QString::fromStdString(w.transferFolder().string()),
                                                QString::fromStdString(suggested.filename().string()));
        if (name.isEmpty()) return;
        run(w, [&w, name] {
            fs::path target = chosen(name);
            if (target.extension().empty()) target += ".lef";
            const bool zip = target.extension() == ".lxf" || target.extension() == ".LXF";
            return lenex::describeExport(lenex::exportLenex(w.store(), target, zip));
        });
    });
    connectItem(w, "mInLenex", [&w] {
        const QString name =
            lenexFileChooser()(&w, false, QString::fromStdString(w.transferFolder().string()), QString());
        if (name.isEmpty()) return;
        run(w, [&w, name] {
            const fs::path file = chosen(name);
            return lenex::describeImport(lenex::importLenex(w.store(), file), file);
        });
    });
}

} // namespace tolv::gui
