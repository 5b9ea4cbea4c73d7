// The timing export window: event and class choices, the two appends and their counters.
#include "gui/FrmSeiko.h"

#include "reports/ReportFixture.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tolv;
using namespace reporttest;
using tolvtest::child;

class FrmSeikoTest : public QObject {
    Q_OBJECT
private slots:
    void ticksEventsChoosesAClassModeAndAppendsTwice()
    {
        EntryFile file;
        Swimmer young, old;
        young.qbango = "13001200105011";
        young.nenrei = 7;
        young.kiro = {{0, 2010}, {2, 10523}, {25, 20000}};
        old.qbango = "13001199505011";
        old.nenrei = 13;
        old.kiro = {{0, 1800}, {25, 20000}};
        file.addMany({young, old});
        file.store.close(); // the entry window has handed the file over

        const fs::path ctl = file.dir() / "ctl", transfer = file.dir() / "transfer";
        fs::create_directories(ctl);
        fs::create_directories(transfer);
        std::string ind, rly;
        for (int i = 1; i <= 37; ++i) ind += "C" + std::to_string(i) + (i < 37 ? "," : "\r\n");
        for (int i = 1; i <= 13; ++i) rly += "R" + std::to_string(i) + (i < 13 ? "," : "\r\n");
        tolvtest::writeBytes(ctl / "SeikoInd.csv", ind);
        tolvtest::writeBytes(ctl / "SeikoRly.csv", rly);

        tolvtest::RecordingPrompt prompt;
        gui::FrmSeiko w(file.path(), transfer, ctl, prompt);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QString::fromUtf8("Ｓｅｉｋｏデータ書出し(csvcomp.csv csvteam.csv) DurIduz"));
        QCOMPARE(child<QCheckBox>(&w, "chkShu_0")->text(), QString::fromUtf8("自由形   25"));
        QCOMPARE(child<QCheckBox>(&w, "chkShu_6")->text(), QString("1500"));
        QCOMPARE(child<QLabel>(&w, "lblClass_9")->text(), QString("10        ->"));
        QCOMPARE(child<QLineEdit>(&w, "txtClass2_0")->text(), QString("100"));

        // 種目選択 with 100 m freestyle only, by age: 1-10 is class 01, 11-20 class 02.
        child<QRadioButton>(&w, "optShumoku_1")->click();
        child<QCheckBox>(&w, "chkShu_2")->click();
        child<QCheckBox>(&w, "chkShu_25")->click();
        child<QRadioButton>(&w, "optKubun_1")->click();
        child<QLineEdit>(&w, "txtClass2_0")->setText("10");
        child<QLineEdit>(&w, "txtClass1_1")->setText("11");
        child<QLineEdit>(&w, "txtClass2_1")->setText("20");

        for (int run = 0; run < 2; ++run) {
            child<QPushButton>(&w, "cmdZikko")->click();
            child<QPushButton>(&w, "cmdZikko2")->click();
        }
        QVERIFY2(prompt.said.empty(), prompt.last().c_str());
        QVERIFY(!w.options().everyone);
        QVERIFY(w.options().events[2]);
        QCOMPARE(child<QLabel>(&w, "lblKensu_0")->text(), QString("2")); // only the young one swims 100 m
        QCOMPARE(child<QLabel>(&w, "lblKensu_1")->text(), QString("4"));
        tolvtest::guideShot(&w, "timing");

        const std::string comp = tolvtest::readBytes(transfer / "csvcomp.csv");
        QCOMPARE(comp.substr(0, comp.find("\r\n")), std::string("C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12,C13,C14,C15,C16,C17,"
                                                                "C18,C19,C20,C21,C22,C23,C24,C25,C26,C27,C28,C29,C30,C31,"
                                                                "C32,C33,C34,C35,C36,C37"));
        QVERIFY(comp.find("\r\n1,130010105011,") != std::string::npos);
        QVERIFY(comp.find("\r\n2,130010105011,") != std::string::npos);
        QVERIFY(comp.find(",01,1300101,") != std::string::npos);
        QVERIFY(comp.find(",1,10100,0105.23,,") != std::string::npos);
        QVERIFY(comp.find("10025") == std::string::npos);
        const std::string team = tolvtest::readBytes(transfer / "csvteam.csv");
        QCOMPARE(std::count(team.begin(), team.end(), '\n'), 5L); // header once, then four lines
        QVERIFY(team.find("\r\n2,") != std::string::npos && team.find(",02,1,60100,0200.00\r\n") != std::string::npos);
    }

    void aShortTemplateIsToldAndNothingCounted()
    {
        EntryFile file;
        Swimmer s;
        s.qbango = "13001200105011";
        s.kiro = {{0, 2010}};
        file.addMany({s});
        file.store.close();
        const fs::path transfer = file.dir() / "transfer";
        fs::create_directories(transfer);
        fs::create_directories(file.dir() / "ctl");
        tolvtest::writeBytes(file.dir() / "ctl" / "SeikoInd.csv", "a,b\r\n");
        tolvtest::RecordingPrompt prompt;
        gui::FrmSeiko w(file.path(), transfer, file.dir() / "ctl", prompt);
        child<QPushButton>(&w, "cmdZikko")->click();
        QCOMPARE(prompt.said.size(), std::size_t(1));
        QVERIFY(prompt.last().find("SeikoInd.csv") != std::string::npos);
        QCOMPARE(child<QLabel>(&w, "lblKensu_0")->text(), QString("0"));
        QVERIFY(!fs::exists(transfer / "csvcomp.csv"));
    }
};

QTEST_MAIN(FrmSeikoTest)
#include "FrmSeikoTest.moc"
