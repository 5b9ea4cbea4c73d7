// The start-up window: defaults and presets, the file-name rule, opening the entry window, the
// drive question, and internet mode against a local HTTP server.
#include "gui/FrmDrive.h"
#include "gui/FrmZepi.h"
#include "gui/Pickers.h"
#include "gui/TransferDialog.h"
#include "gui/WindowPlacement.h"
#include "platform/Clock.h"
#include "platform/Download.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"
#ifndef _WIN32
#include "support/HttpServer.h"
#endif

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTreeView>
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

    tolvtest::WindowFixture fx_;
    fs::path entryDir_;

    FrmDrive* open()
    {
        auto* w = new FrmDrive(fx_.ctx());
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

    FrmDrive* startWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<FrmDrive*>(w); d && d->isVisible()) return d;
        return nullptr;
    }

    // A download area: year 2008 with the units tokyo (master, pass.dat, kanriken.ctl) and osaka,
    // year 2009 with osaka only, and ctl/ken.ctl.
    fs::path served_, unit_;
    void serveArea()
    {
        served_ = fx_.dir() / "served";
        unit_ = served_ / "2008" / "tokyo";
        tolvtest::writeFixtureMaster(unit_, true);
        tolvtest::writeFixturePrefectures(served_ / "ctl" / "ken.ctl");
        tolvtest::writeBytes(served_ / "2008" / "torlist.dat", "tokyo\r\nosaka\r\n");
        tolvtest::writeBytes(served_ / "2009" / "torlist.dat", "osaka\r\n");
        tolvtest::writeBytes(unit_ / "pass.dat", "\"99999\",\"other\"\r\n\"12345\",\"secret\"\r\n");
    }

    // The start-up window in internet mode on `url`, year 2008.
    FrmDrive* openInternet(const std::string& url)
    {
        presetControlFiles();
        FrmDrive* w = open();
        auto* web = child<QComboBox>(w, "cboWeb");
        web->setFocus();
        web->setEditText(QString::fromStdString(url));
        child<QLineEdit>(w, "txtNendo")->setFocus();
        child<QLineEdit>(w, "txtNendo")->setText("2008");
        child<QRadioButton>(w, "optWeb_1")->click();
        return w;
    }

    void clickUnit(FrmDrive* w, const QString& name)
    {
        auto* units = child<QListWidget>(w, "lstKen");
        auto found = units->findItems(name, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        QTest::mouseClick(units->viewport(), Qt::LeftButton, {}, units->visualItemRect(found.front()).center());
    }

    void login(FrmDrive* w, const char* password = "secret")
    {
        child<QLineEdit>(w, "txtFile")->setText("NET.zep");
        child<QLineEdit>(w, "txtPassO")->setText("12345");
        child<QLineEdit>(w, "txtPassW")->setText(password);
        child<QPushButton>(w, "cmdZepi")->click();
    }

    static fs::perms modeOf(const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; }
    static constexpr fs::perms kOwnerOnly = fs::perms::owner_read | fs::perms::owner_write;

    bool saidContaining(const std::string& part) const
    {
        for (const std::string& m : fx_.prompt().said)
            if (m.find(part) != std::string::npos) return true;
        return false;
    }

private slots:
    void init()
    {
        // Failures come at once instead of after the 15 seconds a user waits.
        tolv::downloadTimeouts() = tolv::DownloadTimeouts{2000, 300};
        fx_.setUpBare();
        entryDir_ = fx_.dir() / "entry";
        for (const char* d : {"entry", "registration", "transfer"}) fs::create_directories(fx_.dir() / d);
        unsetenv("TOLVSYS_DRIVE_A");
    }

    void cleanup()
    {
        fx_.tearDown();
        unsetenv("TOLVSYS_DRIVE_A");
        tolv::gui::TransferDialog::delayMs() = 1000;
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
        QCOMPARE(fx_.prompt().last(), std::string("ファイル形式  ＴＥＳＴ．ｚｅｐ"));
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
        tolvtest::guideShot(w, "startup");

        child<QPushButton>(w, "cmdZepi")->click();
        FrmZepi* z = entryWindow();
        QVERIFY(z);
        QVERIFY(!w->isVisible());
        QCOMPARE(z->windowTitle(), QString("検索・修正"));
        tolvtest::guideShot(z, "entry-new");
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

    // The highlighted file is the chosen one: arrow keys, Home/End, page keys and first letters.
    void theKeysChooseTheFileTheyHighlight()
    {
        presetControlFiles();
        for (const char* name : {"a1.zep", "b1.zep", "b2.zep", "c1.zep"})
            tolvtest::writeBytes(entryDir_ / name, std::string(768, '\0'));
        FrmDrive* w = open();
        auto* files = child<tolv::gui::FilePicker>(w, "File1");
        auto* name = child<QLineEdit>(w, "txtFile");
        QTRY_VERIFY(files->indexOf("c1.zep").isValid() && files->fileModel()->rowCount(files->rootIndex()) == 4);
        QTRY_COMPARE(files->fileModel()->index(3, 0, files->rootIndex()).data().toString(), QString("c1.zep")); // by name
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(files->indexOf("a1.zep")).center());
        QCOMPARE(name->text(), QString("a1.zep"));
        const std::pair<Qt::Key, const char*> steps[] = {{Qt::Key_Down, "b1.zep"},     {Qt::Key_End, "c1.zep"},
                                                         {Qt::Key_Up, "b2.zep"},       {Qt::Key_Home, "a1.zep"},
                                                         {Qt::Key_PageDown, "c1.zep"}, {Qt::Key_PageUp, "a1.zep"}};
        for (const auto& [key, chosen] : steps) {
            QTest::keyClick(files, key);
            QCOMPARE(name->text(), QString(chosen));
            QCOMPARE(files->fileModel()->fileName(files->currentIndex()), QString(chosen));
        }
        QTest::keyClicks(files, "b2");
        QCOMPARE(name->text(), QString("b2.zep"));

        // The folder list likewise: the highlighted folder is the current one.
        auto* dirs = child<tolv::gui::DirPicker>(w, "Dir1");
        QTest::keyClick(dirs->view(), Qt::Key_Home);
        const QString first = dirs->model()->filePath(dirs->view()->currentIndex());
        QCOMPARE(QDir::fromNativeSeparators(QString::fromStdString(dirs->path().string())), first);
        QTest::keyClick(dirs->view(), Qt::Key_Down);
        QVERIFY(dirs->model()->filePath(dirs->view()->currentIndex()) != first);
        QCOMPARE(QDir::fromNativeSeparators(QString::fromStdString(dirs->path().string())),
                 dirs->model()->filePath(dirs->view()->currentIndex()));
        QCOMPARE(files->folder(), dirs->path());
    }

    void driveNotReadyAsksForAFloppy()
    {
        setenv("TOLVSYS_DRIVE_A", (fx_.dir() / "floppy").string().c_str(), 1);
        presetControlFiles();
        FrmDrive* w = open();
        auto* drive = child<tolv::gui::DrivePicker>(w, "Drive1");
        QCOMPARE(drive->currentText(), QString("c:"));
        const int a = drive->findText("a:");
        QVERIFY(a > 0);
        fx_.prompt().answers = {true, false}; // try again, then give up
        emit drive->activated(a);
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(2));
        QCOMPARE(fx_.prompt().asked[0], std::string("a にフロッピーを入れてください。\nドライブ変更はキャンセル"));
        QCOMPARE(drive->currentText(), QString("c:"));
        QCOMPARE(child<tolv::gui::DirPicker>(w, "Dir1")->path(), entryDir_);

        fs::create_directories(fx_.dir() / "floppy");
        fx_.prompt().clear();
        drive->setCurrentIndex(a);
        emit drive->activated(a);
        QVERIFY(fx_.prompt().asked.empty());
        QCOMPARE(child<tolv::gui::DirPicker>(w, "Dir1")->path(), fx_.dir() / "floppy");
    }

#ifndef _WIN32 // the test HTTP server is a python3 script started with posix_spawn
    void internetModeChecksTheClubLogin()
    {
        serveArea();
        tolvtest::HttpServer server(served_);
        FrmDrive* w = openInternet(server.url());
        auto* web = child<QComboBox>(w, "cboWeb");
        QCOMPARE(web->itemText(0), QString::fromStdString(server.url()));
        QCOMPARE(web->itemText(web->count() - 1), QString("新規"));
        QCOMPARE(readWebControl(ctlDir())->addresses.front(), server.url());

        auto* units = child<QListWidget>(w, "lstKen");
        QCOMPARE(units->count(), 2);
        QCOMPARE(units->item(0)->text(), QString("tokyo"));
        QVERIFY(!child<tolv::gui::DrivePicker>(w, "Drive2")->isEnabled());
        QCOMPARE(child<QLabel>(w, "lblWeb")->text(), QString::fromStdString(server.url() + "2008/"));
        child<QLineEdit>(w, "txtFile")->setText("NET.zep");
        child<QPushButton>(w, "cmdZepi")->click(); // no unit chosen yet
        QCOMPARE(fx_.prompt().last(), std::string("管理ユニットを選んでください"));
        QVERIFY(entryWindow() == nullptr);
        clickUnit(w, "tokyo");
        QCOMPARE(child<QLabel>(w, "lblWeb")->text(), QString::fromStdString(server.url() + "2008/tokyo/"));
        tolvtest::guideShot(w, "startup-internet");

        const std::string zepBefore = readBytes(ctlDir() / "dr_zep.ctl");
        login(w, "wrong");
        QCOMPARE(fx_.prompt().last(), std::string("パスワードが違います"));
        QVERIFY(entryWindow() == nullptr);
        QVERIFY(!fs::exists(entryDir_ / "NET.zep"));
        QCOMPARE(readBytes(ctlDir() / "dr_zep.ctl"), zepBefore);

        login(w);
        FrmZepi* z = entryWindow();
        QVERIFY(z);
        QCOMPARE(readBytes(tempDir() / "kanriken.ctl"), readBytes(unit_ / "kanriken.ctl"));
        QCOMPARE(readBytes(ctlDir() / "ken.ctl"), readBytes(served_ / "ctl" / "ken.ctl"));

        // A look-up fetches the master of the number's prefecture and sex.
        enterText(child<QLineEdit>(z, "txtKijunBi"), "20081016");
        child<QPushButton>(z, "cmdShinki")->click();
        enterText(child<QLineEdit>(z, "txtQBango"), "13001200105011");
        QCOMPARE(child<QLineEdit>(z, "txtNamae")->text(), QString("山田　太郎"));
        QCOMPARE(child<QLineEdit>(z, "txtShozoku")->text(), QString("さくらＳＣ"));
        QCOMPARE(readBytes(tempDir() / "kozin.dat"), readBytes(unit_ / "ken13" / "otoko" / "kozin.dat"));
        QCOMPARE(child<QLabel>(z, "lblToroDr")->text(), QString::fromStdString(server.url() + "2008/tokyo/ken13/otoko/"));

        // The other sex, a number nobody has, then a reading search of both sexes: each master is
        // fetched once; the status line does not keep the last search's words while the list
        // shows, and the information line names the list the athlete came from.
        enterText(child<QLineEdit>(z, "txtQBango"), "13002195801175");
        QCOMPARE(child<QLineEdit>(z, "txtNamae")->text(), QString("高橋　花子"));
        QCOMPARE(child<QLabel>(z, "lblToroDr")->text(), QString::fromStdString(server.url() + "2008/tokyo/ken13/onna/"));
        enterText(child<QLineEdit>(z, "txtBiko"), "99");
        child<QPushButton>(z, "cmdShinki")->click();
        enterText(child<QLineEdit>(z, "txtQBango"), "13001200105019");
        QCOMPARE(z->statusBar()->currentMessage(), QString("登録データに旧番号 13001200105019 の選手はいません。"));
        auto* qb = child<QLineEdit>(z, "txtQBango");
        qb->setFocus();
        qb->selectAll();
        tolvtest::typeText(qb, "13001");
        QString whileListed = "not shown";
        tolvtest::onNextModal([&](QWidget* m) {
            whileListed = z->statusBar()->currentMessage();
            child<QPushButton>(m, "cmdNo_1")->click();
        });
        enterText(child<QLineEdit>(z, "txtKana"), "ﾔﾏﾀﾞ ﾀﾛｳ");
        QCOMPARE(whileListed, QString());
        QCOMPARE(child<QLineEdit>(z, "txtNamae")->text(), QString("佐藤　次郎"));
        QCOMPARE(child<QLabel>(z, "lblToroDr")->text(), QString::fromStdString(server.url() + "2008/tokyo/ken13/otoko/"));
        QCOMPARE(readBytes(tempDir() / "kozin.dat"), readBytes(unit_ / "ken13" / "otoko" / "kozin.dat"));
        QCOMPARE(server.requestsFor("ken13/otoko/kozin.dat"), 1);
        QCOMPARE(server.requestsFor("ken13/onna/kozin.dat"), 1);
        enterText(child<QLineEdit>(z, "txtBiko"), "99");

        // Closing empties the working copies and shows the start-up window again.
        z->menuAction("mOwari")->trigger();
        for (const auto& e : fs::directory_iterator(tempDir())) QVERIFY2(!e.is_regular_file(), e.path().string().c_str());
        QVERIFY(startWindow());
    }

    // 1: without the unit flags the entry window stays shut unless the user opens it knowing
    // that team look-ups are off.
    void missingUnitFlagsKeepTheEntryWindowShut()
    {
        serveArea();
        fs::remove(unit_ / "kanriken.ctl");
        tolvtest::HttpServer server(served_);
        FrmDrive* w = openInternet(server.url());
        clickUnit(w, "tokyo");
        login(w);
        QVERIFY(entryWindow() == nullptr);
        QCOMPARE(fx_.prompt().offered.back(), (std::vector<std::string>{"開かない", "所属の検索なしで開く"}));
        QVERIFY(
            QString::fromStdString(fx_.prompt().last())
                .startsWith(
                    "管理ユニットの設定（kanriken.ctl）を受け取れませんでした。\nサーバーにファイルがありません (HTTP 404)\n" +
                    QString::fromStdString(server.url()) + "2008/tokyo/kanriken.ctl"));
        QVERIFY(!fs::exists(entryDir_ / "NET.zep"));

        // An HTML page in its place; this time the user opens without team look-ups.
        tolvtest::writeBytes(unit_ / "kanriken.ctl", "<html><body>" + std::string(100, ' ') + "</body></html>");
        fx_.prompt().choices = {1};
        login(w);
        QVERIFY(saidContaining("受け取ったファイルの形式が正しくありません"));
        FrmZepi* z = entryWindow();
        QVERIFY(z);
        QVERIFY(!fs::exists(tempDir() / "kanriken.ctl"));
        QCOMPARE(z->statusBar()->currentMessage(),
                 QString("管理ユニットの設定（kanriken.ctl）がないため、所属の検索とﾌﾘｶﾅ・生年月日の検索はできません。"));
        // A reading search says it did not search, not that nobody has the reading.
        enterText(child<QLineEdit>(z, "txtKijunBi"), "20081016");
        child<QPushButton>(z, "cmdShinki")->click();
        auto* qb = child<QLineEdit>(z, "txtQBango");
        qb->setFocus();
        tolvtest::typeText(qb, "13001");
        enterText(child<QLineEdit>(z, "txtKana"), "ﾔﾏﾀﾞ ﾀﾛｳ");
        QCOMPARE(z->statusBar()->currentMessage(),
                 QString("管理ユニットの設定に都道府県 13 の団体リストがないため、ﾌﾘｶﾅでは検索していません。"));
    }

    // 2: the window shows the mode in force; ﾛｰｶﾙ after an internet session is local mode.
    void localAfterAnInternetSessionIsLocal()
    {
        serveArea();
        tolvtest::HttpServer server(served_);
        FrmDrive* w = openInternet(server.url());
        clickUnit(w, "tokyo");
        login(w);
        FrmZepi* z = entryWindow();
        QVERIFY(z);
        z->menuAction("mOwari")->trigger();
        FrmDrive* again = startWindow();
        QVERIFY(again);
        QVERIFY(child<QRadioButton>(again, "optWeb_1")->isChecked());
        QCOMPARE(child<QLabel>(again, "lblWeb")->text(), QString::fromStdString(server.url() + "2008/tokyo/"));
        QCOMPARE(child<QListWidget>(again, "lstKen")->count(), 2);
        QVERIFY(!child<tolv::gui::DrivePicker>(again, "Drive2")->isEnabled());
        // It came back on the screen (as far as its minimum size lets it on this small test screen).
        const QRect free = again->screen()->availableGeometry();
        const QRect frame = again->frameGeometry();
        QVERIFY2(free.contains(frame.topLeft()), qPrintable(QString("%1,%2").arg(frame.x()).arg(frame.y())));
        QVERIFY(frame.right() <= free.right() || again->width() == again->minimumSizeHint().width());
        QVERIFY(frame.bottom() <= free.bottom() || again->height() == again->minimumSizeHint().height());

        child<QRadioButton>(again, "optWeb_0")->click();
        QVERIFY(!fx_.ctx().session.internet());
        QVERIFY(child<tolv::gui::DrivePicker>(again, "Drive2")->isEnabled());
        QCOMPARE(child<QLabel>(again, "lblWeb")->text(), QString());
        const std::size_t asked = server.requests().size();
        child<QLineEdit>(again, "txtFile")->setText("LOCAL.zep");
        child<QPushButton>(again, "cmdZepi")->click();
        z = entryWindow();
        QVERIFY(z);
        QCOMPARE(server.requests().size(), asked);
        QCOMPARE(child<QLabel>(z, "lblToroDr")->text(), QString("c:\\registration\\"));
    }

    // 3: pass.dat never outlives its check, dr_web.ctl is the owner's only, and a password is
    // kept only once a login accepted it.
    void passwordsStayOffTheDisk()
    {
        serveArea();
        tolvtest::HttpServer server(served_);
        ensureWorkTree();
        writeWebControl(ctlDir(), WebControl{});
        fs::permissions(ctlDir() / "dr_web.ctl",
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
        FrmDrive* w = openInternet(server.url());
        QCOMPARE(modeOf(ctlDir() / "dr_web.ctl"), kOwnerOnly);
        clickUnit(w, "tokyo");

        // A wrong password typed and left is not stored, nor when the login refuses it.
        auto* pw = child<QLineEdit>(w, "txtPassW");
        pw->setFocus();
        pw->setText("wrong");
        child<QLineEdit>(w, "txtNendo")->setFocus();
        login(w, "wrong");
        QCOMPARE(fx_.prompt().last(), std::string("パスワードが違います"));
        QCOMPARE(readWebControl(ctlDir())->password, std::string(kDefaultPassword));
        QVERIFY(!fs::exists(tempDir() / "pass.dat"));
        // Leaving the address box keeps the typed password in its box, not on disk.
        child<QComboBox>(w, "cboWeb")->setFocus();
        child<QLineEdit>(w, "txtNendo")->setFocus();
        QCOMPARE(pw->text(), QString("wrong"));
        QCOMPARE(readWebControl(ctlDir())->password, std::string(kDefaultPassword));

        login(w);
        FrmZepi* z = entryWindow();
        QVERIFY(z);
        QVERIFY(!fs::exists(tempDir() / "pass.dat"));
        QCOMPARE(readWebControl(ctlDir())->clubCode, std::string("12345"));
        QCOMPARE(readWebControl(ctlDir())->password, std::string("secret"));
        QCOMPARE(modeOf(ctlDir() / "dr_web.ctl"), kOwnerOnly);
        z->menuAction("mOwari")->trigger();
        QVERIFY(!fs::exists(tempDir() / "pass.dat"));
        QCOMPARE(modeOf(ctlDir() / "dr_web.ctl"), kOwnerOnly);
        // A pass.dat left by a run that ended abruptly goes when the start-up window opens.
        tolvtest::writeBytes(tempDir() / "pass.dat", readBytes(unit_ / "pass.dat"));
        tolvtest::deleteWindows();
        open();
        QVERIFY(!fs::exists(tempDir() / "pass.dat"));
    }

    // 4: what breaks in a transfer is said in Japanese, with the file.
    void transferFailuresAreSaidInJapanese()
    {
        serveArea();
        {
            tolvtest::HttpServer server(served_, tolvtest::HttpServer::Drop, "torlist.dat");
            FrmDrive* w = openInternet(server.url());
            QCOMPARE(fx_.prompt().offered.back(), std::vector<std::string>{"ﾛｰｶﾙで続ける"});
            QCOMPARE(fx_.prompt().last(),
                     "管理ユニットの一覧（torlist.dat）を受け取れませんでした。\nサーバーが何も返さずに接続を切りました\n" +
                         server.url() + "2008/torlist.dat\n\nﾛｰｶﾙのデータで続けます。");
            QVERIFY(child<QRadioButton>(w, "optWeb_0")->isChecked());
            QVERIFY(!fx_.ctx().session.internet());
            tolvtest::deleteWindows();
        }
        tolvtest::HttpServer server(served_, tolvtest::HttpServer::Close, "pass.dat");
        FrmDrive* w = openInternet(server.url());
        clickUnit(w, "tokyo");
        login(w);
        QVERIFY(entryWindow() == nullptr);
        QVERIFY(saidContaining("パスワードの一覧（pass.dat）を受け取れませんでした。\n転送が途中で切れました（"));
        QCOMPARE(fx_.prompt().offered.back(), std::vector<std::string>{"戻る"});
        QVERIFY(!fs::exists(tempDir() / "pass.dat"));
    }

    // 5: a server that stalls gives up after the stall time; a trickle shows its progress and
    // 中止 ends it.
    void stalledOrTricklingTransfersCannotHangTheWindow()
    {
        serveArea();
        {
            tolvtest::HttpServer server(served_, tolvtest::HttpServer::Stall, "torlist.dat");
            openInternet(server.url());
            QVERIFY(saidContaining("時間切れです（1 秒間データが届きません）"));
            QVERIFY(!fx_.ctx().session.internet());
            tolvtest::deleteWindows();
        }
        tolv::gui::TransferDialog::delayMs() = 0;
        tolvtest::HttpServer server(served_, tolvtest::HttpServer::Trickle, "torlist.dat", 20);
        QString label;
        tolvtest::onNextModal([&](QWidget* m) {
            auto* d = qobject_cast<QProgressDialog*>(m);
            if (!d) return;
            label = d->labelText();
            fs::create_directories(TOLV_ARTIFACT_DIR);
            d->grab().save(QStringLiteral(TOLV_ARTIFACT_DIR "/transfer-dialog.png"));
            for (QPushButton* b : d->findChildren<QPushButton*>())
                if (b->text() == "中止") b->click();
        });
        FrmDrive* w = openInternet(server.url());
        QVERIFY2(label.startsWith("torlist.dat を受け取っています"), qPrintable(label));
        QVERIFY(saidContaining("中止しました"));
        QVERIFY(child<QRadioButton>(w, "optWeb_0")->isChecked());
        QVERIFY(!fs::exists(tempDir() / "torlist.dat"));
    }

    // 6: a ken.ctl that cannot be fetched leaves the good one, and one can go on with it.
    void prefectureTableFailureOffersTheGoodCopy()
    {
        serveArea();
        fs::remove(served_ / "ctl" / "ken.ctl");
        tolvtest::HttpServer server(served_);
        FrmDrive* w = openInternet(server.url());
        const std::string good = readBytes(ctlDir() / "ken.ctl");
        clickUnit(w, "tokyo");
        fx_.prompt().choices = {1};
        login(w);
        QVERIFY(entryWindow() == nullptr);
        QCOMPARE(fx_.prompt().offered.back(), (std::vector<std::string>{"手元の ken.ctl で続ける", "開かない"}));
        QVERIFY(QString::fromStdString(fx_.prompt().last())
                    .startsWith("都道府県の表（ken.ctl）を受け取れませんでした。\nサーバーにファイルがありません (HTTP 404)"));
        login(w);
        QVERIFY(entryWindow());
        QCOMPARE(readBytes(ctlDir() / "ken.ctl"), good);
    }

    // 7: unit names that are no plain folder name are left out; the others stay choosable.
    void unitNamesThatAreNoFolderAreLeftOut()
    {
        serveArea();
        tolvtest::writeBytes(served_ / "2008" / "torlist.dat", "..\r\n.\r\n%2e%2e\r\nx#y\r\n../../evil\r\ntokyo\r\n");
        tolvtest::HttpServer server(served_);
        FrmDrive* w = openInternet(server.url());
        auto* units = child<QListWidget>(w, "lstKen");
        QCOMPARE(units->count(), 1);
        QCOMPARE(units->item(0)->text(), QString("tokyo"));
        QCOMPARE(fx_.prompt().last(),
                 std::string("次の管理ユニットは名前がアドレスのフォルダ名に使えないため、一覧から外しました:\n"
                             "1 行目「..」\n2 行目「.」\n3 行目「%2e%2e」\n4 行目「x#y」\n5 行目「../../evil」"));
        clickUnit(w, "tokyo");
        login(w);
        QVERIFY(entryWindow());
    }

    // 8: another year brings its own unit list and folder; windows open on the screen.
    void anotherYearReloadsTheUnitsAndWindowsOpenOnScreen()
    {
        serveArea();
        tolvtest::HttpServer server(served_);
        FrmDrive* w = openInternet(server.url());
        clickUnit(w, "tokyo");
        enterText(child<QLineEdit>(w, "txtNendo"), "2009");
        auto* units = child<QListWidget>(w, "lstKen");
        QCOMPARE(units->count(), 1);
        QCOMPARE(units->item(0)->text(), QString("osaka"));
        QCOMPARE(child<QLabel>(w, "lblWeb")->text(), QString::fromStdString(server.url() + "2009/"));
        QCOMPARE(fx_.ctx().session.unitName, std::string());
        clickUnit(w, "osaka");
        QCOMPARE(child<QLabel>(w, "lblWeb")->text(), QString::fromStdString(server.url() + "2009/osaka/"));

        // A window last closed off the screen, or never shown, opens within it; one closed on the
        // screen opens where it was.
        QWidget other;
        other.setObjectName("frmOther");
        other.resize(300, 200);
        const QRect free = w->screen()->availableGeometry();
        tolv::gui::showPlaced(&other);
        QVERIFY(free.contains(other.frameGeometry()));
        QVERIFY(qAbs(other.frameGeometry().center().x() - free.center().x()) <= 20);
        other.move(free.right() - 50, free.bottom() - 50);
        other.close();
        tolv::gui::showPlaced(&other);
        QVERIFY(free.contains(other.frameGeometry()));
        const QPoint placed = other.pos();
        other.move(placed + QPoint(10, 10));
        other.hide();
        tolv::gui::showPlaced(&other);
        QCOMPARE(other.pos(), placed + QPoint(10, 10));
    }

    void unreachableAddressFallsBackToLocal()
    {
        presetControlFiles();
        FrmDrive* w = open();
        auto* web = child<QComboBox>(w, "cboWeb");
        web->setEditText(QString("http://127.0.0.1:%1/").arg(tolvtest::unusedPort()));
        child<QRadioButton>(w, "optWeb_1")->click();
        QVERIFY(QString::fromStdString(fx_.prompt().last()).contains("127.0.0.1"));
        QVERIFY(child<QRadioButton>(w, "optWeb_0")->isChecked());
        QVERIFY(child<tolv::gui::DrivePicker>(w, "Drive2")->isEnabled());
        QVERIFY(!fx_.ctx().session.internet());
    }

#endif
    void endButtonEndsTheProgram()
    {
        FrmDrive* w = open();
        child<QPushButton>(w, "cmdOwari")->click();
        QCOMPARE(fx_.context().endCalls, 1);
    }
};

QTEST_MAIN(FrmDriveTest)
#include "FrmDriveTest.moc"
