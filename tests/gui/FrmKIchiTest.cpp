// The individual lists window: its range rules and the two lists.
#include "gui/FrmKIchi.h"

#include "reports/ReportFixture.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace tolv;
using namespace reporttest;

namespace {

struct Fixture {
    EntryFile file;
    std::vector<std::string> logs;
    std::unique_ptr<gui::FrmKIchi> window;

    explicit Fixture(int swimmers = 30)
    {
        Swimmer w;
        w.qbango = "13001200105011";
        file.addMany(std::vector<Swimmer>(static_cast<std::size_t>(swimmers), w));
        window = std::make_unique<gui::FrmKIchi>(file.store);
        window->setPrintFunction([this](const gui::DrawReport& draw) {
            logs.push_back(logOf(draw));
            return true;
        });
        window->show();
    }
    QLineEdit* box(const char* name) const { return window->findChild<QLineEdit*>(name); }
    void click(const char* name) { QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton); }
};

// Record numbers of the swimmer lines of a log, in order.
std::vector<int> printedRecords(const std::string& log)
{
    std::vector<int> out;
    for (const Op& op : parseLog(log))
        if (op.kind == "text" && op.n[0] == 0 && op.text.size() > 5 && op.text[4] != ' ' && op.text[0] == ' ')
            out.push_back(std::stoi(op.text.substr(0, 5)));
    return out;
}

} // namespace

class FrmKIchiTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsAreTheWholeFile()
    {
        Fixture f;
        QCOMPARE(f.window->objectName(), QString("frmKIchi"));
        QCOMPARE(f.box("txtLpSt")->text(), QString("1"));
        QCOMPARE(f.box("txtLpEd")->text(), QString("30"));
        tolvtest::guideShot(f.window.get(), "individual-lists");
        f.click("cmdKozin");
        QCOMPARE(f.logs.size(), std::size_t(1));
        std::vector<int> all(30);
        for (int i = 0; i < 30; ++i) all[static_cast<std::size_t>(i)] = i + 1;
        QCOMPARE(printedRecords(f.logs[0]), all);
    }

    void lastIsCutAtTheCursorAndKeptWithinTheSwimmers()
    {
        Fixture f;
        QLineEdit* last = f.box("txtLpEd");
        last->setFocus();
        last->setText("99");
        QTest::keyClick(last, Qt::Key_Return);
        QCOMPARE(last->text(), QString("30"));
        auto* status = f.window->findChild<QStatusBar*>("stbKIchi");
        QCOMPARE(status->currentMessage(), QString::fromUtf8("選手は30人です。終わりの番号を30にしました"));
        last->setText("2719");
        last->setCursorPosition(2);
        QTest::keyClick(last, Qt::Key_Return);
        QCOMPARE(last->text(), QString("27"));
        last->setText("x");
        QTest::keyClick(last, Qt::Key_Return);
        QCOMPARE(last->text(), QString("x")); // counts as 0: nothing but the heads
        f.click("cmdKozin");
        QCOMPARE(printedRecords(f.logs[0]), std::vector<int>{});
    }

    // Leaving the box by Tab or by a click on a list button keeps the end as Enter does.
    void lastIsKeptWithinTheSwimmersWhenLeft()
    {
        Fixture f;
        f.window->activateWindow(); // boxes are left in the active window
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QLineEdit* last = f.box("txtLpEd");
        last->setFocus();
        last->selectAll();
        QTest::keyClicks(last, "99");
        QTest::keyClick(last, Qt::Key_Tab);
        QCOMPARE(last->text(), QString("30"));
        last->setFocus();
        last->selectAll();
        QTest::keyClicks(last, "250");
        f.click("cmdKozin");
        QCOMPARE(last->text(), QString("30"));
        QCOMPARE(printedRecords(f.logs[0]).size(), std::size_t(30));
    }

    void firstBelowOneBecomesOne()
    {
        Fixture f;
        QLineEdit* first = f.box("txtLpSt");
        first->setText("0");
        QCOMPARE(first->text(), QString("1"));
        first->setText("-5");
        QCOMPARE(first->text(), QString("1"));
        first->setFocus();
        first->selectAll();
        QTest::keyClicks(first, "25");
        QCOMPARE(first->text(), QString("25"));
    }

    void bothListsPrintTheRange()
    {
        Fixture f;
        f.box("txtLpSt")->setText("28");
        f.click("cmdKozin");
        QCOMPARE(printedRecords(f.logs[0]), (std::vector<int>{28, 29, 30}));
        QVERIFY(f.logs[0].find("個  人  一  覧") != std::string::npos);
        f.click("cmdShumoku");
        QCOMPARE(printedRecords(f.logs[1]), (std::vector<int>{28, 29, 30}));
        // Printed in the font of the range field.
        QCOMPARE(parseLog(f.logs[1])[0].text, std::string("ＭＳ 明朝 11"));
        QVERIFY(f.logs[1].find("個  人  種  目  一  覧") != std::string::npos);
    }
};

QTEST_MAIN(FrmKIchiTest)
#include "FrmKIchiTest.moc"
