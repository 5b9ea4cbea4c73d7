// The lists window driven through its controls: navigation messages, fee grid edits landing in
// the team totals file, and the print buttons.
#include "gui/FrmIchiran.h"

#include "platform/Prompt.h"
#include "reports/ReportFixture.h"
#include "reports/Tally.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace tolv;
using namespace reporttest;

namespace {

std::int16_t i16At(const std::string& b, std::size_t off)
{
    return static_cast<std::int16_t>(static_cast<unsigned char>(b[off]) | static_cast<unsigned char>(b[off + 1]) << 8);
}
std::int32_t i32At(const std::string& b, std::size_t off)
{
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = u << 8 | static_cast<unsigned char>(b[off + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(u);
}
// Byte offset of team n's record, and of a field of it.
std::size_t team(int n, std::size_t field) { return static_cast<std::size_t>(n + 9) * 384 + field; }

struct Fixture {
    EntryFile file;
    ScriptedPrompt prompt;
    std::vector<std::string> logs;
    std::unique_ptr<gui::FrmIchiran> window;

    Fixture()
    {
        for (const char* q : {"13001200105011", "13001200105021", "13002199901015", "13003199801011"}) {
            Swimmer w;
            w.qbango = q;
            w.sei = q[13] == '5' ? "2" : "1";
            w.kiro = {{1, 3000}};
            file.add(w);
        }
        reports::runTally(file.store, 0, MasterSource::local(file.dir()));
        window = std::make_unique<gui::FrmIchiran>(file.store, prompt);
        window->setPrintFunction([this](const gui::DrawReport& draw) {
            logs.push_back(logOf(draw));
            return true;
        });
        window->show();
    }
    template <class T> T* find(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromUtf8(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QString text(const char* label) const { return find<QLabel>(label)->text(); }
    void enter(const char* box, const QString& value)
    {
        QLineEdit* e = find<QLineEdit>(box);
        e->setFocus();
        e->setText(value);
        QTest::keyClick(e, Qt::Key_Return);
    }
    // Types into a box as a user does (the box's text replaced), without confirming it.
    QLineEdit* type(const char* box, const QString& value)
    {
        // Focus moves (and boxes are left) in the active window only.
        if (!window->isActiveWindow()) {
            window->activateWindow();
            if (!QTest::qWaitForWindowActive(window.get())) qFatal("window not active");
        }
        QLineEdit* e = find<QLineEdit>(box);
        e->setFocus();
        e->selectAll();
        tolvtest::typeText(e, value);
        return e;
    }
    void click(const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    std::string zed() const { return tolvtest::readBytes(file.zedPath()); }
    QString focused() const { return window->focusWidget() ? window->focusWidget()->objectName() : QString(); }
};

} // namespace

class FrmIchiranTest : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheLastTeam()
    {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), QString::fromUtf8("団体"));
        QCOMPARE(f.window->objectName(), QString("frmIchiran"));
        QCOMPARE(f.text("lblDat"), QString("3 / 3"));
        QCOMPARE(f.text("lblBango"), QString("13003"));
        QCOMPARE(f.text("lblRyaku"), QString::fromUtf8("さくらＳＣ  "));
        QCOMPARE(f.find<QLineEdit>("txtLpSt")->text(), QString("1"));
        QCOMPARE(f.find<QLineEdit>("txtLpEd")->text(), QString("3"));
        QCOMPARE(f.find<QLineEdit>("txtLpP_1")->text(), QString("20"));
        QCOMPARE(f.find<QLineEdit>("txtLpS_3")->text(), QString::fromUtf8("2.金額訂正ならびに扱者印のないものは無効です。"));
        QCOMPARE(f.find<QLineEdit>("txtKoumoku_0")->text(), QString::fromUtf8("男子（主）"));
        QCOMPARE(f.find<QLineEdit>("txtKazu_0")->text(), QString("1"));
        QCOMPARE(f.find<QPushButton>("cmdUp")->text(), QString::fromUtf8("∨"));
        QCOMPARE(f.find<QPushButton>("cmdInsatu6")->text(), QString::fromUtf8("種目一覧予備"));
        tolvtest::guideShot(f.window.get(), "lists");
    }

    void navigationStopsAtBothEndsWithItsMessages()
    {
        Fixture f;
        f.click("cmdUp");
        QCOMPARE(QString::fromStdString(f.prompt.said), QString::fromUtf8("3より大きいデータはありません。\n"));
        QCOMPARE(f.text("lblDat"), QString("3 / 3"));
        f.prompt.said.clear();
        f.click("cmdDown");
        QCOMPARE(f.text("lblDat"), QString("2 / 3"));
        QCOMPARE(f.text("lblBango"), QString("13002"));
        f.click("cmdDown");
        f.click("cmdDown");
        QCOMPARE(QString::fromStdString(f.prompt.said), QString::fromUtf8("１より小さいレコードはありません。\n"));
        QCOMPARE(f.text("lblDat"), QString("1 / 3"));
        QCOMPARE(f.text("lblBango"), QString("13001"));
        QCOMPARE(f.find<QLineEdit>("txtKazu_0")->text(), QString("2"));
        f.click("cmdUp");
        QCOMPARE(f.text("lblDat"), QString("2 / 3"));
    }

    void feeGridEditsAreWrittenToTheShownTeam()
    {
        Fixture f;
        f.click("cmdDown");
        f.click("cmdDown"); // team 1
        f.enter("txtTanka_0", "1200");
        QCOMPARE(i32At(f.zed(), 182), 1200);
        QCOMPARE(f.text("lblKingaku_0"), QString("2400"));
        QCOMPARE(f.focused(), QString("txtKoumoku_1"));

        f.enter("txtKazu_0", "5");
        QCOMPARE(i16At(f.zed(), team(1, 146)), 5);
        QCOMPARE(i16At(f.zed(), team(2, 146)), 0);
        QCOMPARE(f.text("lblKingaku_0"), QString("6000"));
        QCOMPARE(f.text("lblGokei"), QString("6000"));
        QCOMPARE(f.focused(), QString("txtKazu_1"));

        f.enter("txtKoumoku_14", QString::fromUtf8("プログラム代金です"));
        QCOMPARE(f.zed().substr(2 + 12 * 14, 12), tolvtest::sj("プログラム代"));
        QCOMPARE(f.focused(), QString("txtTanka_14"));
        f.enter("txtTanka_14", "300");
        QCOMPARE(f.focused(), QString("txtTanka_0"));
        f.enter("txtKazu_14", "2");
        QCOMPARE(f.focused(), QString("txtNyukin"));
        QCOMPARE(f.text("lblGokei"), QString("6600"));

        f.enter("txtNyukin", "6500.6");
        QCOMPARE(i32At(f.zed(), team(1, 352)), 6501);
        QCOMPARE(f.text("lblSagaku"), QString("-99"));
        QCOMPARE(f.focused(), QString("txtKazu_8"));
        QVERIFY(f.prompt.said.empty());
    }

    void badQuantitiesAreRefusedAndStoreNothing()
    {
        Fixture f;
        const std::string before = f.zed();
        // The message names the field, its row and what it takes.
        f.enter("txtKazu_2", "abc");
        QCOMPARE(QString::fromStdString(f.prompt.said),
                 QString::fromUtf8("型が一致しません。\n数量 3 には -32768～32767 の整数を入力してください (入力: abc)\n"));
        f.prompt.said.clear();
        f.enter("txtKazu_2", "40000");
        QVERIFY(QString::fromStdString(f.prompt.said).startsWith(QString::fromUtf8("オーバーフローしました。\n数量 3 には")));
        f.prompt.said.clear();
        f.enter("txtTanka_2", "3000000000");
        QCOMPARE(QString::fromStdString(f.prompt.said),
                 QString::fromUtf8("オーバーフローしました。\n単価 3 には -2147483648～2147483647 の整数を入力してください "
                                   "(入力: 3000000000)\n"));
        QCOMPARE(f.zed(), before);
        QCOMPARE(f.focused(), QString("txtTanka_2"));
    }

    // An amount that leaves 32 bits is told as the fee list tells it, and no amount is shown.
    void anAmountBeyond32BitsIsToldAsTheFeeListTellsIt()
    {
        Fixture f;
        f.click("cmdDown");
        f.click("cmdDown"); // team 1: two of line 1
        f.enter("txtTanka_0", "2000000000");
        QCOMPARE(i32At(f.zed(), 182), 2000000000);
        QCOMPARE(QString::fromStdString(f.prompt.said), QString::fromUtf8("オーバーフローしました。\n"));
        QCOMPARE(f.text("lblKingaku_0"), QString());
        QCOMPARE(f.text("lblGokei"), QString());
        QCOMPARE(f.text("lblSagaku"), QString());
    }

    void statusBarTellsWhatWasWritten()
    {
        Fixture f;
        auto* status = f.find<QStatusBar>("stbIchiran");
        QCOMPARE(status->currentMessage(), QString::fromUtf8("3団体"));
        f.enter("txtTanka_0", "1500");
        QCOMPARE(status->currentMessage(), QString::fromUtf8("単価 1 を書き込みました"));
        QCOMPARE(f.focused(), QString("txtKoumoku_1")); // the Enter order goes on as before
        f.click("cmdInsatu1");
        QVERIFY(status->currentMessage().startsWith(QString::fromUtf8("HTMLを書き出しました: ")));
    }

    void anEditAfterPrintingStillGoesToTheShownTeam()
    {
        Fixture f;
        f.click("cmdDown"); // team 2
        f.click("cmdInsatu3");
        f.click("cmdInsatu2");
        f.enter("txtKazu_9", "7");
        QCOMPARE(i16At(f.zed(), team(2, 146 + 18)), 7);
        QCOMPARE(i16At(f.zed(), team(3, 146 + 18)), 0);
        QCOMPARE(f.text("lblDat"), QString("2 / 3"));
    }

    void printButtonsDrawTheirReports()
    {
        Fixture f;
        f.click("cmdInsatu1");
        QCOMPARE(f.logs.size(), std::size_t(1));
        QVERIFY(f.logs[0].find("申  込  団  体  一  覧") != std::string::npos);
        QVERIFY(fs::exists(f.file.dir() / "meet1.html"));
        f.click("cmdInsatu2");
        QVERIFY(f.logs[1].find("団  体  種  目  一  覧") != std::string::npos);
        f.click("cmdInsatu6");
        QVERIFY(f.logs[2].find("(予備)") != std::string::npos);
        f.click("cmdInsatu3");
        QVERIFY(f.logs[3].find("申  込  金  一  覧") != std::string::npos);
        f.click("cmdInsatu5");
        QVERIFY(f.logs[4].find("日本水泳連盟") != std::string::npos);

        // Receipts for the range, with the issuer lines as edited.
        f.enter("txtTanka_0", "1000");
        f.enter("txtTanka_2", "1000"); // team 2 is one woman
        f.find<QLineEdit>("txtLpS_1")->setText(QString::fromUtf8("東京都水泳協会"));
        f.find<QLineEdit>("txtLpSt")->setText("2");
        f.find<QLineEdit>("txtLpEd")->setText("2");
        f.click("cmdInsatu4");
        const std::string& receipts = f.logs[5];
        QVERIFY(receipts.find("No. 13002") != std::string::npos);
        QVERIFY(receipts.find("No. 13001") == std::string::npos);
        QVERIFY(receipts.find("東京都水泳協会") != std::string::npos);

        f.find<QLineEdit>("txtLpSt")->setText("1");
        f.click("cmdMoshisho");
        const std::string& form = f.logs[6];
        QVERIFY(form.find("大会参加申込書") != std::string::npos);
        QVERIFY(form.find("13002  ") != std::string::npos);
        QVERIFY(form.find("13003  ") == std::string::npos);
    }

    // A typed fee is kept however its box is left: Tab, a click in another box, a button, closing.
    void feesAreConfirmedWhenTheirBoxIsLeft()
    {
        Fixture f;
        f.click("cmdDown");
        f.click("cmdDown"); // team 1: two of line 1
        QTest::keyClick(f.type("txtNyukin", "32400"), Qt::Key_Tab);
        QCOMPARE(i32At(f.zed(), team(1, 352)), 32400);
        QCOMPARE(f.text("lblSagaku"), QString("32400"));
        QTest::mouseClick(f.type("txtTanka_0", "500"), Qt::LeftButton); // still in the box: nothing yet
        QCOMPARE(i32At(f.zed(), 182), 0);
        QTest::mouseClick(f.find<QLineEdit>("txtKazu_3"), Qt::LeftButton);
        QCOMPARE(i32At(f.zed(), 182), 500);
        QCOMPARE(f.text("lblKingaku_0"), QString("1000"));
        QCOMPARE(f.text("lblSagaku"), QString("31400"));
        QCOMPARE(f.focused(), QString("txtKazu_3"));
        f.type("txtKazu_2", "3");
        f.click("cmdUp"); // written to the team shown when it was typed
        QCOMPARE(i16At(f.zed(), team(1, 146 + 4)), 3);
        QCOMPARE(f.text("lblDat"), QString("2 / 3"));
        f.type("txtKoumoku_1", QString::fromUtf8("女子"));
        f.type("txtTanka_1", "700");
        f.window->close();
        QCOMPARE(i32At(f.zed(), 182 + 4), 700);
        QCOMPARE(f.zed().substr(2 + 12, 12), tolvtest::sj("女子") + std::string(8, ' '));
        QVERIFY(f.prompt.said.empty());

        gui::FrmIchiran again(f.file.store, f.prompt);
        QCOMPARE(again.findChild<QLineEdit*>("txtTanka_0")->text(), QString("500"));
        QCOMPARE(again.findChild<QLineEdit*>("txtTanka_1")->text(), QString("700"));
        QCOMPARE(again.findChild<QLineEdit*>("txtKoumoku_1")->text(), QString::fromUtf8("女子"));
        again.previousTeam();
        again.previousTeam();
        QCOMPARE(again.findChild<QLineEdit*>("txtNyukin")->text(), QString("32400"));
        QCOMPARE(again.findChild<QLineEdit*>("txtKazu_2")->text(), QString("3"));
    }

    // A box left with a value it does not take says so in the status bar (the Tab or click goes
    // on) and shows the stored value again; Enter keeps the value for correcting.
    void aRefusedValueIsToldAndTheStoredOneShownAgain()
    {
        Fixture f;
        const std::string before = f.zed();
        const QString stored = f.find<QLineEdit>("txtKazu_2")->text();
        QTest::keyClick(f.type("txtKazu_2", "abc"), Qt::Key_Tab);
        QCOMPARE(f.find<QLineEdit>("txtKazu_2")->text(), stored);
        QVERIFY(!f.find<QLineEdit>("txtKazu_2")->isModified());
        QCOMPARE(f.find<QStatusBar>("stbIchiran")->currentMessage(),
                 QString::fromUtf8(
                     "型が一致しません。 数量 3 には -32768～32767 の整数を入力してください (入力: abc)（元の値に戻しました）"));
        QCOMPARE(f.focused(), QString("txtTanka_2"));
        QVERIFY(f.prompt.said.empty());
        QTest::mouseClick(f.type("txtTanka_2", "x"), Qt::LeftButton);
        f.click("cmdOwari");
        QCOMPARE(f.zed(), before);
        QVERIFY(f.prompt.said.empty());
    }

    void aFailingListShowsItsMessageAndWritesNoHtml()
    {
        Fixture f;
        // Men of one team beyond 16 bits (main 30000 + other 3000); totals over teams are wide.
        f.enter("txtKazu_0", "30000");
        f.enter("txtKazu_1", "3000");
        f.prompt.said.clear();
        f.click("cmdInsatu1");
        QCOMPARE(QString::fromStdString(f.prompt.said), QString::fromUtf8("オーバーフローしました。\n"));
        QVERIFY(f.logs.empty());
        QVERIFY(!fs::exists(f.file.dir() / "meet1.html"));
    }
};

QTEST_MAIN(FrmIchiranTest)
#include "FrmIchiranTest.moc"
