// The entry window driven through its controls: header, new entry with look-up, event codes and
// times, browsing, correcting, deleting, the reserve panel and closing.
#include "gui/ErrNo.h"
#include "gui/FrmZepi.h"
#include "gui/FrmZepiKensaku.h"
#include "gui/Pickers.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using namespace tolv;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::enterText;
using tolvtest::readBytes;
using tolvtest::sj;

namespace fs = std::filesystem;

namespace {

std::string bytesOf(const SwimmerRecord& s) { return std::string(s.bytes().data(), s.bytes().size()); }

std::string field(const std::string& utf8, std::size_t width)
{
    std::string b = sj(utf8);
    b.resize(width, ' ');
    return b;
}

std::string le32(std::int32_t v)
{
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[std::size_t(i)] = char((std::uint32_t(v) >> (8 * i)) & 0xFF);
    return b;
}

} // namespace

class FrmZepiTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path entryDir_, root_, file_;

    FrmZepi* open() { return tolvtest::openEntryWindow(fx_.ctx(), true); }

    std::string record(int n) const { return readBytes(file_).substr(std::size_t(n - 1) * 384, 384); }

    // A file of `count` swimmers named 選手1 … written before the window opens.
    void writeSwimmers(int count)
    {
        EntryStore store;
        store.openEntryFile(file_);
        store.header().setKijunBi("2008/10/16");
        for (int n = 1; n <= count; ++n) {
            store.swimmer() = EntryStore::emptySwimmer();
            store.swimmer().setSeq(n);
            store.swimmer().setNamae("選手" + std::to_string(n));
            store.swimmer().setKana("ｾﾝｼｭ");
            store.swimmer().setTorobi(20080400 + n);
            store.swimmer().setKiro(1, 3000 + n);
            store.header().setTotal(n);
            store.writeSwimmer(n);
        }
    }

private slots:
    void init()
    {
        fx_.setUpWithMaster();
        entryDir_ = fx_.entryDir();
        root_ = fx_.registration();
        file_ = fx_.file();
    }

    void cleanup() { fx_.tearDown(); }

    void newFileShowsNothingOfNothingAndWritesTheHeader()
    {
        FrmZepi* w = open();
        QVERIFY(w->isLoaded());
        QCOMPARE(w->windowTitle(), QString("検索・修正"));
        QCOMPARE(child<QLineEdit>(w, "txtJun")->text(), QString("0  (0)"));
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString());
        QCOMPARE(child<QLineEdit>(w, "txtStBi")->text(), QString("2008/10/01"));
        QCOMPARE(child<QLineEdit>(w, "txtKijunBi")->text(), QString("2008/10/01"));
        QCOMPARE(child<QLineEdit>(w, "txtZigyo")->text(), QString("TEST"));
        QVERIFY(child<QRadioButton>(w, "optSuiro_1")->isChecked());
        QCOMPARE(fs::file_size(file_), std::uintmax_t(768));
#ifdef _WIN32 // the control files name the folders in their stored form there
        QCOMPARE(child<QLabel>(w, "lblFile")->text(), QString::fromStdString(toStoredPath(entryDir_, true) + "TEST.zep"));
        QCOMPARE(child<QLabel>(w, "lblToroDr")->text(), QString::fromStdString(toStoredPath(root_, true)));
#else
        QCOMPARE(child<QLabel>(w, "lblFile")->text(), QString::fromStdString(entryDir_.string() + "/TEST.zep"));
        QCOMPARE(child<QLabel>(w, "lblToroDr")->text(), QString::fromStdString(root_.string() + "/"));
#endif
    }

    void headerFieldsAreWrittenOnEnter()
    {
        FrmZepi* w = open();
        auto* stBi = child<QLineEdit>(w, "txtStBi");
        const std::string before = record(1);
        // Seven digits: neither the box nor the header changes.
        enterText(stBi, "2008101");
        QCOMPARE(stBi->text(), QString("2008101"));
        QCOMPARE(record(1), before);
        QVERIFY(stBi->hasFocus());

        enterText(stBi, "20081016");
        QCOMPARE(stBi->text(), QString("2008/10/16"));
        std::string h = record(1);
        QCOMPARE(h.substr(36, 10), std::string("2008/10/16"));
        for (int i = 0; i < 10; ++i) QCOMPARE(h.substr(67 + 4 * std::size_t(i), 4), le32(20081016 + i));
        QVERIFY(child<QLineEdit>(w, "txtEnBi")->hasFocus());

        // A key in a box showing a date starts the date afresh.
        stBi->setFocus();
        QTest::keyClick(stBi, Qt::Key_2);
        QCOMPARE(stBi->text(), QString("2"));

        enterText(child<QLineEdit>(w, "txtZigyo"), "春季大会");
        QCOMPARE(record(1).substr(16, 8), sj("春季大会"));
        QVERIFY(child<QLineEdit>(w, "txtBasho")->hasFocus());
        enterText(child<QLineEdit>(w, "txtBasho"), "辰巳");
        QCOMPARE(record(1).substr(24, 12), field("辰巳", 12));
        enterText(child<QLineEdit>(w, "txtKijunBi"), "20081016");
        QCOMPARE(record(1).substr(6, 10), std::string("2008/10/16"));
        QVERIFY(child<QLineEdit>(w, "txtBiko")->hasFocus());

        // Option frames write at once.
        child<QRadioButton>(w, "optSuiro_0")->click();
        QCOMPARE(record(1).substr(4, 2), std::string("\0\0", 2));
        child<QRadioButton>(w, "optSuiro_1")->click();
        QCOMPARE(record(1).substr(4, 2), std::string("\x01\0", 2));
        child<QRadioButton>(w, "optBotai_3")->click();
        QCOMPARE(record(1).substr(65, 2), std::string("\x03\0", 2));
        child<QRadioButton>(w, "optKubun_1")->click();
        QCOMPARE(record(1).substr(63, 2), std::string("\x01\0", 2));
        tolvtest::guideShot(w, "entry-header");
    }

    void newSwimmerByCompositeNumberEventsAndTimes()
    {
        FrmZepi* w = open();
        enterText(child<QLineEdit>(w, "txtKijunBi"), "20081016");
        auto* shinki = child<QPushButton>(w, "cmdShinki");
        auto* biko = child<QLineEdit>(w, "txtBiko");
        auto* lblBiko = child<QLabel>(w, "lblBiko");
        shinki->click();
        QCOMPARE(w->windowTitle(), QString("登録"));
        QCOMPARE(w->state(), int(FrmZepi::NewEntry));
        QCOMPARE(child<QLineEdit>(w, "txtJun")->text(), QString("1  (1)"));
        QCOMPARE(biko->toolTip(), QString("新規登録終了は「種目コード」入力で「99」を入力"));
        for (const char* b : {"cmdShinki", "cmdMae", "cmdTugi", "cmdSakuzo"}) QVERIFY(!child<QPushButton>(w, b)->isEnabled());

        // Typed with a wrong century.
        enterText(child<QLineEdit>(w, "txtQBango"), "13001990105011");
        QCOMPARE(child<QLineEdit>(w, "txtQBango")->text(), QString("13001200105011"));
        QCOMPARE(child<QLineEdit>(w, "txtBango")->text(), QString("1300101"));
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("山田　太郎"));
        QCOMPARE(child<QLineEdit>(w, "txtKana")->text(), QString("ﾔﾏﾀﾞ ﾀﾛｳ"));
        QCOMPARE(child<QLineEdit>(w, "txtKen")->text(), QString("東京都"));
        QCOMPARE(child<QLineEdit>(w, "txtKenKana")->text(), QString("ﾄｳｷｮｳ"));
        QCOMPARE(child<QLineEdit>(w, "txtShozoku")->text(), QString("さくらＳＣ"));
        QCOMPARE(child<QLineEdit>(w, "txtShozokuKana")->text(), QString("ｻｸﾗSC"));
        QCOMPARE(child<QLineEdit>(w, "txtGakunen")->text(), QString("小1"));
        QCOMPARE(child<QLineEdit>(w, "txtNenrei")->text(), QString("7"));
        QCOMPARE(child<QLineEdit>(w, "txtTorobi")->text(), QString("20080401"));
        QCOMPARE(child<QComboBox>(w, "cboSei")->currentText(), QString("男子"));
        QCOMPARE(child<QComboBox>(w, "cboShuFuku")->currentIndex(), 2);
        const bool flags[6] = {true, false, true, false, false, false};
        for (int i = 0; i < 6; ++i) QCOMPARE(child<QCheckBox>(w, QString("chkShubetu_%1").arg(i))->isChecked(), flags[i]);
        QVERIFY(biko->hasFocus());
        // Nothing is on disk yet.
        QCOMPARE(fs::file_size(file_), std::uintmax_t(768));
        tolvtest::guideShot(w, "entry-lookup");

        // "19": slot 9, no best time -> preset 66; the caret rule takes what stands before it.
        enterText(biko, "19");
        QCOMPARE(lblBiko->text(), QString("9"));
        QCOMPARE(w->windowTitle(), QString("記録入力"));
        QCOMPARE(biko->text(), QString("66"));
        QCOMPARE(biko->selectedText(), QString("66"));
        tolvtest::typeText(biko, "10523");
        QTest::keyClick(biko, Qt::Key_Left);
        QTest::keyClick(biko, Qt::Key_Left);
        tolvtest::pressEnter(biko);
        QCOMPARE(child<QLineEdit>(w, "txtKiro_9")->text(), QString("    1.05"));
        QCOMPARE(w->windowTitle(), QString("種目入力"));
        QCOMPARE(lblBiko->text(), QString("種目No"));

        // "11": the short-course best time is the preset.
        enterText(biko, "11");
        QCOMPARE(biko->text(), QString("2990"));
        tolvtest::pressEnter(biko);
        QCOMPARE(child<QLineEdit>(w, "txtKiro_1")->text(), QString("   29.90"));

        // "94": the last reserve slot; "66" means 参加.
        enterText(biko, "94");
        QCOMPARE(lblBiko->text(), QString("43"));
        tolvtest::pressEnter(biko);
        QCOMPARE(child<QLineEdit>(w, "txtKiro_43")->text(), QString("参加"));
        tolvtest::guideShot(w, "entry-times");

        // "95" names no slot: refused, still waiting for a code.
        enterText(biko, "95");
        QCOMPARE(w->state(), int(FrmZepi::NewEntry));
        QCOMPARE(lblBiko->text(), QString("種目No"));

        enterText(biko, "99");
        QCOMPARE(w->windowTitle(), QString("検索・修正"));
        QCOMPARE(w->state(), int(FrmZepi::Browse));
        QVERIFY(child<QPushButton>(w, "cmdShinki")->isEnabled());
        QVERIFY(child<QPushButton>(w, "cmdShinki")->hasFocus());
        QCOMPARE(biko->toolTip(), QString());
        QCOMPARE(lblBiko->text(), QString());

        SwimmerRecord e = tolvtest::expectedYamada();
        e.setKiro(1, 2990);
        e.setKiro(9, 105);
        e.setKiro(43, 666666);
        QCOMPARE(fs::file_size(file_), std::uintmax_t(11 * 384));
        QCOMPARE(record(11), bytesOf(e));
        QCOMPARE(record(1).substr(0, 4), le32(1));
        tolvtest::guideShot(w, "entry-swimmer");
        QCOMPARE(child<QLineEdit>(w, "txtJun")->text(), QString("1  (1)"));
    }

    void unknownNumberPicksFromTheSameBirthDateByKeypad()
    {
        FrmZepi* w = open();
        enterText(child<QLineEdit>(w, "txtKijunBi"), "20081016");
        child<QPushButton>(w, "cmdShinki")->click();
        QStringList lines;
        tolvtest::onNextModal([&](QWidget* m) {
            auto* list = child<QListWidget>(m, "lstKensaku");
            for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
            QTest::keyClick(list, Qt::Key_2, Qt::KeypadModifier);
        });
        enterText(child<QLineEdit>(w, "txtQBango"), "13001200105013");
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].contains("山田　太郎"));
        QVERIFY(lines[1].contains("鈴木　一郎"));
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("鈴木　一郎"));
        QCOMPARE(child<QLineEdit>(w, "txtBango")->text(), QString("1300102"));
        QTRY_VERIFY(child<QLineEdit>(w, "txtBiko")->hasFocus());
    }

    void searchByReadingPicksWithAButton()
    {
        FrmZepi* w = open();
        enterText(child<QLineEdit>(w, "txtKijunBi"), "20081016");
        child<QPushButton>(w, "cmdShinki")->click();
        // The team code is typed, not confirmed; then the reading.
        auto* qb = child<QLineEdit>(w, "txtQBango");
        qb->setFocus();
        tolvtest::typeText(qb, "13001");
        int shown = -1;
        tolvtest::onNextModal([&](QWidget* m) {
            shown = child<QListWidget>(m, "lstKensaku")->count();
            tolvtest::guideShot(m, "search");
            child<QPushButton>(m, "cmdNo_1")->click();
        });
        enterText(child<QLineEdit>(w, "txtKana"), "ﾔﾏﾀﾞ ﾀﾛｳ");
        QCOMPARE(shown, 2);
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("佐藤　次郎"));
        QCOMPARE(child<QLineEdit>(w, "txtQBango")->text(), QString("13001199503101"));
        QTRY_VERIFY(child<QLineEdit>(w, "txtBiko")->hasFocus());

        // A reading nobody has: no dialog, the focus goes to the name.
        enterText(child<QLineEdit>(w, "txtKana"), "ﾀﾞﾚﾓｲﾅｲ");
        QVERIFY(child<QLineEdit>(w, "txtNamae")->hasFocus());
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("佐藤　次郎"));
    }

    void failedLookUpLeavesRecordAndSaysWhy()
    {
        writeTorControl(ctlDir(), TorControl{"/", (fx_.dir() / "nowhere").string() + "/"});
        FrmZepi* w = open();
        child<QPushButton>(w, "cmdShinki")->click();
        enterText(child<QLineEdit>(w, "txtNamae"), "手入力");
        fx_.prompt().clear();
        enterText(child<QLineEdit>(w, "txtQBango"), "13001200105011");
        QCOMPARE(fx_.prompt().said.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(fx_.prompt().last()).contains("登録データがありません"));
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("手入力"));
        QCOMPARE(w->state(), int(FrmZepi::NewEntry));
        QCOMPARE(w->store().swimmer().Namae(), std::string("手入力          "));
        QCOMPARE(fs::file_size(file_), std::uintmax_t(768));
    }

    void browsingMessagesAtBothEnds()
    {
        writeSwimmers(3);
        FrmZepi* w = open();
        QCOMPARE(w->current(), 3);
        QCOMPARE(child<QLineEdit>(w, "txtJun")->text(), QString("3  (3)"));
        child<QPushButton>(w, "cmdTugi")->click();
        QCOMPARE(fx_.prompt().last(), std::string(" 3より大きいデータはありません。"));
        QCOMPARE(w->current(), 3);
        QVERIFY(child<QLineEdit>(w, "txtBiko")->hasFocus());

        enterText(child<QLineEdit>(w, "txtBiko"), "0"); // clamped to 1
        QCOMPARE(w->current(), 1);
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("選手1"));
        child<QPushButton>(w, "cmdMae")->click();
        QCOMPARE(fx_.prompt().last(), std::string("１より小さいレコードはありません。"));
        QCOMPARE(w->current(), 1);

        auto* biko = child<QLineEdit>(w, "txtBiko");
        QTest::keyClick(biko, Qt::Key_Down);
        QCOMPARE(w->current(), 2);
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("選手2"));
        // The copy labels hold the record left behind.
        QCOMPARE(child<QLabel>(w, "lblCopy_0")->text(), QString("選手1"));
        QCOMPARE(child<QLabel>(w, "lblCopy_4")->text(), QString("20080401"));
        QTest::keyClick(biko, Qt::Key_Up);
        QCOMPARE(w->current(), 1);
        enterText(biko, "99"); // clamped to the count
        QCOMPARE(w->current(), 3);
        QTest::keyClick(biko, Qt::Key_Insert);
        QVERIFY(child<QLineEdit>(w, "txtBango")->hasFocus());
    }

    void correctionsInBrowseStateAreWrittenFieldByField()
    {
        writeSwimmers(2);
        FrmZepi* w = open();
        enterText(child<QLineEdit>(w, "txtNamae"), "改名");
        QCOMPARE(record(12).substr(25, 16), field("改名", 16));
        QVERIFY(child<QLineEdit>(w, "txtKen")->hasFocus());

        // A time box: the first key replaces the shown time.
        auto* t1 = child<QLineEdit>(w, "txtKiro_1");
        QCOMPARE(t1->text(), QString("   30.02"));
        t1->setFocus();
        tolvtest::typeText(t1, "2845");
        tolvtest::pressEnter(t1);
        QCOMPARE(record(12).substr(95 + 4, 4), le32(2845));
        QCOMPARE(t1->text(), QString("   28.45"));

        child<QCheckBox>(w, "chkShubetu_1")->click();
        QCOMPARE(record(12).substr(271, 6), std::string("010000"));
        child<QCheckBox>(w, "chkNissui_1")->click();
        QCOMPARE(record(12).substr(370, 1), std::string("1"));
        child<QComboBox>(w, "cboSei")->setFocus();
        QTest::keyClick(child<QComboBox>(w, "cboSei"), Qt::Key_Down);
        QCOMPARE(record(12).substr(93, 1), std::string("1"));

        // In browse state the old number is completed and stored without a look-up.
        enterText(child<QLineEdit>(w, "txtQBango"), "13001990105011");
        QCOMPARE(record(12).substr(11, 14), std::string("13001200105011"));
        QCOMPARE(record(12).substr(4, 7), std::string(7, ' ')); // nobody looked up
        QVERIFY(child<QLineEdit>(w, "txtKana")->hasFocus());

        // Double click copies the previous record's name into this one.
        QTest::keyClick(child<QLineEdit>(w, "txtBiko"), Qt::Key_Up);
        QTest::keyClick(child<QLineEdit>(w, "txtBiko"), Qt::Key_Down);
        QCOMPARE(child<QLabel>(w, "lblCopy_0")->text(), QString("選手1"));
        QTest::mouseDClick(child<QLabel>(w, "lblCopy_0"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("選手1"));
        QCOMPARE(record(12).substr(25, 16), field("選手1", 16));
        QCOMPARE(record(1).substr(0, 4), le32(2));
    }

    void deletingSwimmerTwoOfFive()
    {
        writeSwimmers(5);
        const std::string fifth = record(15);
        FrmZepi* w = open();
        enterText(child<QLineEdit>(w, "txtBiko"), "2");
        fx_.prompt().answers = {false};
        child<QPushButton>(w, "cmdSakuzo")->click();
        QCOMPARE(fx_.prompt().asked.back(), std::string("削除します"));
        QCOMPARE(record(1).substr(0, 4), le32(5));
        QCOMPARE(w->windowTitle(), QString("検索・修正"));

        child<QPushButton>(w, "cmdSakuzo")->click(); // OK this time
        QCOMPARE(record(1).substr(0, 4), le32(4));
        QCOMPARE(record(12).substr(0, 4), le32(2));
        QCOMPARE(record(12).substr(4), fifth.substr(4));
        QCOMPARE(w->current(), 2);
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("選手5"));
        QCOMPARE(child<QLineEdit>(w, "txtJun")->text(), QString("2  (4)"));
        QCOMPARE(w->state(), int(FrmZepi::Browse));
        QVERIFY(child<QPushButton>(w, "cmdShinki")->isEnabled());

        // The last one: the one before it is shown.
        enterText(child<QLineEdit>(w, "txtBiko"), "4");
        child<QPushButton>(w, "cmdSakuzo")->click();
        QCOMPARE(record(1).substr(0, 4), le32(3));
        QCOMPARE(w->current(), 3);
    }

    void closingDuringANewEntryWritesNothingAndEmptiesTemp()
    {
        writeSwimmers(2);
        const std::string before = readBytes(file_);
        tolvtest::writeBytes(tempDir() / "kozin.dat", "x");
        tolvtest::writeBytes(tempDir() / "keep.txt", "y");
        FrmZepi* w = open();
        child<QPushButton>(w, "cmdShinki")->click();
        enterText(child<QLineEdit>(w, "txtNamae"), "途中");
        // A header change meanwhile keeps the old count on disk.
        child<QRadioButton>(w, "optSuiro_0")->click();
        QCOMPARE(record(1).substr(0, 4), le32(2));
        w->close();
        std::string after = readBytes(file_);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.substr(0, 4), before.substr(0, 4));
        QCOMPARE(after.substr(768), before.substr(768));
        QVERIFY(!fs::exists(tempDir() / "kozin.dat"));
        QVERIFY(fs::exists(tempDir() / "keep.txt"));
        QVERIFY(!w->store().isOpen());
    }

    void reservePanelRowsAndCopy()
    {
        // Another entry file with reserve events to copy.
        fs::path other = entryDir_ / "other.zep";
        {
            EntryStore s;
            s.openEntryFile(other);
            s.reserve().setYobiKubun(2, "小学");
            s.reserve().setYobiName(2, "25mキック");
            s.reserve().setYobiRelay(2, "1");
            s.saveHeader();
        }
        const std::string otherRecord2 = readBytes(other).substr(384, 384);
        FrmZepi* w = open();
        auto* toggle = child<QPushButton>(w, "cmdYobi");
        QWidget* panel = child<QWidget>(w, "fraYobi");
        QVERIFY(panel->isHidden());
        QCOMPARE(toggle->text(), QString("予 >> 備"));
        toggle->click();
        QVERIFY(!panel->isHidden());
        QCOMPARE(toggle->text(), QString("予 << 備"));
        QCOMPARE(child<QLineEdit>(w, "txtYobi_0")->text(), QString()); // "(1)" is only a grey hint
        QCOMPARE(child<QLineEdit>(w, "txtYobi_0")->placeholderText(), QString("(1)"));

        enterText(child<QLineEdit>(w, "txtYobi_0"), "ﾊﾞﾀ足");
        QCOMPARE(readBytes(file_).substr(384 + 120, 16), field("ﾊﾞﾀ足", 16));
        enterText(child<QLineEdit>(w, "txtYobiKubun_0"), "一般");
        QCOMPARE(readBytes(file_).substr(384, 8), field("一般", 8));
        auto* flag = child<QComboBox>(w, "cboYobiF_0");
        flag->setFocus();
        QTest::keyClick(flag, Qt::Key_Down);
        QCOMPARE(readBytes(file_).substr(384 + 360, 1), std::string("1"));

        auto* files = child<tolv::gui::FilePicker>(w, "File1");
        QTRY_VERIFY(files->indexOf("other.zep").isValid());
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(files->indexOf("other.zep")).center());
        QCOMPARE(files->fileName(), QString("other.zep"));
        child<QPushButton>(w, "cmdKakutei")->click();
        QCOMPARE(readBytes(file_).substr(384, 384), otherRecord2);
        QVERIFY(!child<QPushButton>(w, "cmdKakutei")->isEnabled());
        QCOMPARE(child<QLineEdit>(w, "txtYobi_2")->text(), QString("25mキック"));
        QCOMPARE(child<QComboBox>(w, "cboYobiF_2")->currentIndex(), 1);
        tolvtest::guideShot(w, "entry-reserve");
        QCOMPARE(readBytes(other).substr(384, 384), otherRecord2);
    }

    void menuBarCarriesEveryItem()
    {
        FrmZepi* w = open();
        const char* const items[][2] = {{"mInKetugo", "申込データ結合"},
                                        {"mInWeb", "Web"},
                                        {"mInNitiban", "日水登録番号"},
                                        {"mInSwm", "ＳＷＭ"},
                                        {"mInScm", "ＳＣＭ"},
                                        {"mInMcompd", "Mcompd"},
                                        {"mInResults", "Results(1)"},
                                        {"mInResults2", "Results(2)"},
                                        {"mOutZep", "tolvzep.csv"},
                                        {"mOutQTolv", "旧とるぶしす"},
                                        {"mOutSwmKari", "SWMkari"},
                                        {"mOutSwmToro", "日水競技者登録"},
                                        {"mOutScmSys", "SCMSYS連携"},
                                        {"mOutScmFd", "フロッピー作成"},
                                        {"mOutTfd", "フロッピー作成"},
                                        {"mOutTichi", "タイム一覧表"},
                                        {"mOutSwm", "ＳＷＭ"},
                                        {"mOutKumamoto", "熊本InterHi CSV"},
                                        {"mOutSeiko", "セイコーカンマ"},
                                        {"mSotSei", "性別"},
                                        {"mSotClb", "クラブ"},
                                        {"mShuKei", "集計"},
                                        {"mShuIchi", "団体申込"},
                                        {"mShuKozin", "個人一覧"},
                                        {"mCheck1", "番号"},
                                        {"mCheck14", "旧番号"},
                                        {"mCheck2", "生年月日"},
                                        {"mCheck3", "フリカナ"},
                                        {"mCheck4", "学年"},
                                        {"mCheck5", "年令"},
                                        {"mCheck11", "種別なし"},
                                        {"mCheck8", "4種目以上"},
                                        {"mCheck15", "同タイム"},
                                        {"mCheck13", "フリカナ書き直し"},
                                        {"mCheck6", "年令書き直し"},
                                        {"mCheck7", "学年書き直し"},
                                        {"mCheck17", "学年(実業団)書き直し"},
                                        {"mCheck10", "主登録書き直し"},
                                        {"mCheck9", "副登録書き直し"},
                                        {"mCheck12", "県名書き直し"},
                                        {"mCheck16", "同タイム書き直し"}};
        // Items whose commands exist are enabled; the others wait for the parts that run them.
        const QStringList wired{"mOutTichi", "mSotSei",   "mSotClb",      "mShuKei",     "mShuIchi",    "mShuKozin",
                                "mInKetugo", "mOutZep",   "mOutQTolv",    "mOutSwmKari", "mOutScmSys",  "mOutScmFd",
                                "mOutTfd",   "mOutSwm",   "mOutKumamoto", "mInWeb",      "mInNitiban",  "mInSwm",
                                "mInScm",    "mInMcompd", "mInResults",   "mInResults2", "mOutSwmToro", "mOutSeiko"};
        for (const auto& it : items) {
            QAction* a = w->menuAction(it[0]);
            QVERIFY2(a, it[0]);
            QCOMPARE(a->text(), QString(it[1]));
            const QString name(it[0]);
            QCOMPARE(a->isEnabled(), wired.contains(name) || name.startsWith("mCheck"));
        }
        QCOMPARE(w->menuAction("mOutScm")->text(), QString("ＳＣＭ大会"));
        QCOMPARE(w->menuAction("mOutSwmTaikai")->text(), QString("ＳＷＭ大会"));
        QVERIFY(w->menuAction("mWk1")->isEnabled());
        QCOMPARE(w->menuAction("mOwari")->text(), QString("終わり"));
        QVERIFY(w->menuAction("nothing") == nullptr);
        // The check menu lists the reports first, then the rewrites.
        QList<QAction*> check = child<QMenu>(w, "mCheck")->actions();
        QCOMPARE(check.size(), 18);
        QCOMPARE(check[0]->objectName(), QString("mCheck1"));
        QVERIFY(check[9]->isSeparator());
        QCOMPARE(check[17]->objectName(), QString("mCheck16"));
        // Work1 does nothing: no file change, no message.
        const std::string before = readBytes(file_);
        w->menuAction("mWk1")->trigger();
        QCOMPARE(readBytes(file_), before);
        QVERIFY(fx_.prompt().said.empty());
        // During a new entry the commands of other parts wait.
        child<QPushButton>(w, "cmdShinki")->click();
        QVERIFY(!w->menuAction("mCheck")->isEnabled());
        QVERIFY(w->menuAction("mOwari")->isEnabled());
    }

    void unreadableEntryFileAsksErrNo()
    {
        // The count says 9 swimmers; the file holds none.
        std::string bytes(768, '\0');
        bytes[0] = 9;
        tolvtest::writeBytes(file_, bytes);
        fx_.prompt().answers = {true}; // OK carries on, without a file to show
        auto* w = new FrmZepi(fx_.ctx());
        QVERIFY(!w->isLoaded());
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(1));
        QVERIFY(fx_.prompt().asked[0].rfind("Err No.75です\n", 0) == 0);
        QCOMPARE(fx_.context().endCalls, 0);
        delete w;
        fx_.prompt().answers = {false}; // Cancel ends the program
        w = new FrmZepi(fx_.ctx());
        QCOMPARE(fx_.context().endCalls, 1);
        delete w;
        QCOMPARE(readBytes(file_), bytes);
        QCOMPARE(tolv::gui::errorNumber(fs::filesystem_error("x", std::make_error_code(std::errc::no_such_file_or_directory))),
                 53);
        QCOMPARE(tolv::gui::errorNumber(std::runtime_error("x")), 5);
    }

    void refreshShowsWhatACommandChanged()
    {
        writeSwimmers(2);
        FrmZepi* w = open();
        // A command working through the window's store, leaving its buffer elsewhere.
        EntryStore& store = w->store();
        store.readSwimmer(2);
        store.swimmer().setNamae("書換");
        store.writeSwimmer(2);
        store.readSwimmer(1);
        w->refreshCurrent();
        QCOMPARE(w->current(), 2);
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("書換"));

        // The file replaced under the window, as a re-sort does: read again, count honoured.
        fs::path replacement = entryDir_ / "new.tmp";
        {
            EntryStore other;
            other.openEntryFile(replacement);
            other.header().setBasho("新会場");
            other.swimmer() = EntryStore::emptySwimmer();
            other.swimmer().setNamae("唯一");
            other.header().setTotal(1);
            other.writeSwimmer(1);
        }
        fs::rename(replacement, file_);
        w->refreshCurrent();
        QCOMPARE(w->current(), 1);
        QCOMPARE(child<QLineEdit>(w, "txtNamae")->text(), QString("唯一"));
        QCOMPARE(child<QLineEdit>(w, "txtBasho")->text(), QString("新会場"));
        enterText(child<QLineEdit>(w, "txtNamae"), "改");
        QCOMPARE(record(11).substr(25, 16), field("改", 16));
    }

    void endReturnsToTheStartUpWindow()
    {
        FrmZepi* w = open();
        QPointer<FrmZepi> guard(w);
        w->menuAction("mOwari")->trigger();
        QVERIFY(!w->isVisible());
        QVERIFY(!w->store().isOpen());
        bool startShown = false;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "frmDrive" && top->isVisible()) startShown = true;
        QVERIFY(startShown);
    }
};

QTEST_MAIN(FrmZepiTest)
#include "FrmZepiTest.moc"
