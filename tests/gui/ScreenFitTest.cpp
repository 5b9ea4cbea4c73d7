// The windows on a real screen size (an offscreen screen of TOLV_TEST_SCREEN, 1366x768 unless
// told): they fit, the entry window scrolls rather than squashing its boxes, the reserve panel stays
// on the screen and gives back the width it took, and the print preview opens readable with Qt's
// texts in Japanese. Screenshots are written to the build folder's artifacts folder.
#include "gui/FrmIchiran.h"
#include "gui/FrmKetugo.h"
#include "gui/MessagePrompt.h"
#include "gui/Pickers.h"
#include "platform/FileLock.h"
#include "gui/FrmZepi.h"
#include "gui/PrintPreview.h"
#include "gui/Translations.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "storage/ControlFiles.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <QDir>

#include <memory>
#include <unistd.h>

using namespace tolv;
using tolv::gui::FrmZepi;
using tolvtest::child;

namespace fs = std::filesystem;

namespace {

QSize screenSize()
{
    const QByteArray s = qgetenv("TOLV_TEST_SCREEN");
    const QList<QByteArray> wh = (s.isEmpty() ? QByteArray("1366x768") : s).split('x');
    return QSize(wh.value(0).toInt(), wh.value(1).toInt());
}

QString sizeName() { return QString("%1x%2").arg(screenSize().width()).arg(screenSize().height()); }

void keepScreenshot(QWidget* w, const QString& name)
{
    const QString folder = QStringLiteral(TOLV_ARTIFACT_DIR);
    fs::create_directories(folder.toStdString());
    QVERIFY(w->grab().save(folder + "/" + name + "-" + sizeName() + ".png"));
    // Under a real X server (scripts/screenshots.sh) the whole screen as well.
    if (QGuiApplication::platformName() == "xcb")
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(folder + "/screen-" + name + "-" + sizeName() + ".png"));
}

QRect freeArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// The window's frame lies wholly in the screen's free area.
bool wholly(QWidget* w) { return freeArea().contains(w->frameGeometry()); }

QString where(QWidget* w)
{
    const QRect r = w->frameGeometry();
    return QString("%1 at %2,%3 size %4x%5").arg(w->objectName()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The visible top-level window other than `besides` (the one a menu item just opened).
QWidget* openedWindow(QWidget* besides)
{
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t != besides && t->isVisible() && t->isWindow() && !t->inherits("QMenu")) return t;
    return nullptr;
}

// An entry file of two swimmers with the same registration number (a data finding, no damage).
void writeClubFile(const fs::path& path)
{
    EntryStore club;
    club.openEntryFile(path);
    for (int n = 1; n <= 2; ++n) {
        club.swimmer() = EntryStore::emptySwimmer();
        club.swimmer().setSeq(n);
        club.swimmer().setBango("1000001");
        club.swimmer().setQBango("13001200105011");
        club.header().setTotal(n);
        club.writeSwimmer(n);
    }
}

bool onScreen(QWidget* w)
{
    const QRect frame = w->frameGeometry();
    return freeArea().contains(frame) || (frame.width() <= freeArea().width() && frame.height() <= freeArea().height() &&
                                          frame.left() >= freeArea().left() && frame.right() <= freeArea().right());
}

} // namespace

class ScreenFitTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path entryDir_, file_;

    FrmZepi* open()
    {
        auto* w = new FrmZepi(fx_.ctx());
        w->move(freeArea().topLeft());
        w->show();
        if (!QTest::qWaitForWindowExposed(w)) qWarning("window not exposed");
        return w;
    }

private slots:
    void init()
    {
        fx_.setUpWithMaster();
        entryDir_ = fx_.entryDir();
        file_ = fx_.file();
        EntryStore store;
        store.openEntryFile(file_);
        store.header().setKijunBi("2008/10/16");
        store.swimmer() = EntryStore::emptySwimmer();
        store.swimmer().setSeq(1);
        store.swimmer().setQBango("13001200105011");
        store.swimmer().setNamae("山田　太郎");
        store.swimmer().setKana("ﾔﾏﾀﾞ ﾀﾛｳ");
        store.swimmer().setSei("1");
        store.swimmer().setKiro(1, 2990);
        store.swimmer().setKiro(9, 10523);
        store.header().setTotal(1);
        store.writeSwimmer(1);
    }

    void cleanup() { fx_.tearDown(); }

    void screenIsTheOneAskedFor() { QCOMPARE(QGuiApplication::primaryScreen()->size(), screenSize()); }

    void entryWindowFitsAndScrollsInsteadOfSquashing()
    {
        FrmZepi* w = open();
        QVERIFY2(onScreen(w), qPrintable(QString("%1x%2").arg(w->frameGeometry().width()).arg(w->frameGeometry().height())));
        QVERIFY(w->minimumWidth() <= 1366 && w->minimumHeight() <= 768);
        keepScreenshot(w, "entry"); // as it opens
        // Every time box keeps the height it needs, whatever the window's height.
        w->resize(w->width(), w->minimumHeight());
        QTest::qWait(0);
        for (int slot : {0, 21, 43}) {
            auto* box = child<QLineEdit>(w, QString("txtKiro_%1").arg(slot));
            QVERIFY(box->height() >= box->minimumSizeHint().height());
        }
        QVERIFY(child<QScrollArea>(w, "scrZepi"));
    }

    void everyEventBoxAndReserveRowShowsWithoutScrolling()
    {
        FrmZepi* w = open();
        child<QPushButton>(w, "cmdYobi")->click();
        QTest::qWait(0);
        QVERIFY(onScreen(w));
        auto* scroll = child<QScrollArea>(w, "scrZepi");
        QWidget* view = scroll->viewport();
        auto inView = [view](QWidget* b) {
            const QRect r(b->mapTo(view, QPoint(0, 0)), b->size());
            return view->rect().contains(r);
        };
        for (int slot = 0; slot < 44; ++slot) {
            auto* box = child<QLineEdit>(w, QString("txtKiro_%1").arg(slot));
            QVERIFY2(inView(box), qPrintable(box->objectName()));
        }
        for (int row = 0; row < 15; ++row) {
            auto* name = child<QLineEdit>(w, QString("txtYobi_%1").arg(row));
            QVERIFY2(inView(name), qPrintable(name->objectName()));
        }
        keepScreenshot(w, "entry-all-slots");
    }

    void reservePanelOpensOnTheScreenAndGivesTheWidthBack()
    {
        FrmZepi* w = open();
        const QSize before = w->size();
        child<QPushButton>(w, "cmdYobi")->click();
        QTest::qWait(0);
        QVERIFY(onScreen(w));
        QVERIFY(w->width() >= before.width());
        keepScreenshot(w, "entry-reserve");
        child<QPushButton>(w, "cmdYobi")->click();
        QCOMPARE(w->size(), before);
    }

    void listsWindowFits()
    {
        FrmZepi* w = open();
        w->menuAction("mShuIchi")->trigger(); // no tally yet: the question is answered OK
        auto* lists = w->findChild<tolv::gui::FrmIchiran*>();
        QVERIFY(lists);
        QVERIFY(QTest::qWaitForWindowExposed(lists));
        lists->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(lists));
        QVERIFY2(wholly(lists), qPrintable(where(lists)));
        // Fees typed and left by Tab are kept: the amounts follow.
        for (const auto& [box, value] :
             {std::pair{"txtNyukin", "32400"}, std::pair{"txtTanka_0", "500"}, std::pair{"txtKazu_0", "3"}}) {
            auto* e = child<QLineEdit>(lists, box);
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, value);
            QTest::keyClick(e, Qt::Key_Tab);
        }
        QCOMPARE(child<QLineEdit>(lists, "txtNyukin")->text(), QString("32400"));
        QCOMPARE(child<QLabel>(lists, "lblKingaku_0")->text(), QString("1500"));
        QCOMPARE(child<QLabel>(lists, "lblSagaku")->text(), QString("30900"));
        // The third issuer line shows its start, and the box is wide enough for it.
        auto* third = child<QLineEdit>(lists, "txtLpS_2");
        QCOMPARE(third->cursorPosition(), 0);
        QVERIFY(third->width() >= third->fontMetrics().horizontalAdvance(third->text()));
        keepScreenshot(lists, "lists");
    }

    // Every window the entry window opens, and the start-up window, opens wholly on the screen.
    void everyWindowOpensWhollyOnTheScreen()
    {
        FrmZepi* w = open();
        QVERIFY2(wholly(w), qPrintable(where(w)));
        for (const char* item : {"mShuIchi", "mShuKozin", "mInKetugo", "mOutSwmToro", "mOutSeiko", "mInMcompd"}) {
            QAction* a = w->menuAction(item);
            QVERIFY2(a && a->isEnabled(), item);
            a->trigger();
            QWidget* opened = openedWindow(w);
            QVERIFY2(opened, item);
            QVERIFY(QTest::qWaitForWindowExposed(opened));
            QVERIFY2(wholly(opened), qPrintable(QString(item) + ": " + where(opened)));
            opened->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QTRY_VERIFY(w->isVisible());
        }
        w->menuAction("mOwari")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QWidget* start = openedWindow(nullptr);
        QVERIFY(start && start->objectName() == "frmDrive");
        QVERIFY2(wholly(start), qPrintable(where(start)));
    }

    // After 28 merges the merge window's buttons are where they were, its findings scroll, and it
    // is still wholly on the screen.
    void mergeWindowAfter28Merges()
    {
        for (int i = 1; i <= 28; ++i) {
            const fs::path club = entryDir_ / QString("club%1.zep").arg(i, 2, 10, QChar('0')).toStdString();
            writeClubFile(club);
            fs::remove(FileLock::lockPathFor(club));
        }
        FrmZepi* w = open();
        w->menuAction("mInKetugo")->trigger();
        auto* k = w->findChild<tolv::gui::FrmKetugo*>("frmKetugo");
        QVERIFY(k && QTest::qWaitForWindowExposed(k));
        QVERIFY2(wholly(k), qPrintable(where(k)));
        auto* files = child<tolv::gui::FilePicker>(k, "File1");
        auto* merge = child<QPushButton>(k, "cmdKetugo");
        const QPoint buttonAt = merge->mapTo(k, QPoint(0, 0));
        QTRY_VERIFY(files->indexOf("club28.zep").isValid());
        QTRY_COMPARE(files->fileModel()->index(0, 0, files->rootIndex()).data().toString(), QString("club01.zep"));
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(files->indexOf("club01.zep")).center());
        for (int i = 1; i <= 28; ++i) {
            const QString name = QString("club%1.zep").arg(i, 2, 10, QChar('0'));
            QVERIFY2(child<QLabel>(k, "lblYomiFile")->text().endsWith(name),
                     qPrintable(name + " / " + child<QLabel>(k, "lblYomiFile")->text() + " / " +
                                files->currentIndex().data().toString() +
                                QString(" active %1 focus %2").arg(k->isActiveWindow()).arg(files->hasFocus())));
            QTest::mouseClick(merge, Qt::LeftButton);
            QCOMPARE(merge->mapTo(k, QPoint(0, 0)), buttonAt);
            files->setFocus();
            if (i < 28) QTest::keyClick(files, Qt::Key_Down); // the next file is chosen by the arrow key
        }
        QVERIFY2(fx_.prompt().said.empty(), fx_.prompt().last().c_str());
        QCOMPARE(w->store().isOpen() ? 0 : 1, 1);
        QCOMPARE(child<QLabel>(k, "lblKekka")->text().count(QString::fromUtf8("重複番号 1 件")), 28);
        QVERIFY(child<QLabel>(k, "lblKekka")->text().endsWith(QString::fromUtf8("2 人を結合しました（総数 57 人）")));
        // The area shows its end, the newest result.
        QScrollBar* bar = child<QScrollArea>(k, "scrKekka")->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY2(wholly(k), qPrintable(where(k)));
        keepScreenshot(k, "merge-28");
    }

    // A short message box is wide enough for its title; a long list shows its start and the whole
    // of it behind the Japanese 詳細 button.
    void messageBoxesFitTheirTitleAndKeepLongListsInTheirDetails()
    {
        QVERIFY(!tolv::gui::installQtTranslations("C").isEmpty());
        tolv::gui::MessagePrompt boxes;
        int width = 0, needed = 0;
        tolvtest::onNextModal([&](QWidget* m) {
            width = m->width();
            QFont bold = m->font();
            bold.setBold(true);
            needed = QFontMetrics(bold).horizontalAdvance(m->windowTitle()) + 120;
            m->close();
        });
        boxes.tell("転送先メディア準備");
        QVERIFY2(width >= needed, qPrintable(QString("%1 < %2").arg(width).arg(needed)));

        std::string list = "書き出さなかった選手:";
        for (int n = 1; n <= 60; ++n) list += "\n" + std::to_string(n) + " 選手" + std::to_string(n);
        QString details, shown, button;
        tolvtest::onNextModal([&](QWidget* m) {
            auto* box = qobject_cast<QMessageBox*>(m);
            details = box->detailedText();
            shown = box->text();
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == QMessageBox::ActionRole) button = b->text();
            box->close();
        });
        boxes.tell(list);
        QVERIFY(details.endsWith(QString::fromUtf8("60 選手60")));
        QVERIFY(!shown.contains(QString::fromUtf8("60 選手60")));
        QVERIFY2(button.contains(QString::fromUtf8("詳細")), qPrintable(button));
    }

    // Qt's file lists (the file dialogs) name a folder and write a date in Japanese.
    void fileListsSpeakJapanese()
    {
        QVERIFY(!tolv::gui::installQtTranslations("C").isEmpty());
        fs::create_directories(entryDir_ / "sub");
        QFileSystemModel model;
        model.setRootPath(QString::fromStdString(entryDir_.string()));
        const QModelIndex sub = model.index(QString::fromStdString((entryDir_ / "sub").string()));
        QTRY_VERIFY(model.type(sub) != QString());
        QCOMPARE(model.type(sub), QString::fromUtf8("フォルダー"));
        const QString date = model.index(sub.row(), 3, sub.parent()).data().toString();
        QVERIFY2(date.contains(QString::number(QDate::currentDate().year()) + "/"), qPrintable(date));
    }

    void previewOpensReadableFitToWidthAndInJapanese()
    {
        QVERIFY(!tolv::gui::installQtTranslations("C").isEmpty());
        QSize size;
        bool fitToWidth = false;
        QStringList texts;
        tolvtest::onNextModal([&](QWidget* m) {
            size = m->size();
            auto* fit = m->findChild<QAction*>("actFitWidth");
            fitToWidth = m->findChild<QWidget*>("PreviewPages") && fit && fit->isChecked();
            for (QAction* a : m->findChildren<QAction*>()) texts << a->text();
            QTest::qWait(50);
            keepScreenshot(m, "preview");
            m->close();
        });
        tolv::gui::printWithPreview(nullptr, [](Printer& p) {
            p.setFont("ＭＳ 明朝", 12);
            p.printAt(1000, "申込一覧　見本");
            p.endDoc();
        });
        QVERIFY(size.width() >= freeArea().width() * 8 / 10);
        QVERIFY(size.height() >= freeArea().height() * 8 / 10);
        QVERIFY(fitToWidth);
        QVERIFY2(!texts.contains("Print") && !texts.contains("Page setup"), qPrintable(texts.join("|")));
        QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(), QString("キャンセル"));
    }
};

int main(int argc, char** argv)
{
    tolv::gui::preferJapaneseDates(); // as the program does
    // An offscreen screen of the size asked for, unless an X server (Xvfb) of that size is used.
    if (qgetenv("QT_QPA_PLATFORM") == "xcb") {
        QApplication app(argc, argv);
        ScreenFitTest test;
        return QTest::qExec(&test, argc, argv);
    }
    const QSize s = screenSize();
    const QString name = QString("tolv-screen-%1-%2.json").arg(sizeName()).arg(getpid());
#ifdef _WIN32
    // Qt cuts the platform's arguments at colons: the file is named without its drive there, in
    // the folder the test runs in.
    const QString config = name;
#else
    const QString config = QDir::temp().filePath(name);
#endif
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) return 2;
    f.write(QString(R"({"screens":[{"name":"screen","x":0,"y":0,"width":%1,"height":%2,"logicalDpi":96,"dpr":1}]})")
                .arg(s.width())
                .arg(s.height())
                .toUtf8());
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    QApplication app(argc, argv);
    ScreenFitTest test;
    const int rc = QTest::qExec(&test, argc, argv);
    QFile::remove(config);
    return rc;
}

#include "ScreenFitTest.moc"
