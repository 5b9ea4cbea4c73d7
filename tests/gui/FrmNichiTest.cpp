// The registration window: counts and media, the transfer files of either button, the documents.
#include "gui/FrmNichi.h"

#include "reports/ReportFixture.h"
#include "reports/Tally.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tolv;
using namespace reporttest;
using tolvtest::child;

namespace {

std::size_t lineCount(const fs::path& p)
{
    const std::string b = tolvtest::readBytes(p);
    return static_cast<std::size_t>(std::count(b.begin(), b.end(), '\n'));
}

QString label(QWidget* w, const char* name) { return child<QLabel>(w, name)->text(); }

} // namespace

class FrmNichiTest : public QObject {
    Q_OBJECT
private slots:
    void mediaOf1361SwimmersAndTheFloppyButtonOnTheSecond()
    {
        EntryFile file;
        Swimmer s;
        s.qbango = "13001200105011";
        file.addMany(std::vector<Swimmer>(1361, s));
        const fs::path transfer = file.dir() / "transfer";
        fs::create_directories(transfer);
        tolvtest::RecordingPrompt prompt;
        gui::FrmNichi w(file.store, transfer, file.dir() / "ctl", MasterSource::local(file.dir()), prompt);
        w.show();
        QCOMPARE(w.windowTitle(), QString::fromUtf8("日本水泳連盟  団体・競技者登録"));
        QCOMPARE(label(&w, "lblKozin"), QString("1361"));
        QCOMPARE(label(&w, "lblDantai"), QString("0")); // no tally yet
        QCOMPARE(label(&w, "lblMai") + "/" + label(&w, "lblSohsu"), QString("1/2"));
        QCOMPARE(label(&w, "lblHazime") + "->" + label(&w, "lblOwari"), QString("1->1360"));
        QVERIFY(!child<QPushButton>(&w, "cmdUp")->isEnabled());
        child<QPushButton>(&w, "cmdDown")->click();
        QCOMPARE(label(&w, "lblMai"), QString("2"));
        QCOMPARE(label(&w, "lblHazime") + "->" + label(&w, "lblOwari"), QString("1361->1361"));
        QVERIFY(!child<QPushButton>(&w, "cmdDown")->isEnabled());
        QVERIFY(child<QPushButton>(&w, "cmdUp")->isEnabled());

        // On medium 2 no team file; the swimmer file on two media, the second in a subfolder
        // because the first medium was not changed.
        child<QPushButton>(&w, "cmdZikkoh_0")->click();
        QCOMPARE(std::count(prompt.said.begin(), prompt.said.end(), std::string("転送先メディア準備")), 2L);
        QVERIFY(!fs::exists(transfer / "SCMTeamdt.csv"));
        QCOMPARE(lineCount(transfer / "Scmmerdt.csv"), std::size_t(1361));
        QCOMPARE(lineCount(transfer / "MEDIA2" / "Scmmerdt.csv"), std::size_t(2));
        QVERIFY(!w.isVisible()); // the window closes after writing
    }

    void bulkButtonWritesTheTeamFileAndTheDocumentsPrint()
    {
        EntryFile file;
        Swimmer a, b;
        a.qbango = "13001200105011";
        b.qbango = "13001200205016";
        b.sei = "2";
        b.gakunen = "41";
        file.addMany({a, b});
        tolvtest::writeFixtureMaster(file.dir() / "reg");
        const MasterSource master = MasterSource::local(file.dir() / "reg");
        reports::runTally(file.store, 0, master);
        const fs::path transfer = file.dir() / "transfer";
        fs::create_directories(transfer);
        tolvtest::RecordingPrompt prompt;
        gui::FrmNichi w(file.store, transfer, file.dir() / "ctl", master, prompt);
        std::vector<std::string> logs;
        w.setPrintFunction([&logs](const gui::DrawReport& draw) {
            logs.push_back(logOf(draw));
            return true;
        });
        w.show();
        QCOMPARE(label(&w, "lblDantai"), QString("1"));
        QCOMPARE(label(&w, "lblSohsu"), QString("1"));
        tolvtest::guideShot(&w, "registration");
        QVERIFY(!child<QPushButton>(&w, "cmdDown")->isEnabled());

        child<QPushButton>(&w, "cmdInsatu")->click();
        QCOMPARE(logs.size(), std::size_t(1));
        QVERIFY(logs[0].find("登録競技者合計人数") != std::string::npos);
        QVERIFY(fs::exists(transfer / "団体・競技者登録申請書(1).csv"));
        QCOMPARE(lineCount(transfer / "団体・競技者登録申請書(2).csv"), std::size_t(6)); // 3 heads, 1 team, 2 totals

        prompt.clear();
        child<QPushButton>(&w, "cmdZikkoh_1")->click();
        QCOMPARE(std::count(prompt.said.begin(), prompt.said.end(), std::string("転送先メディア準備")), 1L);
        QCOMPARE(lineCount(transfer / "Scmmerdt.csv"), std::size_t(3));
        QCOMPARE(lineCount(transfer / "SCMTeamdt.csv"), std::size_t(2));
        const std::string header = tolvtest::readBytes(transfer / "Scmmerdt.csv");
        QCOMPARE(std::count(header.begin(), header.begin() + static_cast<long>(header.find('\n')), ','), 50L);
    }
};

QTEST_MAIN(FrmNichiTest)
#include "FrmNichiTest.moc"
