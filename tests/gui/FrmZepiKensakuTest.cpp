// The search dialog: lines, buttons, keypad picks and other keys.
#include "gui/FrmZepiKensaku.h"
#include "support/GuiTestSupport.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using tolv::SearchList;
using tolv::gui::FrmZepiKensaku;
using tolvtest::child;

namespace {
SearchList threeLines()
{
    SearchList l;
    l.lines = {"山田　太郎      ", "鈴木　一郎      ", "佐藤　次郎      19950310"};
    l.places[0] = 5;
    l.places[1] = 7;
    l.places[2] = 9;
    return l;
}
} // namespace

class FrmZepiKensakuTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheLinesAndNineButtons()
    {
        FrmZepiKensaku d(threeLines());
        auto* list = child<QListWidget>(&d, "lstKensaku");
        QCOMPARE(list->count(), 3);
        QVERIFY(list->item(2)->text().contains("佐藤　次郎      19950310"));
        for (int i = 0; i < 9; ++i) QCOMPARE(child<QPushButton>(&d, QString("cmdNo_%1").arg(i))->text(), QString::number(i + 1));
        QVERIFY(d.findChild<QPushButton*>("cmdNo_9") == nullptr);
    }

    void keypadDigitPicksThatLine()
    {
        FrmZepiKensaku d(threeLines());
        d.show();
        QTest::keyClick(child<QListWidget>(&d, "lstKensaku"), Qt::Key_3, Qt::KeypadModifier);
        QCOMPARE(d.picked(), 9);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!d.isVisible());
    }

    void buttonsPickAndEmptyPlacesGiveNothing()
    {
        FrmZepiKensaku d(threeLines());
        d.show();
        child<QPushButton>(&d, "cmdNo_1")->click();
        QCOMPARE(d.picked(), 7);
        FrmZepiKensaku e(threeLines());
        e.show();
        child<QPushButton>(&e, "cmdNo_8")->click();
        QCOMPARE(e.picked(), 0);
        QVERIFY(!e.isVisible());
    }

    void otherKeysClearTheChoiceAndEscapeCloses()
    {
        FrmZepiKensaku d(threeLines());
        d.show();
        auto* list = child<QListWidget>(&d, "lstKensaku");
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_A);
        QCOMPARE(d.picked(), 0);
        QVERIFY(d.isVisible());
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.picked(), 0);
    }

    void modalPickReturnsTheAthlete()
    {
        tolvtest::onNextModal(
            [](QWidget* m) { QTest::keyClick(child<QListWidget>(m, "lstKensaku"), Qt::Key_1, Qt::KeypadModifier); });
        QCOMPARE(FrmZepiKensaku::pick(threeLines(), nullptr), 5);
    }
};

QTEST_MAIN(FrmZepiKensakuTest)
#include "FrmZepiKensakuTest.moc"
