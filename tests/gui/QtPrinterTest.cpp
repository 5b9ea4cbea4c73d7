// The Qt printer on PDF: page geometry in twips, sheets begun only for drawn pages, and a failed
// report leaving no file.
#include "gui/PrintPreview.h"
#include "print/QtPrinter.h"

#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QtTest>

using namespace tolv;

namespace {

// Page objects of a PDF file.
int pdfPages(const std::string& pdf)
{
    int n = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        if (pdf.compare(at, 12, "/Type /Pages") != 0) ++n;
    return n;
}

} // namespace

class QtPrinterTest : public QObject {
    Q_OBJECT
private slots:
    void pdfPagesAreA4InTwipsAndTrailingNewPagesAreDropped()
    {
        tolvtest::TempTree t;
        const auto file = t.dir() / "out.pdf";
        int width = 0, height = 0, sheets = 0;
        gui::writePdf(file, [&](Printer& p) {
            width = p.pageWidth();
            height = p.pageHeight();
            p.printAt(1000, "一ページ目");
            p.newPage();
            p.printAt(1000, "二ページ目");
            p.newPage(); // nothing follows: no third sheet
            sheets = dynamic_cast<gui::QtPrinter&>(p).pagesDrawn();
            p.endDoc();
        });
        // A4 is 210 x 297 mm, 11906 x 16838 twips (to the PDF's whole points), less a sixth of an
        // inch (240 twips) all round.
        QVERIFY2(std::abs(width - 11426) <= 20, std::to_string(width).c_str());
        QVERIFY2(std::abs(height - 16358) <= 20, std::to_string(height).c_str());
        QCOMPARE(sheets, 2);
        QCOMPARE(pdfPages(tolvtest::readBytes(file)), 2);
        QVERIFY(!std::filesystem::exists(file.string() + ".tmp"));

        gui::writePdf(file, [&](Printer& p) {
            p.printAt(0, "a");
            p.newPage();
            p.newPage(); // a blank sheet between two drawn ones
            p.printAt(0, "b");
            p.endDoc();
        });
        QCOMPARE(pdfPages(tolvtest::readBytes(file)), 3);
    }

    void aReportThatFailsLeavesNoFile()
    {
        tolvtest::TempTree t;
        const auto file = t.dir() / "bad.pdf";
        bool thrown = false;
        try {
            gui::writePdf(file, [](Printer& p) {
                p.printAt(0, "x");
                throw TolvError("オーバーフローしました。");
            });
        } catch (const TolvError&) {
            thrown = true;
        }
        QVERIFY(thrown);
        QVERIFY(!std::filesystem::exists(file));
        QVERIFY(!std::filesystem::exists(file.string() + ".tmp"));
    }

    void fontSizesAndLineWidthsAreInTwips()
    {
        QCOMPARE(gui::QtPrinter::reportFont("ＭＳ 明朝", 12).pixelSize(), 240);
        QCOMPARE(gui::QtPrinter::reportFont("ＭＳ 明朝", 10.5).pixelSize(), 210);
        QCOMPARE(gui::QtPrinter::reportFont("ＭＳ 明朝", 28).family(), QString::fromUtf8("ＭＳ 明朝"));
        QVERIFY(gui::QtPrinter::penWidth(5) > gui::QtPrinter::penWidth(3));
        QVERIFY(gui::QtPrinter::penWidth(3) > gui::QtPrinter::penWidth(1));
        QVERIFY(gui::QtPrinter::penWidth(0) > 0);
    }
};

QTEST_MAIN(QtPrinterTest)
#include "QtPrinterTest.moc"
