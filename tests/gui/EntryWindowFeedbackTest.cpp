// What the entry window tells and asks around its Enter order: the reading search in both sexes,
// times in the forms of a results sheet, the status bar, questions before bulk commands and before
// dropping a swimmer being typed, and the lists window that needs the tally first.
#include "gui/FrmIchiran.h"
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/EntrySnapshot.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <memory>

using namespace tolv;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::enterText;

namespace fs = std::filesystem;

class EntryWindowFeedbackTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path entryDir_, file_;

    FrmZepi* open() { return tolvtest::openEntryWindow(fx_.ctx(), true); }

    QString status(FrmZepi* w) { return child<QStatusBar>(w, "stbZepi")->currentMessage(); }

    void writeSwimmers(int count)
    {
        EntryStore store;
        store.openEntryFile(file_);
        store.header().setKijunBi("2008/10/16");
        const char* const numbers[] = {"13001200105011", "13002195801175", "13001199503101"};
        for (int n = 1; n <= count; ++n) {
            store.swimmer() = EntryStore::emptySwimmer();
            store.swimmer().setSeq(n);
            store.swimmer().setQBango(numbers[(n - 1) % 3]);
            store.swimmer().setSei(n % 3 == 2 ? "2" : "1");
            store.swimmer().setNamae("選手" + std::to_string(n));
            store.swimmer().setNenrei(0);
            store.header().setTotal(n);
            store.writeSwimmer(n);
        }
    }

    std::int32_t storedTime(int n, int slot) { return tolvtest::readEntry(file_).swimmerAt(n).kiro(slot); }

private slots:
    void init()
    {
        fx_.setUpWithMaster();
        entryDir_ = fx_.entryDir();
        file_ = fx_.file();
    }

    void cleanup() { fx_.tearDown(); }

    void readingSearchFindsAGirlAtStartAndFollowsTheChosenSex()
    {
        FrmZepi* w = open();
        enterText(child<QLineEdit>(w, "txtKijunBi"), "20081016");
        child<QPushButton>(w, "cmdShinki")->click();
        auto* qb = child<QLineEdit>(w, "txtQBango");
        qb->setFocus();
        tolvtest::typeText(qb, "13001");
        QStringList lines;
        tolvtest::onNextModal([&](QWidget* m) {
            auto* list = child<QListWidget>(m, "lstKensaku");
            for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
            child<QPushButton>(m, "cmdNo_0")->click();
        });
        enterText(child<QLineEdit>(w, "txtKana"), "ﾀｶﾊｼ ﾊﾅｺ");
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].contains("高橋　花子") && lines[0].endsWith("女"));
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("高橋　花子"));
        QCOMPARE(qb->text(), QString("13001195801175"));
        QCOMPARE(child<QComboBox>(w, "cboSei")->currentText(), QString("女子"));
        QTRY_VERIFY(child<QLineEdit>(w, "txtBiko")->hasFocus());

        // "男子" chosen in the sex box: the girl is not searched; the status bar says so.
        auto* sei = child<QComboBox>(w, "cboSei");
        sei->setFocus();
        sei->setCurrentIndex(1);
        emit sei->activated(1);
        fx_.prompt().clear();
        enterText(child<QLineEdit>(w, "txtKana"), "ﾀｶﾊｼ ﾊﾅｺ");
        QVERIFY(child<QLineEdit>(w, "txtNamae")->hasFocus());
        QVERIFY2(status(w).contains("ﾀｶﾊｼ ﾊﾅｺ"), qPrintable(status(w)));
        QVERIFY(fx_.prompt().said.empty());
    }

    void timesAreTakenInTheFormsOfAResultsSheet()
    {
        writeSwimmers(1);
        FrmZepi* w = open();
        auto* box = child<QLineEdit>(w, "txtKiro_2");
        const std::pair<const char*, std::int32_t> forms[] = {
            {"2:35.40", 23540}, {"65.23", 10523}, {"1.05.23", 10523}, {"10523", 10523}, {"28.45", 2845}};
        for (const auto& [typed, value] : forms) {
            enterText(box, QString::fromUtf8(typed));
            QCOMPARE(storedTime(1, 2), value);
        }
        QCOMPARE(box->text(), QString("   28.45"));

        // Refused: told, nothing stored, the box keeps the text to correct.
        fx_.prompt().clear();
        enterText(box, "1:75.00");
        QCOMPARE(storedTime(1, 2), 2845);
        QCOMPARE(fx_.prompt().said.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(fx_.prompt().last()).contains("1:05.23"));
        QVERIFY(box->hasFocus());

        // The input line of a new entry takes the same forms.
        child<QPushButton>(w, "cmdShinki")->click();
        auto* biko = child<QLineEdit>(w, "txtBiko");
        enterText(biko, "12");
        enterText(biko, "1:05.23");
        QCOMPARE(child<QLineEdit>(w, "txtKiro_2")->text(), QString(" 1:05.23"));
        fx_.prompt().clear();
        enterText(biko, "13");
        enterText(biko, "2分");
        QCOMPARE(fx_.prompt().said.size(), std::size_t(1));
        QCOMPARE(w->state(), int(FrmZepi::NewTime));
        enterText(biko, "2:10.00");
        enterText(biko, "99");
        QCOMPARE(storedTime(2, 2), 10523);
        QCOMPARE(storedTime(2, 3), 21000);
    }

    void aStoredTimeIsNeverShownBlank()
    {
        writeSwimmers(1);
        {
            EntryStore store;
            store.openEntryFile(file_);
            store.readSwimmer(1);
            store.swimmer().setKiro(4, 7);
            store.writeSwimmer(1);
        }
        FrmZepi* w = open();
        QCOMPARE(child<QLineEdit>(w, "txtKiro_4")->text(), QString("0.07"));
    }

    void statusBarTellsWhatTheEntryWindowLeftSilent()
    {
        FrmZepi* w = open();
        auto* stBi = child<QLineEdit>(w, "txtStBi");
        enterText(stBi, "2008101");
        QVERIFY(status(w).contains("8桁"));
        QVERIFY(stBi->hasFocus()); // no box took the focus

        child<QPushButton>(w, "cmdShinki")->click();
        enterText(child<QLineEdit>(w, "txtQBango"), "13001200512121");
        QVERIFY2(status(w).contains("13001200512121"), qPrintable(status(w)));
        auto* biko = child<QLineEdit>(w, "txtBiko");
        enterText(biko, "95");
        QVERIFY(status(w).contains("95"));
        QVERIFY(biko->hasFocus());
        QVERIFY(fx_.prompt().said.empty());
    }

    void endDuringANewEntryAsksBeforeDroppingTheSwimmer()
    {
        FrmZepi* w = open();
        child<QPushButton>(w, "cmdShinki")->click();
        enterText(child<QLineEdit>(w, "txtNamae"), "途中");
        fx_.prompt().answers = {false};
        w->menuAction("mOwari")->trigger();
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(fx_.prompt().asked[0]).contains("破棄"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->state(), int(FrmZepi::NewEntry));
        QVERIFY(w->store().isOpen());

        fx_.prompt().answers = {true};
        w->menuAction("mOwari")->trigger();
        QVERIFY(!w->isVisible());
        QCOMPARE(tolvtest::readEntry(file_).header.total(), 0);
    }

    void bulkCommandsAskFirstAndTellWhatTheyDid()
    {
        writeSwimmers(3);
        FrmZepi* w = open();
        const std::string before = tolvtest::readBytes(file_);
        fx_.prompt().answers = {false};
        w->menuAction("mCheck6")->trigger();
        QCOMPARE(fx_.prompt().asked, std::vector<std::string>{"年令書き直しを実行しますか？"});
        QCOMPARE(tolvtest::readBytes(file_), before);

        w->menuAction("mCheck6")->trigger();
        QCOMPARE(status(w), QString("3件を書き直しました"));
        w->menuAction("mCheck6")->trigger(); // nothing left to change
        QCOMPARE(status(w), QString("0件を書き直しました"));

        w->menuAction("mSotSei")->trigger();
        QCOMPARE(status(w), QString("3人を性別順に並べ替えました"));
        w->menuAction("mShuKei")->trigger();
        QCOMPARE(status(w), QString("集計しました: 2団体"));
        QCOMPARE(fx_.prompt().asked.back(), std::string("集計を実行しますか？"));
    }

    void listsWindowWithoutATallyOffersToRunIt()
    {
        writeSwimmers(3);
        FrmZepi* w = open();
        const fs::path zed = entryDir_ / "TEST.zed";
        fx_.prompt().answers = {false};
        w->menuAction("mShuIchi")->trigger();
        QVERIFY(QString::fromStdString(fx_.prompt().asked.at(0)).contains("集計"));
        QVERIFY(!fs::exists(zed));
        QVERIFY(!w->findChild<tolv::gui::FrmIchiran*>());

        w->menuAction("mShuIchi")->trigger();
        QVERIFY(fs::exists(zed));
        auto* lists = w->findChild<tolv::gui::FrmIchiran*>();
        QVERIFY(lists && lists->isVisible());
        QCOMPARE(lists->totals().teamCount(), 2);
    }
};

QTEST_MAIN(EntryWindowFeedbackTest)
#include "EntryWindowFeedbackTest.moc"
