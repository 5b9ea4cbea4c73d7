// The windows on a real screen size (an offscreen screen of TOLV_TEST_SCREEN, 1366x768 unless
// told): they fit, the entry window scrolls rather than squashing its boxes, the reserve panel stays
// on the screen and gives back the width it took, and the print preview opens readable with Qt's
// texts in Japanese. Screenshots are written to the build folder's artifacts folder.
#include "gui/FrmIchiran.h"
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
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
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

    void cleanup()
    {
        fx_.tearDown();
    }

    void screenIsTheOneAskedFor() { QCOMPARE(QGuiApplication::primaryScreen()->size(), screenSize()); }

    void entryWindowFitsAndScrollsInsteadOfSquashing()
    {
        FrmZepi* w = open();
        QVERIFY2(onScreen(w), qPrintable(QString("%1x%2").arg(w->frameGeometry().width()).arg(w->frameGeometry().height())));
        QVERIFY(w->minimumWidth() <= 1366 && w->minimumHeight() <= 768);
        keepScreenshot(w, "entry");  // as it opens
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
        w->menuAction("mShuIchi")->trigger();  // no tally yet: the question is answered OK
        auto* lists = w->findChild<tolv::gui::FrmIchiran*>();
        QVERIFY(lists);
        QVERIFY(QTest::qWaitForWindowExposed(lists));
        lists->move(freeArea().topLeft());
        QVERIFY(onScreen(lists));
        // The third issuer line shows its start, and the box is wide enough for it.
        auto* third = child<QLineEdit>(lists, "txtLpS_2");
        QCOMPARE(third->cursorPosition(), 0);
        QVERIFY(third->width() >= third->fontMetrics().horizontalAdvance(third->text()));
        keepScreenshot(lists, "lists");
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
    // An offscreen screen of the size asked for, unless an X server (Xvfb) of that size is used.
    if (qgetenv("QT_QPA_PLATFORM") == "xcb") {
        QApplication app(argc, argv);
        ScreenFitTest test;
        return QTest::qExec(&test, argc, argv);
    }
    const QSize s = screenSize();
    const QString config = QDir::temp().filePath(QString("tolv-screen-%1-%2.json").arg(sizeName()).arg(getpid()));
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
