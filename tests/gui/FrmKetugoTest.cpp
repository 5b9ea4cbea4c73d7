// The merge window driven through its controls: opened from the entry window's import menu, a
// reading format registered and selected, a comma-separated file previewed and merged, the team
// totals file and the write direction refused, and the entry window back on the merged file.
#include "gui/FrmKetugo.h"
#include "gui/FrmZepi.h"
#include "gui/MessagePrompt.h"
#include "gui/Pickers.h"
#include "merge/ReadingFormats.h"
#include "platform/Clock.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/EntrySnapshot.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace tolv;
using tolv::gui::FrmKetugo;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::readBytes;

namespace fs = std::filesystem;

class FrmKetugoTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path folder_, file_;

    void retype(FrmKetugo* k, const QString& name, const QString& text)
    {
        auto* box = child<QLineEdit>(k, name);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        tolvtest::typeText(box, text);
    }

    void clickFile(FrmKetugo* k, const QString& name)
    {
        auto* files = child<tolv::gui::FilePicker>(k, "File1");
        QTRY_VERIFY(files->indexOf(name).isValid());
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(files->indexOf(name)).center());
    }

    QString text(FrmKetugo* k, const QString& label) { return child<QLabel>(k, label)->text(); }

private slots:
    void init()
    {
        fx_.setUp();
        folder_ = fx_.entryDir();
        file_ = fx_.file();
        tolvtest::writeFixturePrefectures(ctlDir() / "ken.ctl");
        fx_.writeEntryFile({{"13002199804015", ""}});
        {
            EntryStore zed;
            zed.openEntryFile(folder_ / "TEST.zed");
        }
        tolvtest::writeBytes(folder_ / "team.csv", tolvtest::sj("旧番号,姓,名,50自\r\n"
                                                                "13001200105011,山田,太郎,30.50\r\n"
                                                                "13001200105021,鈴木,次郎,31.00\r\n"));
    }

    void cleanup() { fx_.tearDown(); }

    void registerSelectPreviewAndMerge()
    {
        auto* w = new FrmZepi(fx_.ctx());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QAction* item = w->menuAction("mInKetugo");
        QVERIFY(item && item->isEnabled());
        item->trigger();
        auto* k = w->findChild<FrmKetugo*>("frmKetugo");
        QVERIFY(k && k->isVisible());
        QCOMPARE(k->windowTitle(), QString("申込結合"));
        QVERIFY(!w->isVisible());
        QVERIFY(!w->store().isOpen()); // the merge window holds the file now
        QCOMPARE(child<QLabel>(k, "lblShori")->toolTip(), QString("クリックで読込み・書き込みの切り替えができます"));
        QCOMPARE(child<QLabel>(k, "lblTolv_21")->text(), QString("バタフライ25"));
        QCOMPARE(child<QLabel>(k, "lblSno_69")->text(), QString("70"));

        // Register a format typed into the controls, then load it back from the list.
        retype(k, "txtKeisiki", "クラブ");
        retype(k, "txtTitle", "1");
        retype(k, "txtSno_1", "1");
        retype(k, "txtSno_3", "2+");
        retype(k, "txtSno_7", "4");
        QTest::mouseClick(child<QPushButton>(k, "cmdTouroku"), Qt::LeftButton);
        auto* list = child<QListWidget>(k, "lstKeisiki");
        QCOMPARE(list->count(), 1);
        QCOMPARE(merge::readReadingFormats(ctlDir() / "yomi.dat").at(0).columns[3], (merge::ColumnRef{2, true}));
        retype(k, "txtSno_3", "0");
        retype(k, "txtSno_5", "-3");
        QCOMPARE(child<QLineEdit>(k, "txtSno_5")->text(), QString("0")); // a negative column is no column
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(child<QLineEdit>(k, "txtKeisiki")->text(), QString("クラブ"));
        QCOMPARE(child<QLineEdit>(k, "txtSno_3")->text(), QString("2+"));
        QCOMPARE(child<QLineEdit>(k, "txtTitle")->text(), QString("1"));

        // Preview: the title record, then the first swimmer, where the user stops.
        clickFile(k, "team.csv");
        QCOMPARE(text(k, "lblSys"), QString("csv"));
        QCOMPARE(text(k, "lblChuui"), QString("csvファイルです。\n\n読み込み順番などを指定して、結合してください。"));
        QCOMPARE(text(k, "lblYomiFile"), QString::fromStdString((folder_ / "team.csv").string()));
        fx_.prompt().answers = {true, false};
        QTest::mouseClick(child<QPushButton>(k, "cmdKakunin"), Qt::LeftButton);
        QCOMPARE(fx_.prompt().asked, (std::vector<std::string>{"次のデータを確認しますか？", "次のデータを確認しますか？"}));
        QCOMPARE(text(k, "lblKoumokuSuu"), QString("4"));
        QCOMPARE(text(k, "lblSdat_0"), QString("13001200105011"));
        QCOMPARE(text(k, "lblKakutei_3"), QString("山田　太郎"));
        QCOMPARE(text(k, "lblKakutei_7"), QString("30.50"));

        // Execute appends both swimmers.
        fx_.prompt().clear();
        QTest::mouseClick(child<QPushButton>(k, "cmdKetugo"), Qt::LeftButton);
        QVERIFY2(fx_.prompt().said.empty(), fx_.prompt().last().c_str());
        QCOMPARE(text(k, "lblKekka"), QString("2 人を結合しました（総数 3 人）"));
        tolvtest::guideShot(k, "merge");
        tolvtest::EntrySnapshot after = tolvtest::readEntry(file_);
        QCOMPARE(after.header.total(), 3);
        QCOMPARE(after.swimmerAt(2).Namae(), std::string("山田　太郎      "));
        QCOMPARE(after.swimmerAt(3).kiro(1), 3100);
        const std::string merged = readBytes(file_);

        // The same file again: the window asks, and no appends nothing.
        fx_.prompt().clear();
        fx_.prompt().answers = {false};
        QTest::mouseClick(child<QPushButton>(k, "cmdKetugo"), Qt::LeftButton);
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(1));
        QVERIFY2(fx_.prompt().asked[0].find("2008-10-01 09:00:00 にこの申込ファイルへ結合済みです。") != std::string::npos,
                 fx_.prompt().asked[0].c_str());
        QVERIFY(readBytes(file_) == merged);

        // The team totals file and the write direction change nothing.
        clickFile(k, "TEST.zed");
        QCOMPARE(text(k, "lblSys"), QString("tolvsys"));
        QCOMPARE(text(k, "lblChuui"), QString("tolvsysの申込団体ファイルです。\n\nここでは読込できません"));
        QTest::mouseClick(child<QPushButton>(k, "cmdKetugo"), Qt::LeftButton);
        QVERIFY2(fx_.prompt().last().find("ここでは読込できません") != std::string::npos, fx_.prompt().last().c_str());
        QTest::mouseClick(child<QLabel>(k, "lblShori"), Qt::LeftButton);
        QCOMPARE(text(k, "lblShori"), QString("=>"));
        QCOMPARE(child<QPushButton>(k, "cmdKetugo")->text(), QString("書出し"));
        clickFile(k, "team.csv");
        QTest::mouseClick(child<QPushButton>(k, "cmdKetugo"), Qt::LeftButton);
        QVERIFY2(fx_.prompt().last().find("書出しでは何もしません") != std::string::npos, fx_.prompt().last().c_str());
        QVERIFY(readBytes(file_) == merged);

        // "終": the entry window shows again on the merged file, at its last swimmer.
        QTest::mouseClick(child<QPushButton>(k, "cmdOwari"), Qt::LeftButton);
        QTRY_VERIFY(w->isVisible());
        QVERIFY(w->store().isOpen());
        QCOMPARE(w->store().header().total(), 3);
        QCOMPARE(child<QLineEdit>(w, "txtJun")->text(), QString("3  (3)")); // the last swimmer, as on loading
    }

    // A source is labelled by its structure check: a cut entry file is not "このまま結合できます".
    // A file merged before is merged again only on purpose: Enter on the question is キャンセル.
    void aCutFileIsLabelledByItsCheckAndEnterDoesNotMergeTwice()
    {
        {
            EntryStore club;
            club.openEntryFile(folder_ / "club.zep");
            club.swimmer() = EntryStore::emptySwimmer();
            club.swimmer().setSeq(1);
            club.swimmer().setQBango("13001200105011");
            club.header().setTotal(1);
            club.writeSwimmer(1);
            EntryStore cut;
            cut.openEntryFile(folder_ / "cut.zep");
            for (int n = 1; n <= 2; ++n) {
                cut.swimmer() = EntryStore::emptySwimmer();
                cut.swimmer().setSeq(n);
                cut.swimmer().setQBango("13001200105021");
                cut.header().setTotal(n);
                cut.writeSwimmer(n);
            }
        }
        for (const char* name : {"club.zep", "cut.zep"}) fs::remove(FileLock::lockPathFor(folder_ / name));
        fs::resize_file(folder_ / "cut.zep", 768 + 384 + 100);
        auto* w = new FrmZepi(fx_.ctx());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->menuAction("mInKetugo")->trigger();
        auto* k = w->findChild<FrmKetugo*>("frmKetugo");
        QVERIFY(k);
        clickFile(k, "cut.zep");
        QCOMPARE(text(k, "lblSys"), QString("tolvsys"));
        QVERIFY2(text(k, "lblChuui").startsWith("tolvsysの申込ファイルですが、正しい形ではありません（損傷 "),
                 qPrintable(text(k, "lblChuui")));
        QVERIFY(text(k, "lblChuui").endsWith("結合できません。"));
        clickFile(k, "club.zep");
        QCOMPARE(text(k, "lblChuui"), QString("tolvsysの申込ファイルです。\n\nこのまま結合できます。"));
        QTest::mouseClick(child<QPushButton>(k, "cmdKetugo"), Qt::LeftButton);
        QCOMPARE(k->store().header().total(), 2);

        tolv::gui::MessagePrompt boxes;
        fx_.ctx().prompt = &boxes;
        bool cancelFirst = false;
        tolvtest::onNextModal([&cancelFirst](QWidget* m) {
            auto* q = qobject_cast<QMessageBox*>(m);
            cancelFirst = q && q->defaultButton() == q->button(QMessageBox::Cancel);
            QTest::keyClick(m, Qt::Key_Return);
        });
        QTest::mouseClick(child<QPushButton>(k, "cmdKetugo"), Qt::LeftButton);
        fx_.ctx().prompt = &fx_.prompt();
        QVERIFY(cancelFirst);
        QCOMPARE(k->store().header().total(), 2);
    }

    void aClubFileWithDuplicatesIsMergedAndItsFindingsShown()
    {
        {
            EntryStore club;
            club.openEntryFile(folder_ / "club.zep");
            for (int n = 1; n <= 2; ++n) { // one swimmer typed twice
                club.swimmer() = EntryStore::emptySwimmer();
                club.swimmer().setSeq(n);
                club.swimmer().setBango("1000001");
                club.swimmer().setQBango("13001200105011");
                club.header().setTotal(n);
                club.writeSwimmer(n);
            }
        }
        fs::remove(FileLock::lockPathFor(folder_ / "club.zep"));
        auto* w = new FrmZepi(fx_.ctx());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->menuAction("mInKetugo")->trigger();
        auto* k = w->findChild<FrmKetugo*>("frmKetugo");
        QVERIFY(k);
        clickFile(k, "club.zep");
        fx_.prompt().clear();
        QTest::mouseClick(child<QPushButton>(k, "cmdKetugo"), Qt::LeftButton);
        QVERIFY2(fx_.prompt().said.empty(), fx_.prompt().last().c_str());
        QCOMPARE(text(k, "lblKekka"),
                 QString::fromStdString("データの指摘（結合は止めていません）:\n" + (folder_ / "club.zep").string() +
                                        ": 重複番号 1 件（「チェック」→「番号」で確認してください）\n"
                                        "2 人を結合しました（総数 3 人）"));
        QCOMPARE(tolvtest::readEntry(file_).header.total(), 3);
        QVERIFY(!fs::exists(FileLock::lockPathFor(folder_ / "club.zep")));
    }
};

QTEST_MAIN(FrmKetugoTest)
#include "FrmKetugoTest.moc"
