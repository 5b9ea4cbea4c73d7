// The entry window's "転入" items and the Mcompd window, driven through their control names.
#include "gui/FrmMcompd.h"
#include "gui/FrmZepi.h"
#include "gui/Pickers.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/EntrySnapshot.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace tolv;
using tolv::gui::FrmMcompd;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::readBytes;
using tolvtest::sj;

namespace fs = std::filesystem;

class ImportMenusTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path file_, transfer_;

    FrmZepi* open() { return tolvtest::openEntryWindow(fx_.ctx()); }

private slots:
    void init()
    {
        fx_.setUp();
        transfer_ = fx_.transfer();
        file_ = fx_.file();
        fx_.writeEntryFile({{"13001199804021", "1", "山田太郎"}, {"13001199705065", "2", "鈴木花子"}}, "2005/04/01");
    }

    void cleanup() { fx_.tearDown(); }

    void itemsAreEnabledAndAMissingFileIsToldInThreeLines()
    {
        FrmZepi* w = open();
        for (const char* name : {"mInWeb", "mInNitiban", "mInSwm", "mInScm", "mInMcompd", "mInResults", "mInResults2"})
            QVERIFY2(w->menuAction(name)->isEnabled(), name);
        const std::string before = readBytes(file_);
        w->menuAction("mInSwm")->trigger();
        QCOMPARE(
            fx_.prompt().last(),
            std::string("「Teamdt.csv」ファイルがありません。\nＳＷＭで作成されたファイルではありません。\n処理を中止します。"));
        QCOMPARE(readBytes(file_), before);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void registrationNumbersShowTheLastSwimmerAndWhatWasDone()
    {
        FrmZepi* w = open();
        tolvtest::writeBytes(transfer_ / "jpnnewsmer.csv", sj("1,\"2970506鈴木花子\",x,y,\"7654321\"\r\n"));
        w->menuAction("mInNitiban")->trigger();
        QCOMPARE(fx_.prompt().last(), std::string("登録番号を 1 人に入れました（一覧 1 行、申込ファイルの選手 2 人）。"));
        QCOMPARE(w->current(), 2);
        QCOMPARE(child<QLineEdit>(w, "txtBango")->text(), QString("7654321"));
    }

    void aFloppyDriveThatIsNotReadyIsAskedForAndCancelEndsQuietly()
    {
        writeTenControl(ctlDir(), TenControl{"q:\\"});
        FrmZepi* w = open();
        fx_.prompt().answers = {false};
        const std::string before = readBytes(file_);
        w->menuAction("mInWeb")->trigger();
        QCOMPARE(fx_.prompt().said, std::vector<std::string>{"q:\\ にフロッピーを入れてください。"});
        QCOMPARE(readBytes(file_), before);
    }

    void resultsOneAsksBeforeReplacing()
    {
        FrmZepi* w = open();
        tolvtest::writeBytes(transfer_ / "Results.Dat", sj("\"1\",\"1\",\"3\"" + std::string(33, ',') + "\"1:00.00\"\r\n"));
        fx_.prompt().answers = {false};
        const std::string before = readBytes(file_);
        w->menuAction("mInResults")->trigger();
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(1));
        QCOMPARE(fx_.prompt().said.size(), std::size_t(1));
        QCOMPARE(readBytes(file_), before);
        w->menuAction("mInResults")->trigger(); // OK this time
        QCOMPARE(tolvtest::readEntry(file_).header.total(), 1);
        QCOMPARE(w->current(), 1);
    }

    void mcompdWindowReplacesTheEntryWindowUntilItCloses()
    {
        FrmZepi* w = open();
        std::string rec(256, ' ');
        rec.replace(0, 12, "131230501011");
        rec.replace(12, 4, sj("若手"));
        rec.replace(78, 14, "1 100 1:02.34");
        rec.replace(251, 5, "    1");
        tolvtest::writeBytes(transfer_ / "Mcompd.dat", rec);

        w->menuAction("mInMcompd")->trigger();
        FrmMcompd* m = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<FrmMcompd*>(top)) m = f;
        QVERIFY(m && m->isVisible());
        QCOMPARE(m->objectName(), QString("frmMcompd"));
        QCOMPARE(m->windowTitle(), QString("Form1"));
        QCOMPARE(child<QPushButton>(m, "cmdZikko")->text(), QString("Command1"));
        QCOMPARE(child<QPushButton>(m, "cmdOwari")->text(), QString("終わり"));
        QVERIFY(child<tolv::gui::DrivePicker>(m, "Drive1"));
        QVERIFY(child<tolv::gui::DirPicker>(m, "Dir1"));
        QVERIFY(!w->isVisible());
        QVERIFY(!w->isLoaded()); // the entry window closed its file
        QVERIFY(fs::equivalent(m->folder(), transfer_));

        QTest::mouseClick(child<QPushButton>(m, "cmdZikko"), Qt::LeftButton);
        QCOMPARE(fx_.prompt().last(), std::string("Mcompd.dat から選手 1 人を追加しました。"));
        QCOMPARE(tolvtest::readEntry(file_).swimmerAt(3).kiro(2), 10234);

        QTest::mouseClick(child<QPushButton>(m, "cmdOwari"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w->isVisible() && w->isLoaded());
        QCOMPARE(tolvtest::readEntry(file_).header.total(), 3);
    }
};

QTEST_MAIN(ImportMenusTest)
#include "ImportMenusTest.moc"
