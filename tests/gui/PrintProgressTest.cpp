// Long prints from the lists window: the progress dialog with "中止" (nothing printed after it),
// the preview drawing only the pages it shows, and printing from it every page. Screenshots of
// the dialog and a 200-dpi picture of the entry form's time column land in build/artifacts.
#include "gui/FrmIchiran.h"
#include "gui/PrintPreview.h"
#include "print/PdfFile.h"
#include "print/PdfPrinter.h"

#include "platform/Prompt.h"
#include "reports/EntryForm.h"
#include "reports/ReportFixture.h"
#include "reports/Tally.h"
#include "storage/TeamTotalsFile.h"
#include "support/GuiTestSupport.h"

#include "FederationFile.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace tolv;
using namespace reporttest;

namespace {

const QString kArtifacts = QStringLiteral(TOLV_ARTIFACT_DIR);

// Two teams of 150 swimmers each with times in several events: 60 entry-form sheets.
struct Fixture {
    EntryFile file;
    ScriptedPrompt prompt;
    std::unique_ptr<gui::FrmIchiran> window;

    Fixture()
    {
        std::vector<Swimmer> list;
        for (int i = 0; i < 300; ++i) {
            Swimmer w;
            w.qbango = i < 150 ? "13001200101011" : "13002200101011";
            w.namae = "選手" + std::to_string(i);
            w.kiro = {{0, 2845}, {2, 10523}, {13, 13107 + i}};
            list.push_back(w);
        }
        file.addMany(list);
        reports::runTally(file.store, 0, MasterSource::local(file.dir()));
        window = std::make_unique<gui::FrmIchiran>(file.store, prompt);
        window->show();
    }
    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }
};

// Clicks "中止" of the progress dialog as soon as it shows, after a screenshot of it.
struct StopWhenShown {
    QTimer timer;
    bool seen = false;
    QString label;
    explicit StopWhenShown(const QString& screenshot)
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this, screenshot] {
            auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!progress || progress->objectName() != "PrintProgress" || seen) return;
            seen = true;
            label = progress->labelText();
            auto* stop = progress->findChild<QPushButton*>("cmdChushi");
            QVERIFY(stop);
            QCOMPARE(stop->text(), QString::fromUtf8("中止"));
            QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
            std::filesystem::create_directories(kArtifacts.toStdString());
            progress->grab().save(kArtifacts + "/" + screenshot + ".png");
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        timer.start();
    }
};

int pdfPagesOf(const std::string& pdf)
{
    auto r = tolvtest::runProgram("/usr/bin/pdfinfo", {pdf});
    const auto at = r.out.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(r.out.substr(at + 6));
}

} // namespace

class PrintProgressTest : public QObject {
    Q_OBJECT
private slots:
    void stopWhileBuildingOpensNoPreview()
    {
        Fixture f;
        gui::setProgressDelay(0);
        bool previewShown = false;
        StopWhenShown stop("print-progress-building");
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* m = QApplication::activeModalWidget(); m && m->objectName() == "PrintPreview") {
                previewShown = true;
                m->close();
            }
        });
        watch.start(0);
        f.button("cmdMoshisho")->click();
        QVERIFY(stop.seen);
        QVERIFY2(stop.label.contains(QString::fromUtf8("印刷データを作成しています")), qPrintable(stop.label));
        QVERIFY(!previewShown);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        gui::setProgressDelay(1000);
    }

    void thePreviewDrawsWhatItShowsAndPrintsEveryPageOrNothing()
    {
        Fixture f;
        const std::filesystem::path pdf = f.file.dir() / "printed.pdf";
        gui::setPrinterChooser([&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            return true;
        });
        QString pages;
        int rendered = -1;
        bool stopped = false, printedAll = false;
        QString stopLabel;
        tolvtest::onNextModal([&](QWidget* preview) {
            QTest::qWait(50);
            tolvtest::guideShot(preview, "print-preview");
            pages = preview->findChild<QLabel*>("lblPages")->text();
            rendered = preview->findChild<QWidget*>("PreviewPages")->property("pagesRendered").toInt();
            // "中止" while printing: no file is left.
            gui::setProgressDelay(0);
            {
                StopWhenShown stop("print-progress-printing");
                preview->findChild<QAction*>("actPrint")->trigger();
                stopped = stop.seen && !std::filesystem::exists(pdf);
                stopLabel = stop.label;
            }
            gui::setProgressDelay(1000);
            preview->findChild<QAction*>("actPrint")->trigger();
            printedAll = std::filesystem::exists(pdf);
            preview->close();
        });
        f.button("cmdMoshisho")->click();
        gui::setPrinterChooser(nullptr);
        QCOMPARE(pages, QString(" / 60 "));
        QVERIFY2(rendered >= 1 && rendered <= 3, qPrintable(QString::number(rendered)));
        QVERIFY2(stopped, qPrintable(stopLabel));
        QVERIFY2(stopLabel.contains(QString::fromUtf8("印刷しています")) && stopLabel.contains("/ 60"), qPrintable(stopLabel));
        QVERIFY(printedAll);
        QCOMPARE(pdfPagesOf(pdf.string()), 60);
    }

    void aFederationsEntryFormPrintedToAPdfFileIsWrittenByTheProgramsOwnWriter()
    {
        // 3,000 generated swimmers of 30 teams: every entry-form sheet, chosen as a PDF file.
        tolvtest::TempTree tree;
        const tolvbench::FederationFile fed = tolvbench::writeFederation(tree.dir(), 3000);
        EntryStore store;
        store.openEntryFile(fed.entry);
        reports::runTally(store, store.header().botai(), MasterSource::local(fed.registrationRoot));
        ScriptedPrompt prompt;
        auto window = std::make_unique<gui::FrmIchiran>(store, prompt);
        window->show();
        const std::filesystem::path pdf = tree.dir() / "form.pdf";
        gui::setPrinterChooser([&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            return true;
        });
        QString pages;
        tolvtest::onNextModal([&](QWidget* preview) {
            pages = preview->findChild<QLabel*>("lblPages")->text();
            preview->findChild<QAction*>("actPrint")->trigger();
            preview->close();
        });
        window->findChild<QPushButton*>("cmdMoshisho")->click();
        gui::setPrinterChooser(nullptr);
        const int sheets = pdfPagesOf(pdf.string());
        QVERIFY(sheets > 600);
        QCOMPARE(pages, QString(" / %1 ").arg(sheets));
        // The program's writer names itself; its form template is one object placed on every sheet.
        const std::string info = tolvtest::runProgram("/usr/bin/pdfinfo", {pdf.string()}).out;
        const auto producer = info.find("Producer:");
        QVERIFY(producer != std::string::npos);
        const std::string line = info.substr(producer, info.find('\n', producer) - producer);
        QVERIFY2(line.find("tolvsys") != std::string::npos, line.c_str());
        const std::string bytes = tolvtest::readBytes(pdf);
        QVERIFY(bytes.find("/Subtype/Form") != std::string::npos);
        const std::string text = tolvtest::runProgram("/usr/bin/pdftotext", {"-f", "1", "-l", "1", pdf.string(), "-"}).out;
        QVERIFY(text.find("大会参加申込書") != std::string::npos && text.find("登録番号") != std::string::npos);
    }

    void aFixedPartIsOneFormOnlyWhileItIsDrawnTheSameWay()
    {
        // Sheets 1 and 2 draw the part alike (one form placed twice); sheet 3 draws it otherwise
        // and gets its own text; a part running past the sheet's bottom is drawn where it lands.
        tolvtest::TempTree tree;
        const std::filesystem::path pdf = tree.dir() / "parts.pdf";
        {
            gui::PdfFile file(pdf, pdf.string());
            gui::PdfPrinter p(file);
            int sheet = 0;
            for (const char* text : {"同じ枠", "同じ枠", "別の枠"}) {
                if (sheet++) p.newPage();
                p.beginFixedPart("frame");
                p.box(100, 100, 5000, 2000, 3);
                p.printAt(200, text);
                p.endFixedPart();
                p.printAt(200, "本文");
            }
            p.newPage();
            p.beginFixedPart("long");
            p.currentY = p.pageHeight() - 250; // the first line fits, the second does not
            p.printAt(0, "前の紙");
            p.printAt(0, "次の紙");
            p.endFixedPart();
            p.endDoc();
            p.finish();
        }
        QCOMPARE(pdfPagesOf(pdf.string()), 5);
        const std::string bytes = tolvtest::readBytes(pdf);
        std::size_t forms = 0;
        for (auto at = bytes.find("/Subtype/Form"); at != std::string::npos; at = bytes.find("/Subtype/Form", at + 1)) ++forms;
        QCOMPARE(forms, std::size_t(1));
        auto pageText = [&](int page) {
            return tolvtest::runProgram("/usr/bin/pdftotext",
                                        {"-f", std::to_string(page), "-l", std::to_string(page), pdf.string(), "-"})
                .out;
        };
        for (int page : {1, 2}) QVERIFY(pageText(page).find("同じ枠") != std::string::npos);
        QVERIFY(pageText(3).find("別の枠") != std::string::npos && pageText(3).find("同じ枠") == std::string::npos);
        QVERIFY(pageText(4).find("前の紙") != std::string::npos && pageText(5).find("次の紙") != std::string::npos);
    }

    void entryFormTimesAt200Dpi()
    {
        // The first sheet's first column as a user sees it on paper, kept for looking at.
        Fixture f;
        f.window.reset(); // the lists window holds the team totals file
        TeamTotalsFile totals;
        totals.open(f.file.zedPath());
        const std::filesystem::path pdf = f.file.dir() / "form.pdf";
        gui::writePdf(pdf, [&](Printer& p) { reports::printEntryForm(p, totals, f.file.store, 1, 1); });
        std::filesystem::create_directories(kArtifacts.toStdString());
        // Column 0 spans x 2520..4020 twips and the event rows y 6900..15600, a sixth of an inch in.
        auto px = [](int twips) { return std::to_string((twips + 240) * 200 / 1440); };
        const std::string out = (kArtifacts + "/entry-form-times-200dpi").toStdString();
        auto r = tolvtest::runProgram("/usr/bin/pdftoppm", {"-r", "200", "-f", "1", "-l", "1", "-png", "-singlefile", "-x",
                                                            px(1200), "-y", px(6900), "-W", std::to_string(2900 * 200 / 1440),
                                                            "-H", std::to_string(1800 * 200 / 1440), pdf.string(), out});
        QCOMPARE(r.exitCode, 0);
        QImage image(QString::fromStdString(out + ".png"));
        QVERIFY(!image.isNull());
        // Ink in the seconds' gap of the first row (between the template's ":" and "."), none
        // right of the hundredths.
        auto inkIn = [&](int x1, int x2, int y1, int y2) {
            int n = 0;
            for (int y = (y1 - 6900) * 200 / 1440; y < (y2 - 6900) * 200 / 1440; ++y)
                for (int x = (x1 - 1200) * 200 / 1440; x < (x2 - 1200) * 200 / 1440; ++x) n += qGray(image.pixel(x, y)) < 128;
            return n;
        };
        QVERIFY(inkIn(2550 + 560, 2550 + 940, 6900, 7200) > 20);
        QCOMPARE(inkIn(2550 + 1340, 2550 + 1460, 6920, 7180), 0);
    }
};

QTEST_MAIN(PrintProgressTest)
#include "PrintProgressTest.moc"
