// The start-up window: defaults and presets, the file-name rule, opening the entry window, the
// drive question, and internet mode against a local HTTP server.
#include "gui/FrmDrive.h"
#include "gui/FrmZepi.h"
#include "gui/Pickers.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"
#include "support/HttpServer.h"

#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cstdlib>
#include <memory>

using namespace tolv;
using tolv::gui::FrmDrive;
using tolv::gui::FrmZepi;
using tolvtest::child;
using tolvtest::enterText;
using tolvtest::readBytes;

namespace fs = std::filesystem;

class FrmDriveTest : public QObject {
    Q_OBJECT

    std::unique_ptr<tolvtest::TempTree> tree_;
    std::unique_ptr<tolvtest::TestContext> t_;
    fs::path entryDir_;

    FrmDrive* open()
    {
        auto* w = new FrmDrive(t_->ctx);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowExposed(w)) qWarning("window not exposed");
        return w;
    }

    // Control files naming the entry folder and the registration root, as a user left them.
    void presetControlFiles()
    {
        ensureWorkTree();
        writeZepControl(ctlDir(), ZepControl{"c:", "c:\\entry\\", 0, ""});
        writeTorControl(ctlDir(), TorControl{"c:", "c:\\registration\\"});
        writeTenControl(ctlDir(), TenControl{"c:\\transfer\\"});
    }

    FrmZepi* entryWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* z = qobject_cast<FrmZepi*>(w); z && z->isVisible()) return z;
        return nullptr;
    }

private slots:
    void init()
    {
        tree_ = std::make_unique<tolvtest::TempTree>();
        t_ = std::make_unique<tolvtest::TestContext>();
        entryDir_ = tree_->dir() / "entry";
        for (const char* d : {"entry", "registration", "transfer"}) fs::create_directories(tree_->dir() / d);
        unsetenv("TOLVSYS_DRIVE_A");
    }

    void cleanup()
    {
        tolvtest::deleteWindows();
        t_.reset();
        tree_.reset();
        unsetenv("TOLVSYS_DRIVE_A");
    }

    void firstStartWritesDefaultsAndPresets()
    {
        setFixedNow({2009, 3, 31, 12, 0, 0});
        FrmDrive* w = open();
        for (const char* f : {"dr_zep.ctl", "dr_tor.ctl", "dr_ten.ctl", "dr_web.ctl", "ken.ctl"})
            QVERIFY2(fs::exists(ctlDir() / f), f);
        QCOMPARE(readBytes(ctlDir() / "dr_zep.ctl"), std::string("\"c:\",\"c:\\\",0,\"\"\r\n"));
        QCOMPARE(child<QLabel>(w, "lblVersion")->text().section('\n', 0, 1), QString("Ver 3.26\n2008.10.16"));
        QCOMPARE(child<QLineEdit>(w, "txtNendo")->text(), QString("2008"));
        QCOMPARE(child<QLineEdit>(w, "txtPassO")->text(), QString(kDefaultClubCode));
        auto* web = child<QComboBox>(w, "cboWeb");
        QCOMPARE(web->count(), 2);
        QCOMPARE(web->itemText(0), QString(kDefaultDownloadAddress));
        QCOMPARE(web->itemText(1), QString("新規"));
        QVERIFY(child<QRadioButton>(w, "optWeb_0")->isChecked());
        auto* patt = child<QComboBox>(w, "cboPatt");
        QCOMPARE(patt->count(), 3);
        QCOMPARE(patt->itemText(1), QString("結果(*.kek)"));
        delete w;

        setFixedNow({2009, 4, 1, 12, 0, 0});
        w = open();
        QCOMPARE(child<QLineEdit>(w, "txtNendo")->text(), QString("2009"));
    }

    void loginBoxesShowTheirWholeText()
    {
        FrmDrive* w = open();
        for (const char* name : {"txtPassO", "txtPassW"}) {
            auto* box = child<QLineEdit>(w, name);
            box->setText("password1234");
            box->setCursorPosition(0);
            // Room for twelve characters as the box draws them (echo dots for the password).
            const QString drawn = box->echoMode() == QLineEdit::Password ? box->displayText() : box->text();
            QVERIFY2(box->width() >= box->fontMetrics().horizontalAdvance(drawn), name);
        }
    }

    void fileNameRuleAndOpeningTheEntryWindow()
    {
        presetControlFiles();
        FrmDrive* w = open();
        QCOMPARE(child<tolv::gui::DirPicker>(w, "Dir1")->path(), entryDir_);
        auto* name = child<QLineEdit>(w, "txtFile");
        const std::string zepBefore = readBytes(ctlDir() / "dr_zep.ctl");

        // No "." yet: the format message, nothing else.
        name->setText("TEST");
        child<QPushButton>(w, "cmdZepi")->click();
        QCOMPARE(t_->prompt.last(), std::string("ファイル形式  ＴＥＳＴ．ｚｅｐ"));
        QVERIFY(entryWindow() == nullptr);
        QCOMPARE(readBytes(ctlDir() / "dr_zep.ctl"), zepBefore);

        // Enter completes the name with the extension of the file type; another type empties it.
        auto* patt = child<QComboBox>(w, "cboPatt");
        patt->setCurrentIndex(1);
        QCOMPARE(name->text(), QString());
        enterText(name, "abc");
        QCOMPARE(name->text(), QString("abc.kek"));
        enterText(name, "a.b");
        QCOMPARE(name->text(), QString("a.b"));
        patt->setCurrentIndex(0);
        enterText(name, "TEST");
        QCOMPARE(name->text(), QString("TEST.zep"));

        child<QPushButton>(w, "cmdZepi")->click();
        FrmZepi* z = entryWindow();
        QVERIFY(z);
        QVERIFY(!w->isVisible());
        QCOMPARE(z->windowTitle(), QString("検索・修正"));
        QCOMPARE(fs::file_size(entryDir_ / "TEST.zep"), std::uintmax_t(768));
        QCOMPARE(readBytes(ctlDir() / "dr_zep.ctl"), std::string("\"c:\",\"c:\\entry\\\",0,\"TEST.zep\"\r\n"));
        QCOMPARE(readBytes(ctlDir() / "dr_tor.ctl"), std::string("\"c:\",\"c:\\registration\\\"\r\n"));
        QCOMPARE(readBytes(ctlDir() / "dr_ten.ctl"), std::string("\"c:\\transfer\\\"\r\n"));
    }

    void clickingAFileFillsTheName()
    {
        presetControlFiles();
        tolvtest::writeBytes(entryDir_ / "old.zep", std::string(768, '\0'));
        tolvtest::writeBytes(entryDir_ / "other.kek", std::string(768, '\0'));
        FrmDrive* w = open();
        auto* files = child<tolv::gui::FilePicker>(w, "File1");
        QTRY_VERIFY(files->indexOf("old.zep").isValid() && files->fileModel()->rowCount(files->rootIndex()) == 1);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(files->indexOf("old.zep")).center());
        QCOMPARE(child<QLineEdit>(w, "txtFile")->text(), QString("old.zep"));
    }

    void driveNotReadyAsksForAFloppy()
    {
        setenv("TOLVSYS_DRIVE_A", (tree_->dir() / "floppy").c_str(), 1);
        presetControlFiles();
        FrmDrive* w = open();
        auto* drive = child<tolv::gui::DrivePicker>(w, "Drive1");
        QCOMPARE(drive->currentText(), QString("c:"));
        const int a = drive->findText("a:");
        QVERIFY(a > 0);
        t_->prompt.answers = {true, false};  // try again, then give up
        emit drive->activated(a);
        QCOMPARE(t_->prompt.asked.size(), std::size_t(2));
        QCOMPARE(t_->prompt.asked[0], std::string("a にフロッピーを入れてください。\nドライブ変更はキャンセル"));
        QCOMPARE(drive->currentText(), QString("c:"));
        QCOMPARE(child<tolv::gui::DirPicker>(w, "Dir1")->path(), entryDir_);

        fs::create_directories(tree_->dir() / "floppy");
        t_->prompt.clear();
        drive->setCurrentIndex(a);
        emit drive->activated(a);
        QVERIFY(t_->prompt.asked.empty());
        QCOMPARE(child<tolv::gui::DirPicker>(w, "Dir1")->path(), tree_->dir() / "floppy");
    }

    void internetModeChecksTheClubLogin()
    {
        presetControlFiles();
        fs::path served = tree_->dir() / "served";
        fs::path unit = served / "2008" / "tokyo";
        tolvtest::writeFixtureMaster(unit, true);
        tolvtest::writeFixturePrefectures(served / "ctl" / "ken.ctl");
        tolvtest::writeBytes(served / "2008" / "torlist.dat", "tokyo\r\nosaka\r\n");
        tolvtest::writeBytes(unit / "pass.dat", "\"99999\",\"other\"\r\n\"12345\",\"secret\"\r\n");
        tolvtest::HttpServer server(served);

        FrmDrive* w = open();
        auto* web = child<QComboBox>(w, "cboWeb");
        web->setFocus();
        web->setEditText(QString::fromStdString(server.url()));
        child<QLineEdit>(w, "txtNendo")->setFocus();  // leaving the address box keeps it
        QCOMPARE(web->itemText(0), QString::fromStdString(server.url()));
        QCOMPARE(web->itemText(web->count() - 1), QString("新規"));
        QCOMPARE(readWebControl(ctlDir())->addresses.front(), server.url());
        child<QLineEdit>(w, "txtNendo")->setText("2008");

        child<QRadioButton>(w, "optWeb_1")->click();
        auto* units = child<QListWidget>(w, "lstKen");
        QCOMPARE(units->count(), 2);
        QCOMPARE(units->item(0)->text(), QString("tokyo"));
        QVERIFY(!child<tolv::gui::DrivePicker>(w, "Drive2")->isEnabled());
        QCOMPARE(child<QLabel>(w, "lblWeb")->text(), QString::fromStdString(server.url() + "2008/"));
        child<QLineEdit>(w, "txtFile")->setText("NET.zep");
        child<QPushButton>(w, "cmdZepi")->click();  // no unit chosen yet
        QCOMPARE(t_->prompt.last(), std::string("管理ユニットを選んでください"));
        QVERIFY(entryWindow() == nullptr);
        QTest::mouseClick(units->viewport(), Qt::LeftButton, {}, units->visualItemRect(units->item(0)).center());
        QCOMPARE(child<QLabel>(w, "lblWeb")->text(), QString::fromStdString(server.url() + "2008/tokyo/"));

        child<QLineEdit>(w, "txtFile")->setText("NET.zep");
        child<QLineEdit>(w, "txtPassO")->setText("12345");
        child<QLineEdit>(w, "txtPassW")->setText("wrong");
        const std::string zepBefore = readBytes(ctlDir() / "dr_zep.ctl");
        child<QPushButton>(w, "cmdZepi")->click();
        QCOMPARE(t_->prompt.last(), std::string("パスワードが違います"));
        QVERIFY(entryWindow() == nullptr);
        QVERIFY(!fs::exists(entryDir_ / "NET.zep"));
        QCOMPARE(readBytes(ctlDir() / "dr_zep.ctl"), zepBefore);

        child<QLineEdit>(w, "txtPassW")->setText("secret");
        child<QPushButton>(w, "cmdZepi")->click();
        FrmZepi* z = entryWindow();
        QVERIFY(z);
        QCOMPARE(readBytes(tempDir() / "kanriken.ctl"), readBytes(unit / "kanriken.ctl"));
        QCOMPARE(readBytes(ctlDir() / "ken.ctl"), readBytes(served / "ctl" / "ken.ctl"));

        // A look-up fetches the master of the number's prefecture and sex.
        enterText(child<QLineEdit>(z, "txtKijunBi"), "20081016");
        child<QPushButton>(z, "cmdShinki")->click();
        enterText(child<QLineEdit>(z, "txtQBango"), "13001200105011");
        QCOMPARE(child<QLineEdit>(z, "txtNamae")->text(), QString("山田　太郎"));
        QCOMPARE(child<QLineEdit>(z, "txtShozoku")->text(), QString("さくらＳＣ"));
        QCOMPARE(readBytes(tempDir() / "kozin.dat"), readBytes(unit / "ken13" / "otoko" / "kozin.dat"));
        QCOMPARE(child<QLabel>(z, "lblToroDr")->text(), QString::fromStdString(server.url() + "2008/tokyo/ken13/otoko/"));
        enterText(child<QLineEdit>(z, "txtBiko"), "99");

        // Closing empties the working copies and shows the start-up window again.
        z->menuAction("mOwari")->trigger();
        for (const char* f : {"kozin.dat", "dantai.dat", "indexq.dat", "indext.dat", "kanriken.ctl", "torlist.dat"})
            QVERIFY2(!fs::exists(tempDir() / f), f);
        bool startShown = false;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<FrmDrive*>(top) && top->isVisible()) startShown = true;
        QVERIFY(startShown);
    }

    void unreachableAddressFallsBackToLocal()
    {
        presetControlFiles();
        FrmDrive* w = open();
        auto* web = child<QComboBox>(w, "cboWeb");
        web->setEditText(QString("http://127.0.0.1:%1/").arg(tolvtest::unusedPort()));
        child<QRadioButton>(w, "optWeb_1")->click();
        QVERIFY(QString::fromStdString(t_->prompt.last()).contains("127.0.0.1"));
        QVERIFY(child<QRadioButton>(w, "optWeb_0")->isChecked());
        QVERIFY(child<tolv::gui::DrivePicker>(w, "Drive2")->isEnabled());
        QVERIFY(!t_->ctx.session.internet());
    }

    void endButtonEndsTheProgram()
    {
        FrmDrive* w = open();
        child<QPushButton>(w, "cmdOwari")->click();
        QCOMPARE(t_->endCalls, 1);
    }
};

QTEST_MAIN(FrmDriveTest)
#include "FrmDriveTest.moc"
