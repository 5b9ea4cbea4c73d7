// Pages as a device makes them: every report of a generated federation file drawn on sheets of
// the PDF's printable area. Every text item of the print log lands on exactly one sheet, inside
// it; reports that make their own pages keep exactly their pages; a report that runs on continues
// on as few sheets as hold its lines (a line goes to the next sheet only when it would not fit).
#include "FederationFile.h"
#include "checks/CheckMenu.h"
#include "checks/CheckReports.h"
#include "platform/PagedPrinter.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "registration/RegistrationDocs.h"
#include "reports/EntryForm.h"
#include "reports/FeeReports.h"
#include "reports/IndividualLists.h"
#include "reports/ReportFixture.h"
#include "reports/Tally.h"
#include "reports/TeamLists.h"
#include "storage/TeamTotalsFile.h"
#include "reports/TimeList.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tolv;
using namespace tolv::reports;
using reporttest::Op;

namespace {

// What a device got: per sheet its text items (x, y on the sheet, height, text), and whether any
// drawing left the sheet.
class SheetRecorder : public PagedPrinter {
public:
    struct Item {
        int x, y, height;
        std::string text;
    };
    SheetRecorder(int width, int height) : width_(width), height_(height) {}
    int pageWidth() const override { return width_; }
    int pageHeight() const override { return height_; }

    std::vector<std::vector<Item>> sheets;
    int outside = 0;

protected:
    void doFont(const std::string&, double) override {}
    void sheetBegin(int page) override { sheets.resize(std::size_t(page) + 1); }
    void sheetText(int x, int y, std::string_view text) override
    {
        sheets.back().push_back({x, y, textHeight(), std::string(text)});
        if (y < 0 || y + textHeight() > height_) ++outside;
    }
    void sheetLine(int, int y1, int, int y2, int) override { inside(y1, y2); }
    void sheetBox(int, int y1, int, int y2, int) override { inside(y1, y2); }
    void sheetEnd() override {}

private:
    void inside(int y1, int y2)
    {
        if (std::min(y1, y2) < 0 || std::max(y1, y2) > height_) ++outside;
    }
    int width_, height_;
};

constexpr int kPdfWidth = 11426, kPdfHeight = 16358; // A4 less a sixth of an inch all round

class SizedLog : public PrintLog {
public:
    SizedLog(std::ostream& out, int height) : PrintLog(out), height_(height) {}
    int pageWidth() const override { return kPdfWidth; }
    int pageHeight() const override { return height_; }

private:
    int height_;
};

struct Outcome {
    int sheets = 0;
    int continued = 0;
};

// Draws the report on the log and on sheets of the given height and checks them against each other.
Outcome drawOnSheets(const std::string& name, const std::function<void(Printer&)>& draw, int height)
{
    SCOPED_TRACE(name + " on sheets " + std::to_string(height) + " high");
    // The log of the same job on the same sheets: a report that fits its own pages to the
    // printer's (the time list) breaks where it would on them.
    std::ostringstream out;
    SizedLog log(out, height);
    draw(log);
    const std::vector<Op> ops = reporttest::parseLog(out.str());
    SheetRecorder sheets(kPdfWidth, height);
    draw(sheets);
    EXPECT_EQ(sheets.outside, 0);

    // The same items in the same order, each once; y moved up by the sheet's offset.
    std::vector<const Op*> texts;
    for (const Op& op : ops)
        if (op.kind == "text") texts.push_back(&op);
    std::size_t at = 0;
    std::vector<int> offsets;
    for (const auto& sheet : sheets.sheets) {
        offsets.push_back(sheet.empty() || at >= texts.size() ? 0 : texts[at]->n[1] - sheet.front().y);
        for (const SheetRecorder::Item& item : sheet) {
            if (at >= texts.size()) break;
            const Op& op = *texts[at++];
            EXPECT_EQ(item.x, op.n[0]) << op.text;
            EXPECT_EQ(item.text, op.text);
            EXPECT_EQ(op.n[1] - item.y, offsets.back()) << op.text;
        }
    }
    EXPECT_EQ(at, texts.size());
    // A sheet begun by running on (its items moved up) holds what did not fit on the one before.
    for (std::size_t k = 1; k < sheets.sheets.size(); ++k) {
        if (offsets[k] <= 0 || sheets.sheets[k - 1].empty() || sheets.sheets[k].empty()) continue;
        const SheetRecorder::Item& last = sheets.sheets[k - 1].back();
        const SheetRecorder::Item& next = sheets.sheets[k].front();
        EXPECT_GT(offsets[k] + next.height - offsets[k - 1], height) << "sheet " << k << ": " << next.text;
        EXPECT_EQ(next.y, 0);
        EXPECT_LT(last.y, height);
    }
    return {sheets.pages(), sheets.continuedPages()};
}

// Sheets the report asked for: its page records, less trailing ones nothing was drawn after.
int ownPages(const std::function<void(Printer&)>& draw, int height = kPdfHeight)
{
    std::ostringstream out;
    SizedLog log(out, height);
    draw(log);
    const auto pages = reporttest::pages(reporttest::parseLog(out.str()));
    std::size_t n = pages.size();
    while (n > 1 && pages[n - 1].empty()) --n;
    return int(n);
}

} // namespace

TEST(PageContinuation, EveryReportKindReachesTheSheets)
{
    tolvtest::TempTree tree;
    setFixedNow({2024, 5, 1, 10, 0, 0});
    const tolvbench::FederationFile f = tolvbench::writeFederation(tree.dir(), 6000, 7, ctlDir());
    ScriptedPrompt prompt(false);
    EntryStore store;
    store.openEntryFile(f.entry);
    const EntryHeader& h = store.header();

    // The checks print their findings without page breaks of their own (number, old number and
    // kana have them every 60 lines): on sheets five lines high every one of them runs on.
    for (const CheckMenuItem& item : checkMenuItems()) {
        if (item.kind != CheckKind::Report) continue;
        auto draw = [&](Printer& p) { item.run(store, &p, prompt); };
        const Outcome a4 = drawOnSheets(item.cliName, draw, kPdfHeight);
        EXPECT_EQ(a4.sheets, ownPages(draw) + a4.continued) << item.cliName;
        const Outcome small = drawOnSheets(item.cliName, draw, 1000);
        EXPECT_GT(small.continued, 0) << item.cliName;
        EXPECT_EQ(small.sheets, ownPages(draw, 1000) + small.continued) << item.cliName;
    }
    EXPECT_GT(drawOnSheets(
                  "same-time", [&](Printer& p) { checkSameTime(store, p); }, kPdfHeight)
                  .continued,
              0);

    // The lists make their own pages, which fit the sheet: exactly those pages, none run on.
    runTally(store, h.botai(), MasterSource::local(f.registrationRoot), &prompt);
    {
        TeamTotalsFile priced; // prices, so that there are receipts
        priced.open(teamTotalsPath(f.entry));
        for (int k = 0; k < 8; ++k) priced.control().setPrice(k, 500 + 250 * k);
        priced.writeControl();
    }
    TeamTotalsFile totals;
    totals.open(teamTotalsPath(f.entry));
    registration::CsvLines teamLines{{"SQ", "団体"}};
    for (int i = 1; i <= 150; ++i)
        teamLines.push_back({std::to_string(i), "団体" + std::to_string(i), "1", "2", "3", "4", "5", "6"});
    const std::vector<std::pair<std::string, std::function<void(Printer&)>>> lists = {
        {"team-list", [&](Printer& p) { printTeamList(p, totals, h); }},
        {"events", [&](Printer& p) { printEventList(p, totals, h, false); }},
        {"events-reserve", [&](Printer& p) { printEventList(p, totals, h, true); }},
        {"fee-list", [&](Printer& p) { printFeeList(p, totals, h); }},
        {"receipts", [&](Printer& p) { printReceipts(p, totals, 1, totals.teamCount(), ReceiptIssuer::defaults()); }},
        {"entry-form", [&](Printer& p) { printEntryForm(p, totals, store, 1, totals.teamCount()); }},
        {"individuals", [&](Printer& p) { printIndividualList(p, store, 1, h.total()); }},
        {"individual-events", [&](Printer& p) { printIndividualEventList(p, store, 1, h.total()); }},
        {"time-list", [&](Printer& p) { printTimeList(p, store, h.botai()); }},
        {"registration team list", [&](Printer& p) { registration::printTeamList(p, teamLines); }},
    };
    for (const auto& [name, draw] : lists) {
        const int own = ownPages(draw);
        EXPECT_GT(own, 1) << name;
        const Outcome o = drawOnSheets(name, draw, kPdfHeight);
        EXPECT_EQ(o.continued, 0) << name;
        EXPECT_EQ(o.sheets, own) << name;
    }
}

TEST(PageContinuation, LinesOfOneItemStayTogetherAndAWindowStopsTheRun)
{
    // Sheets of five 10-point lines: the sixth line starts sheet 2 at the top; its second item,
    // taller, stays with it; a page of the report's own starts again at its own y.
    auto draw = [](Printer& p) {
        for (int i = 0; i < 6; ++i) p.print("line " + std::to_string(i));
        p.currentY -= 200;
        p.currentX = 3000;
        p.setFontSize(14);
        p.print("tall");
        p.setFontSize(10);
        p.newPage();
        p.currentY = 400;
        p.print("own page");
        p.newPage();
        p.endDoc();
    };
    SheetRecorder all(kPdfWidth, 1000);
    draw(all);
    ASSERT_EQ(all.pages(), 3);
    EXPECT_EQ(all.continuedPages(), 1);
    ASSERT_EQ(all.sheets[1].size(), 2u);
    EXPECT_EQ(all.sheets[1][0].text, "line 5");
    EXPECT_EQ(all.sheets[1][0].y, 0);
    EXPECT_EQ(all.sheets[1][1].x, 3000);
    EXPECT_EQ(all.sheets[1][1].y, 0);
    EXPECT_EQ(all.sheets[2][0].y, 400);

    // Only sheet 1 reaches the device; the run ends where sheet 2 would begin.
    SheetRecorder window(kPdfWidth, 1000);
    window.setPageWindow(1, 1);
    std::vector<int> begun;
    window.onPageBegun = [&](int page) { begun.push_back(page); };
    EXPECT_THROW(draw(window), PagedPrinter::PagesDone);
    EXPECT_EQ(begun, (std::vector<int>{0, 1}));
    ASSERT_EQ(window.sheets.size(), 2u);
    EXPECT_TRUE(window.sheets[0].empty());
    EXPECT_EQ(window.sheets[1].size(), 2u);
}
