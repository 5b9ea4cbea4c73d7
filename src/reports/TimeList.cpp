#include "reports/TimeList.h"

#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Printer.h"
#include "reports/ReportText.h"
#include "reports/Tally.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

namespace tolv::reports {

namespace {

const char* const kLabels[kIndividualSlots] = {"  25 自 ", "  50 自 ", " 100 自 ", " 200 自 ", " 400 自 ", " 800 自 ",
                                               "1500 自 ", "  25 背 ", "  50 背 ", " 100 背 ", " 200 背 ", "  25 平 ",
                                               "  50 平 ", " 100 平 ", " 200 平 ", "  25 バ ", "  50 バ ", " 100 バ ",
                                               " 200 バ ", " 100 個 ", " 200 個 ", " 400 個 "};

// Starts a new sheet when the next line would not fit on this one.
void ensureLine(Printer& p)
{
    if (p.currentY + p.textHeight() > p.pageHeight()) {
        p.newPage();
        p.currentY = 0;
    }
}

void pageHead(Printer& p, const SwimmerRecord& s, const std::string& key, int lines)
{
    if (lines != 0) p.newPage();
    p.currentY = 1000;
    p.printAt(2850, "* * *  競 技 会 申 し 込 み (ｴﾝﾄﾘｰTIME) 一 覧 表  * * *");
    p.printAt(9620, std::string("PAGE = ") + "1");
    p.printAt(9620, "日付 : " + todayText());
    p.newLine();
    p.printAt(400, "登録団体名(NO) : " + blankControls(fromCp932(s.raw(SwimmerRecord::kShozoku))), false);
    p.printAt(3350, "(" + fromCp932(key) + ")");
    p.printAt(7460, "種目  ＝  ", false);
    p.printAt(8270, "自 : 自由形    背 : 背泳ぎ");
    p.printAt(8270, "平 : 平泳ぎ    バ : バタフライ");
    p.printAt(8270, "個 : 個人メドレー");
    p.newLine();
    p.printAt(100, "SEQ    競 技 者      性別  学種    年齢", false);
    p.printAt(4000, "距離 種  TIME    :  距離 種  TIME    :  距離 種  TIME    :  距離 種  TIME");
    p.printAt(100, std::string(120, '-'));
}

} // namespace

std::string timeListLabel(int slot) { return slot >= 0 && slot < kIndividualSlots ? kLabels[slot] : ""; }

void printTimeList(Printer& p, const EntryStore& store, int botai, const std::string& fontName)
{
    p.setFont(fontName, 9);
    int lines = 0;
    std::string previous;
    bool first = true;
    for (const SwimmerRecord& s : store.readAllSwimmers()) {
        std::string key = teamKeyOf(s, botai);
        if (first || key != previous) {
            pageHead(p, s, key, lines);
            previous = key;
            first = false;
        }
        ++lines;
        // A missing 14th character compares below "5" as well.
        std::u32string q = toUtf32(s.QBango());
        constexpr std::size_t digit = SwimmerRecord::kQBangoSexDigit.first;
        const char sexDigit = q.size() >= digit && q[digit - 1] >= U'5' ? '2' : '1';
        ensureLine(p);
        p.printAt(100, rightAlign(lines, 3) + "   " + leftChars(s.Namae(), 8), false);
        p.printAt(2150, std::string(1, sexDigit), false);
        p.printAt(2730, s.gakunen() + "    " + Printer::numberItem(s.nenrei()), false);
        p.currentX = 4000;
        for (int slot = 0; slot < kIndividualSlots; ++slot) {
            std::int32_t v = s.kiro(slot);
            if (v == 0) continue;
            p.print(kLabels[slot] + formatTime(v) + "    ", false);
        }
        p.newLine();
    }
    p.endDoc();
}

} // namespace tolv::reports
