// The entry window holds its file for its whole life (another program's writer is refused, also
// after the window's own commands re-read the file) and "Work" → "元に戻す" offers the steps of the
// automatic backups and puts the chosen one back.
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <memory>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace tolv;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::readBytes;

namespace fs = std::filesystem;

namespace {

// Another program trying to open the file for writing: its exit code (0 opened, 1 refused with
// the in-use message naming the file, 2 any other failure). POSIX record locks belong to a process,
// so the other program is a child process; Windows locks belong to a file handle, so a second
// store of this process stands for it there.
int otherProgramOpens(const fs::path& file)
{
    const auto tryOpen = [&file] {
        try {
            EntryStore s;
            s.openEntryFile(file, EntryStore::Access::Write);
            return 0;
        } catch (const TolvError& e) {
            return std::string(e.what()) == inUseMessage(file) ? 1 : 2;
        } catch (...) {
            return 2;
        }
    };
#ifdef _WIN32
    return tryOpen();
#else
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(tryOpen());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace

class FrmZepiSafetyTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path file_;

    FrmZepi* open() { return tolvtest::openEntryWindow(fx_.ctx()); }

private slots:
    void init()
    {
        fx_.setUp();
        file_ = fx_.file();
        fx_.writeEntryFile({{"13001200105011", "1", "選手1"}, {"13002199804015", "1", "選手2"}});
    }

    void cleanup() { fx_.tearDown(); }

    // A damaged file opens for reading only, and the user is pointed to the window's own undo,
    // not to a command line.
    void aDamagedFileOpensReadOnlyPointingToUndo()
    {
        // The last record cut short: damage to the file's structure (a value outside its coding
        // would only be a finding and open the file for editing).
        fs::resize_file(file_, fs::file_size(file_) - 7);
        fs::remove(FileLock::lockPathFor(file_));
        FrmZepi* w = open();
        QVERIFY2(w->isLoaded(), fx_.prompt().last().c_str());
        const std::string& told = fx_.prompt().said.at(0);
        QVERIFY2(told.find("読み取り専用で開きます") != std::string::npos, told.c_str());
        QVERIFY2(told.find("「Work」→「元に戻す」") != std::string::npos, told.c_str());
        QVERIFY2(told.find("tolv verify") == std::string::npos, told.c_str());
    }

    void theWindowHoldsItsFileForItsLife()
    {
        FrmZepi* w = open();
        QVERIFY(w->isLoaded());
        QCOMPARE(otherProgramOpens(file_), 1);
        // Its own commands work on its store and re-read the file without letting go.
        w->menuAction("mCheck6")->trigger();
        QCOMPARE(fx_.prompt().said, fx_.prompt().asked); // its question only, no error
        QCOMPARE(otherProgramOpens(file_), 1);
        w->refreshCurrent();
        QCOMPARE(otherProgramOpens(file_), 1);
        w->closeEntry();
        QCOMPARE(otherProgramOpens(file_), 0);
    }

    void undoOffersTheStepsAndPutsTheChosenOneBack()
    {
        const std::string before = readBytes(file_);
        FrmZepi* w = open();
        QAction* undo = w->menuAction("mWk2");
        QVERIFY(undo && undo->isEnabled());
        QCOMPARE(undo->text(), QString("元に戻す"));

        // Bulk changes through the window's store (as its menu commands make them): backed up first.
        std::vector<SwimmerRecord> all = w->store().readAllSwimmers();
        all[1].setNenrei(10);
        w->store().commitAll(all, "rewrite-age");
        const std::string rewritten = readBytes(file_);
        all[0].setNamae("並べ替え後");
        w->store().commitAll(all, "sort-club");
        w->refreshCurrent();
        const std::string sorted = readBytes(file_);
        QCOMPARE(child<QLineEdit>(w, "txtNenrei")->text(), QString("10"));

        // The list names each step by its menu caption and time, newest first; cancel keeps all.
        QStringList shown;
        answerUndoList(-1, &shown);
        undo->trigger();
        QCOMPARE(shown, (QStringList{"2008-10-01 09:00:00　索引（クラブ）", "2008-10-01 09:00:00　年令書き直し"}));
        QCOMPARE(readBytes(file_), sorted);
        QVERIFY(fx_.prompt().said.empty());

        // The older step, asked once more: no keeps the file.
        fx_.prompt().answers = {false};
        answerUndoList(1);
        undo->trigger();
        QCOMPARE(readBytes(file_), sorted);
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(1));
        QVERIFY2(fx_.prompt().asked[0].find("2008-10-01 09:00:00 の「年令書き直し」の前の状態に戻します") != std::string::npos,
                 fx_.prompt().asked[0].c_str());

        answerUndoList(1);
        undo->trigger(); // answered OK
        QCOMPARE(readBytes(file_), before);
        QCOMPARE(child<QLineEdit>(w, "txtNenrei")->text(), QString()); // age 0 shows empty
        QCOMPARE(w->current(), 2);
        QCOMPARE(otherProgramOpens(file_), 1);
        QCOMPARE(w->statusBar()->currentMessage(), QString("元に戻しました: 2008-10-01 09:00:00 の「年令書き直し」の前の状態"));

        // What the undo replaced is a step of its own: undoing it brings the sorted file back.
        shown.clear();
        answerUndoList(0, &shown);
        undo->trigger();
        QCOMPARE(shown.value(0), QString("2008-10-01 09:00:00　元に戻す"));
        QCOMPARE(readBytes(file_), sorted);
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(1));
    }

private:
    // Answers the next step list: the row chosen (-1: cancel); the rows shown land in `shown`.
    void answerUndoList(int row, QStringList* shown = nullptr)
    {
        fx_.prompt().clear();
        QTimer::singleShot(0, [row, shown] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d && d->objectName() == "frmUndo");
            auto* list = d->findChild<QListWidget*>("lstUndo");
            QVERIFY(list);
            if (shown)
                for (int i = 0; i < list->count(); ++i) shown->push_back(list->item(i)->text());
            if (row < 0) {
                d->findChild<QPushButton*>("cmdUndoCancel")->click();
                return;
            }
            list->setCurrentRow(row);
            d->findChild<QPushButton*>("cmdUndoOk")->click();
        });
    }
};

QTEST_MAIN(FrmZepiSafetyTest)
#include "FrmZepiSafetyTest.moc"
