// The entry window keeps what is typed: boxes confirmed when they are left, grey hints that are no
// text, full-width readings, Enter on buttons and in the search dialog, impossible birth dates,
// byte limits, the Err No. dialogs and read-only files, the return from a window opened from it,
// questions that default to keeping work, and files that do not verify as sound.
#include "gui/ErrNo.h"
#include "gui/FrmZepi.h"
#include "gui/MessagePrompt.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/SystemErrors.h"
#include "support/EntrySnapshot.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

using namespace tolv;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::enterText;
using tolvtest::typeText;

namespace fs = std::filesystem;

namespace {

std::string field(const std::string& utf8, std::size_t width)
{
    std::string b = toCp932(utf8);
    b.resize(width, ' ');
    return b;
}

} // namespace

class EntryWindowTypingTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path entryDir_, file_;

    FrmZepi* open()
    {
        FrmZepi* w = tolvtest::openEntryWindow(fx_.ctx(), true);
        if (!QTest::qWaitForWindowActive(w)) qWarning("window not active");
        return w;
    }
    QString status(FrmZepi* w) { return child<QStatusBar>(w, "stbZepi")->currentMessage(); }
    QLineEdit* box(FrmZepi* w, const char* name) { return child<QLineEdit>(w, name); }
    tolvtest::EntrySnapshot onDisk() { return tolvtest::readEntry(file_); }

    void writeSwimmers(int count)
    {
        EntryStore store;
        store.openEntryFile(file_);
        store.header().setKijunBi("2008/10/16");
        for (int n = 1; n <= count; ++n) {
            store.swimmer() = EntryStore::emptySwimmer();
            store.swimmer().setSeq(n);
            store.swimmer().setQBango("13001200105011");
            store.swimmer().setNamae("選手" + std::to_string(n));
            store.header().setTotal(n);
            store.writeSwimmer(n);
        }
    }

    // Types into a box that has the focus, leaving its old text in place unless told.
    void typeInto(QLineEdit* b, const QString& text)
    {
        b->setFocus();
        b->selectAll();
        QTest::keyClick(b, Qt::Key_Backspace);
        typeText(b, text);
    }

private slots:
    void init()
    {
        fx_.setUpWithMaster();
        entryDir_ = fx_.entryDir();
        file_ = fx_.file();
    }

    void cleanup() { fx_.tearDown(); }

    // 1
    void aBoxLeftInAnyWayIsStored()
    {
        writeSwimmers(2);
        FrmZepi* w = open(); // swimmer 2
        auto* time = box(w, "txtKiro_3");
        typeInto(time, "1:05.23");
        QTest::keyClick(time, Qt::Key_Tab);
        QCOMPARE(onDisk().swimmerAt(2).kiro(3), 10523);

        // A name typed and a button pressed: stored before the window moves on.
        typeInto(box(w, "txtNamae"), "改名");
        child<QPushButton>(w, "cmdMae")->click();
        QCOMPARE(onDisk().swimmerAt(2).Namae(), "改名" + std::string(12, ' '));
        QCOMPARE(w->current(), 1);

        // A refused value is told and the box shows the stored one again.
        typeInto(time, "1:75.00");
        box(w, "txtBiko")->setFocus();
        QVERIFY2(status(w).contains("1:75.00"), qPrintable(status(w)));
        QCOMPARE(time->text(), QString());
        QCOMPARE(onDisk().swimmerAt(1).kiro(3), 0);

        // Name and time changed, then "終わり": both stored, nothing asked.
        typeInto(box(w, "txtNamae"), "最後");
        typeInto(time, "30.00");
        fx_.prompt().clear();
        w->menuAction("mOwari")->trigger();
        QVERIFY(fx_.prompt().asked.empty());
        QCOMPARE(onDisk().swimmerAt(1).Namae(), "最後" + std::string(12, ' '));
        QCOMPARE(onDisk().swimmerAt(1).kiro(3), 3000);
    }

    // 2
    void anEmptyReserveNameIsAHintNotText()
    {
        FrmZepi* w = open();
        auto* yobi = child<QPushButton>(w, "cmdYobi");
        yobi->setFocus();
        QTest::keyClick(yobi, Qt::Key_Return); // Enter presses a focused button
        QVERIFY(child<QWidget>(w, "fraYobi")->isVisible());
        auto* name = box(w, "txtYobi_2");
        QCOMPARE(name->text(), QString());
        QCOMPARE(name->placeholderText(), QString("(3)"));
        name->setFocus();
        typeText(name, "50mキック");
        tolvtest::pressEnter(name);
        QCOMPARE(tolvtest::readBytes(file_).substr(384 + 120 + 32, 16), field("50mキック", 16));
        QCOMPARE(tolvtest::readBytes(file_).substr(384 + 120 + 48, 16), std::string(16, ' '));
    }

    // 3
    void aFullWidthReadingFindsTheHalfWidthMaster()
    {
        FrmZepi* w = open();
        enterText(box(w, "txtKijunBi"), "20081016");
        child<QPushButton>(w, "cmdShinki")->click();
        typeInto(box(w, "txtQBango"), "13001");
        tolvtest::onNextModal([](QWidget* m) { child<QPushButton>(m, "cmdNo_0")->click(); });
        enterText(box(w, "txtKana"), "いとう　けん");
        QCOMPARE(box(w, "txtNamae")->text(), QString("伊藤　健"));
        QCOMPARE(box(w, "txtKana")->text(), QString("ｲﾄｳ ｹﾝ"));

        // Not in the master: the status bar says what was searched, and that it was folded.
        enterText(box(w, "txtKana"), "ミサキ　ダイチ");
        QVERIFY2(status(w).contains("ﾐｻｷ ﾀﾞｲﾁ") && status(w).contains("半角"), qPrintable(status(w)));
    }

    // 4
    void enterPressesTheFocusedButtonAndPicksTheHighlightedLine()
    {
        FrmZepi* w = open();
        enterText(box(w, "txtKijunBi"), "20081016");
        auto* shinki = child<QPushButton>(w, "cmdShinki");
        shinki->setFocus();
        QTest::keyClick(shinki, Qt::Key_Return);
        QCOMPARE(w->state(), int(FrmZepi::NewEntry));

        typeInto(box(w, "txtQBango"), "13001");
        QString hint;
        tolvtest::onNextModal([&hint](QWidget* m) {
            hint = child<QLabel>(m, "lblKensaku")->text();
            auto* list = child<QListWidget>(m, "lstKensaku");
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
            if (m->isVisible()) m->close();
        });
        enterText(box(w, "txtKana"), "ﾔﾏﾀﾞ ﾀﾛｳ");
        QVERIFY(hint.contains("1～9"));
        QCOMPARE(box(w, "txtNamae")->text(), QString("佐藤　次郎")); // the second line

        tolvtest::onNextModal([](QWidget* m) {
            QVERIFY(QTest::qWaitForWindowExposed(m));
            auto* list = child<QListWidget>(m, "lstKensaku");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
            if (m->isVisible()) m->close(); // not picked: the test fails instead of waiting
        });
        enterText(box(w, "txtKana"), "ﾔﾏﾀﾞ ﾀﾛｳ");
        QCOMPARE(box(w, "txtNamae")->text(), QString("山田　太郎"));

        enterText(box(w, "txtBiko"), "99");
        QTRY_VERIFY(shinki->hasFocus());
        QTest::keyClick(shinki, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w->state(), int(FrmZepi::NewEntry));
    }

    // 5
    void anImpossibleBirthDateIsTold()
    {
        writeSwimmers(1);
        FrmZepi* w = open();
        enterText(box(w, "txtQBango"), "13001201302301"); // the reference year 2008 makes it 1913
        QVERIFY2(status(w).contains("1913/02/30") && status(w).contains("暦にない"), qPrintable(status(w)));
        QCOMPARE(onDisk().swimmerAt(1).QBango(), std::string("13001191302301")); // stored as typed

        // Looked up in a new entry: told as well.
        child<QPushButton>(w, "cmdShinki")->click();
        enterText(box(w, "txtQBango"), "13001200102301");
        QVERIFY2(status(w).contains("2001/02/30"), qPrintable(status(w)));
    }

    // 6
    void aBoxTakesNoMoreThanItsFieldHolds()
    {
        {
            EntryStore store;
            store.openEntryFile(file_);
            store.swimmer() = EntryStore::emptySwimmer();
            store.swimmer().setGakunen("14");
            store.header().setTotal(1);
            store.writeSwimmer(1);
        }
        FrmZepi* w = open();
        QCOMPARE(box(w, "txtGakunen")->text(), QString("小4"));
        QCOMPARE(status(w), QString()); // a grade text longer than its code is no typing
        auto* zigyo = box(w, "txtZigyo");
        typeInto(zigyo, "第50回春季記録会");
        QCOMPARE(zigyo->text(), QString("第50回春"));
        QVERIFY2(status(w).contains("8 バイト"), qPrintable(status(w)));
        tolvtest::pressEnter(zigyo);
        auto* basho = box(w, "txtBasho");
        typeInto(basho, "辰巳国際水泳場");
        QCOMPARE(basho->text(), QString("辰巳国際水泳"));
        tolvtest::pressEnter(basho);
        const std::string header = tolvtest::readBytes(file_).substr(0, 384);
        QCOMPARE(header.substr(16, 8), field("第50回春", 8));
        QCOMPARE(header.substr(24, 12), field("辰巳国際水泳", 12));
    }

    // 7
    void errNoDialogsSayWhatHappensAndAWriteProtectedFileOpensForLooking()
    {
        writeSwimmers(1);
        FrmZepi* first = open();
        QVERIFY(first->isLoaded());
        // A second window on the same file: told in Japanese what each button does.
        fx_.prompt().answers = {true};
        auto* second = new FrmZepi(fx_.ctx());
        QVERIFY(!second->isLoaded());
        const std::string asked = fx_.prompt().asked.at(0);
        QVERIFY2(asked.rfind("Err No.", 0) == 0, asked.c_str());
        QVERIFY(asked.find("使用中") != std::string::npos);
        QVERIFY(asked.find("キャンセル: プログラムを終了します。") != std::string::npos);
        QCOMPARE(fx_.context().endCalls, 0);
        delete second;
        delete first;

        // The system's reasons are put in Japanese.
        const std::string english = std::string("ファイルを開けません: a.zep (") + std::strerror(EPERM) + ")";
        QVERIFY(tolv::gui::errorText(TolvError(english)).find("操作が許可されていません") != std::string::npos);
        // The number is that of the failure's kind, never guessed from its text.
        QCOMPARE(tolv::gui::errorNumber(TolvError(english)), 75);
        QCOMPARE(tolv::gui::errorNumber(systemError("ファイルを開けません: a.zep", EACCES)), 70);
        QCOMPARE(tolv::gui::errorNumber(systemError("ファイルに書き込めません: a.zep", EROFS)), 75);
        QCOMPARE(tolv::gui::errorNumber(systemError("ファイルを開けません: a.zep", ENOENT)), 53);
        QCOMPARE(tolv::gui::errorNumber(systemError("ファイルに書き込めません: a.zep", ENOSPC)), 61);
        QCOMPARE(tolv::gui::errorNumber(TolvError(inUseMessage(file_), ErrorKind::InUse)), 70);

        // Where no writer can lock the file (here the lock's place is taken by a folder), the file
        // opens read-only: shown and printable, never changed.
        fs::remove(FileLock::lockPathFor(file_));
        fs::create_directories(FileLock::lockPathFor(file_));
        const std::string before = tolvtest::readBytes(file_);
        fx_.prompt().clear();
        fx_.prompt().answers = {true};
        FrmZepi* w = open();
        QVERIFY(w->isLoaded() && w->isReadOnly());
        const std::string offer = fx_.prompt().asked.at(0);
        QVERIFY2(offer.find("OK: 読み取り専用で開きます") != std::string::npos, offer.c_str());
        QVERIFY2(offer.find(std::strerror(EISDIR)) == std::string::npos, offer.c_str());
        QVERIFY(w->windowTitle().contains("読み取り専用"));
        QCOMPARE(box(w, "txtNamae")->text(), QString("選手1"));
        QVERIFY(box(w, "txtNamae")->isReadOnly());
        QVERIFY(!child<QPushButton>(w, "cmdShinki")->isEnabled());
        QVERIFY(!w->menuAction("mIn")->isEnabled());
        QVERIFY(w->menuAction("mShu")->isEnabled());
        typeText(box(w, "txtNamae"), "変更");
        tolvtest::pressEnter(box(w, "txtNamae"));
        QCOMPARE(tolvtest::readBytes(file_), before);
    }

    // 9
    void backFromAWindowOpenedFromItTheLastSwimmerShowsWhereTheWindowWas()
    {
        FrmZepi* w = open(); // an empty file: swimmer 0 of 0
        w->move(120, 90);
        const QPoint where = w->pos();
        auto* sub = new QWidget;
        w->handOverTo(sub);
        QVERIFY(!w->isVisible());
        writeSwimmers(3); // what the merge adds meanwhile
        sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_VERIFY(w->isVisible());
        QCOMPARE(w->current(), 3);
        QCOMPARE(box(w, "txtJun")->text(), QString("3  (3)"));
        QCOMPARE(box(w, "txtNamae")->text(), QString("選手3"));
        QCOMPARE(w->pos(), where);
    }

    // 11
    void questionsThatDropWorkDefaultToKeepingIt()
    {
        writeSwimmers(2);
        tolv::gui::MessagePrompt boxes;
        fx_.ctx().prompt = &boxes;
        FrmZepi* w = open();
        bool cancelFirst = false;
        auto pressEnterOnTheQuestion = [&cancelFirst](QWidget* m) {
            auto* q = qobject_cast<QMessageBox*>(m);
            cancelFirst = q && q->defaultButton() == q->button(QMessageBox::Cancel);
            QTest::keyClick(m, Qt::Key_Return);
        };
        child<QPushButton>(w, "cmdShinki")->click();
        tolvtest::onNextModal(pressEnterOnTheQuestion);
        w->menuAction("mOwari")->trigger();
        QVERIFY(cancelFirst);
        QVERIFY(w->isVisible());
        QCOMPARE(w->state(), int(FrmZepi::NewEntry));

        enterText(box(w, "txtBiko"), "99");
        QCOMPARE(onDisk().header.total(), 3);
        cancelFirst = false;
        tolvtest::onNextModal(pressEnterOnTheQuestion);
        child<QPushButton>(w, "cmdSakuzo")->click();
        QVERIFY(cancelFirst);
        QCOMPARE(onDisk().header.total(), 3);
    }

    // 12
    void aFileThatIsNotSoundOpensOnlyForLookingWithAWarning()
    {
        writeSwimmers(2);
        std::string bytes = tolvtest::readBytes(file_);
        bytes.resize(bytes.size() - 100); // the last record cut short
        tolvtest::writeBytes(file_, bytes);
        FrmZepi* w = open();
        QCOMPARE(fx_.prompt().said.size(), std::size_t(1));
        const std::string warning = fx_.prompt().said[0];
        QVERIFY2(warning.find("384 の倍数ではありません") != std::string::npos, warning.c_str());
        QVERIFY(warning.find("読み取り専用") != std::string::npos);
        QVERIFY(w->isLoaded() && w->isReadOnly());
        QVERIFY(w->windowTitle().contains("読み取り専用"));
        QCOMPARE(tolvtest::readBytes(file_), bytes);
    }

    // 13
    void aTimeOutsideItsCodingOpensForEditingWithANote()
    {
        writeSwimmers(2);
        std::string bytes = tolvtest::readBytes(file_);
        const std::int32_t time = 6543; // 65 seconds: no time, but stored by older programs
        std::memcpy(bytes.data() + 11 * 384 + SwimmerRecord::kKiro.offset, &time, 4);
        tolvtest::writeBytes(file_, bytes);
        FrmZepi* w = open();
        QVERIFY(fx_.prompt().said.empty());
        QVERIFY(w->isLoaded() && !w->isReadOnly());
        QVERIFY(!box(w, "txtNamae")->isReadOnly());
        QVERIFY2(status(w).contains("コードやタイムが範囲外の項目 1 件"), qPrintable(status(w)));
        enterText(box(w, "txtNamae"), "変更");
        QCOMPARE(onDisk().swimmerAt(2).Namae(), "変更" + std::string(12, ' '));
    }
};

QTEST_MAIN(EntryWindowTypingTest)
#include "EntryWindowTypingTest.moc"
