// The entry window's export items: enabled, writing into the transfer folder of dr_ten.ctl from the
// open entry file, the medium prompt through the window's prompt, a closing message naming the files.
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "storage/Master.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace tolv;
using tolv::gui::FrmZepi;

namespace fs = std::filesystem;

class ExportMenusTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path transfer_;

    FrmZepi* open() { return tolvtest::openEntryWindow(fx_.ctx()); }

private slots:
    void init()
    {
        fx_.setUp();
        transfer_ = fx_.transfer();
        fs::create_directories(fx_.registration() / "ken13");
        std::vector<TeamRecord> teams(1);
        teams[0].setCode("13001");
        teams[0].setName("さくらスイミングクラブ");
        writeTeamList(fx_.registration() / "ken13" / "dantai.dat", teams);
        fx_.writeEntryFile({{"13001200105011", "", "選手1", 3001},
                            {"13001200105011", "", "選手2", 3002},
                            {"13001200105011", "", "選手3", 3003}});
    }

    void cleanup() { fx_.tearDown(); }

    void everyExportItemIsEnabled()
    {
        FrmZepi* w = open();
        for (const char* name :
             {"mOutZep", "mOutQTolv", "mOutSwmKari", "mOutScmSys", "mOutScmFd", "mOutTfd", "mOutSwm", "mOutKumamoto"}) {
            QAction* a = w->menuAction(name);
            QVERIFY2(a && a->isEnabled(), name);
        }
    }

    void tolvzepEndsWithTheFilesWritten()
    {
        FrmZepi* w = open();
        w->menuAction("mOutZep")->trigger();
        QVERIFY(fs::exists(transfer_ / "TEST.csv"));
        const std::string said = fx_.prompt().last();
        QVERIFY2(said.find("c:\\transfer\\TEST.csv  3行") != std::string::npos, said.c_str());
        QCOMPARE(w->current(), 3);
    }

    void scmFloppyAsksForTheMediumAfterTheTally()
    {
        FrmZepi* w = open();
        // Without a tally the item stops before writing anything and says why.
        w->menuAction("mOutScmFd")->trigger();
        QCOMPARE(fx_.prompt().said.size(), std::size_t(1));
        QVERIFY2(fx_.prompt().last().find("集計") != std::string::npos, fx_.prompt().last().c_str());
        QVERIFY(fs::is_empty(transfer_));

        fx_.prompt().clear();
        w->menuAction("mShuKei")->trigger();
        fx_.prompt().clear();
        w->menuAction("mOutScmFd")->trigger();
        QCOMPARE(fx_.prompt().said.size(), std::size_t(2));
        QCOMPARE(fx_.prompt().said[0], std::string("転送先メディア準備"));
        const std::string summary = fx_.prompt().said[1];
        for (const char* part : {"ScmSwimmerdt.csv  3行", "Scmdt.csv  1行", "RELAYENT.csv  0行"})
            QVERIFY2(summary.find(part) != std::string::npos, summary.c_str());
    }

    void severalMediaAreAskedAboutOnce()
    {
        {
            EntryStore store;
            store.openEntryFile(fx_.dir() / "entry" / "TEST.zep");
            std::vector<SwimmerRecord> more(900, store.swimmerAt(1));
            store.appendSwimmers(more, "test"); // 903 swimmers: three media of 450
        }
        FrmZepi* w = open();
        w->menuAction("mShuKei")->trigger();
        // Yes: every medium into its MEDIA<k> folder, no medium prompt.
        fx_.prompt().clear();
        fx_.prompt().answers = {true};
        w->menuAction("mOutScmFd")->trigger();
        QCOMPARE(fx_.prompt().asked, std::vector<std::string>{"全媒体を一括作成しますか？"});
        QCOMPARE(std::count(fx_.prompt().said.begin(), fx_.prompt().said.end(), std::string("転送先メディア準備")), 0L);
        for (int k = 1; k <= 3; ++k) QVERIFY(fs::exists(transfer_ / ("MEDIA" + std::to_string(k)) / "ScmSwimmerdt.csv"));
        const std::string third = tolvtest::readBytes(transfer_ / "MEDIA3" / "ScmSwimmerdt.csv");
        QCOMPARE(std::count(third.begin(), third.end(), '\n'), 4L); // the header and swimmers 901-903
        QVERIFY(!fs::exists(transfer_ / "ScmSwimmerdt.csv"));
        QVERIFY(fs::exists(transfer_ / "Scmdt.csv"));

        // No: medium by medium as before, each announced.
        fs::remove_all(transfer_);
        fs::create_directories(transfer_);
        fx_.prompt().clear();
        fx_.prompt().answers = {false};
        w->menuAction("mOutScmFd")->trigger();
        QCOMPARE(fx_.prompt().asked, std::vector<std::string>{"全媒体を一括作成しますか？"});
        QCOMPARE(std::count(fx_.prompt().said.begin(), fx_.prompt().said.end(), std::string("転送先メディア準備")), 3L);
        QVERIFY(fs::exists(transfer_ / "ScmSwimmerdt.csv"));
        QVERIFY(fs::exists(transfer_ / "MEDIA3" / "ScmSwimmerdt.csv"));
    }
};

QTEST_MAIN(ExportMenusTest)
#include "ExportMenusTest.moc"
