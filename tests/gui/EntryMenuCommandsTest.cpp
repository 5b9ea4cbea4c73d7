// The entry window's menus that run other parts' commands on the open entry file: a check report
// drawn for the user, a rewrite written to the file, sorting and the tally.
#include "checks/CheckMenu.h"
#include "exchange/ExportMenu.h"
#include "exchange/ImportMenu.h"
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "reports/ReportMenu.h"
#include "support/EntrySnapshot.h"
#include "storage/ControlFiles.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <functional>
#include <memory>
#include <set>
#include <sstream>

using namespace tolv;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::readBytes;

namespace fs = std::filesystem;

class EntryMenuCommandsTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path file_;
    std::ostringstream printed_;

    FrmZepi* open() { return tolvtest::openEntryWindow(fx_.ctx()); }

private slots:
    void init()
    {
        fx_.setUp();
        printed_.str("");
        // Reports land in a print log instead of the preview dialog.
        fx_.ctx().print = [this](QWidget*, const std::function<void(Printer&)>& draw) {
            PrintLog log(printed_);
            draw(log);
        };
        file_ = fx_.file();
        fx_.writeEntryFile(
            {{"13001200105011", "1", "選手1"}, {"13001200105011", "1", "選手2"}, {"13002199804015", "2", "選手3"}});
    }

    void cleanup() { fx_.tearDown(); }

    // Every command of the registries has its menu item with the registry's caption, wired (enabled
    // on an open file), and every item of the menus that run them has its registry entry.
    void everyRegisteredCommandHasItsMenuItemAndEveryItemItsEntry()
    {
        FrmZepi* w = open();
        std::set<QString> registered;
        auto expect = [&](const char* name, const char* caption) {
            registered.insert(QString::fromUtf8(name));
            QAction* a = w->menuAction(name);
            QVERIFY2(a, name);
            QCOMPARE(a->text(), QString::fromUtf8(caption));
            QVERIFY2(a->isEnabled(), name);
        };
        for (const exchange::ExportMenuItem& i : exchange::exportMenuItems())
            if (i.objectName) expect(i.objectName, i.caption);
        for (const ImportMenuItem& i : importMenuItems()) expect(i.objectName, i.caption);
        for (const CheckMenuItem& i : checkMenuItems()) expect(i.objectName, i.caption);
        for (const reports::ListItem& i : reports::listItems())
            if (i.objectName[0] == 'm') expect(i.objectName, i.caption); // the others are buttons

        std::function<void(QMenu*)> walk = [&](QMenu* menu) {
            for (QAction* a : menu->actions()) {
                if (a->isSeparator()) continue;
                if (a->menu()) walk(a->menu());
                else QVERIFY2(registered.count(a->objectName()), qPrintable(a->objectName()));
            }
        };
        for (const char* menu : {"mIn", "mOut", "mCheck"}) walk(w->findChild<QMenu*>(menu));
    }

    void checkReportIsDrawnAndChangesNothing()
    {
        FrmZepi* w = open();
        const std::string before = readBytes(file_);
        QAction* a = w->menuAction("mCheck14");
        QVERIFY(a && a->isEnabled());
        a->trigger();
        const std::string log = printed_.str();
        // One line for the second of the two equal old numbers, then the end of the job.
        QVERIFY2(log.find("13001200105011") != std::string::npos, log.c_str());
        QVERIFY2(log.find("->") != std::string::npos, log.c_str());
        QVERIFY(log.size() >= 4 && log.substr(log.size() - 4) == "end\n");
        QCOMPARE(readBytes(file_), before);
        QCOMPARE(w->current(), 3);
    }

    void ageRewriteWritesEveryRecordAndShowsTheCurrentSwimmer()
    {
        FrmZepi* w = open();
        w->menuAction("mCheck6")->trigger();
        const std::string bytes = readBytes(file_);
        // Ages on 2008/10/16: born 2001/05/01 -> 7, born 1998/04/01 -> 10.
        auto age = [&](int n) { return int(static_cast<unsigned char>(bytes[std::size_t(n + 9) * 384 + 91])); };
        QCOMPARE(age(1), 7);
        QCOMPARE(age(2), 7);
        QCOMPARE(age(3), 10);
        QCOMPARE(w->current(), 3);
        QCOMPARE(child<QLineEdit>(w, "txtNenrei")->text(), QString("10"));
        // Asked first, nothing else said.
        QCOMPARE(fx_.prompt().said, std::vector<std::string>{"年令書き直しを実行しますか？"});
    }

    void sortBySexAndTallyFromTheMenus()
    {
        FrmZepi* w = open();
        w->menuAction("mSotSei")->trigger();
        const tolvtest::EntrySnapshot after = tolvtest::readEntry(file_);
        QCOMPARE(after.header.total(), 3);
        QCOMPARE(after.swimmerAt(3).Namae(), std::string("選手3") + std::string(11, ' '));

        w->menuAction("mShuKei")->trigger();
        QVERIFY(fs::exists(file_.parent_path() / "TEST.zed"));
    }
};

QTEST_MAIN(EntryMenuCommandsTest)
#include "EntryMenuCommandsTest.moc"
