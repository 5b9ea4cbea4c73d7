#include "gui/MergeMenus.h"

#include "gui/AppContext.h"
#include "gui/FrmKetugo.h"
#include "gui/FrmZepi.h"

#include <QAction>

namespace tolv::gui {
namespace {

namespace fs = std::filesystem;

// The entry window takes its file back and shows the current swimmer as the file now holds it.
void takeBack(FrmZepi& w, const fs::path& entry)
{
    try {
        w.store().openEntryFile(entry, tolv::EntryStore::Access::Write);
    } catch (const std::exception& e) {
        w.context().ask().tell(e.what());
    }
    w.refreshCurrent();
}

} // namespace

void wireMergeMenus(FrmZepi& w)
{
    QAction* a = w.menuAction("mInKetugo");
    if (!a) return;
    a->setEnabled(true);
    QObject::connect(a, &QAction::triggered, &w, [&w] {
        if (!w.store().isOpen()) return;
        const fs::path entry = w.store().path();
        // One writer at a time: the merge window holds the file while it is open.
        w.store().close();
        FrmKetugo* merge = nullptr;
        try {
            merge = new FrmKetugo(w.context(), entry, w.lookup(), &w);
        } catch (const std::exception& e) {
            w.context().ask().tell(e.what());
            takeBack(w, entry);
            return;
        }
        merge->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(merge, &FrmKetugo::closed, &w, [&w, entry] {
            takeBack(w, entry);
            w.show();
        });
        merge->show();
        w.hide();
    });
}

} // namespace tolv::gui
