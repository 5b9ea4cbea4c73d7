#include "reports/IndividualLists.h"

#include "platform/Printer.h"
#include "reports/ReportText.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <algorithm>
#include <vector>

namespace tolv::reports {

namespace {

constexpr int kSwimmersPerPage = 50;
constexpr double kListFontSize = 11;

PageHead individualHead(bool events)
{
    return {1000, events ? "個  人  種  目  一  覧" : "個  人  一  覧", events ? "大会名" : "事業名", 4, " "};
}

} // namespace

std::string sexMark(const std::string& sei)
{
    if (sei == "1") return "男";
    if (sei == "2") return "女";
    if (sei == "3") return "混";
    return "";
}

std::string mainSecondaryText(const std::string& shuFuku)
{
    switch (SwimmerRecord::digitValue(shuFuku)) {
    case 0: return "  ";
    case 1: return "主";
    case 2: return "副";
    case 3: return "３";
    case 4: return "４";
    case 5: return "５";
    default: return "";
    }
}

std::string registrationDateText(int torobi)
{
    if (torobi == 0) return "    -  ";
    // Year and month, also for a registration date typed with its day (yyyymmdd).
    std::string s = rightAlign(torobi, 6);
    return s.substr(0, 4) + "-" + s.substr(4, 2);
}

std::string eventMarks(const SwimmerRecord& s)
{
    std::string out = ":";
    for (int slot = 0; slot < kEventSlots; ++slot) {
        out += s.kiro(slot) != 0 ? '*' : '-';
        if (slot == 6 || slot == 10 || slot == 14 || slot == 18 || slot == 21 || slot == 24 || slot == 28) out += ':';
    }
    return out + ":";
}

int clampFirst(const std::string& typed)
{
    long long v = numericValue(typed);
    return v < 1 ? 1 : static_cast<int>(std::min<long long>(v, 0x7fffffff));
}

int clampLast(const std::string& typed, int swimmers)
{
    long long v = numericValue(typed);
    return v > swimmers ? swimmers : static_cast<int>(std::max<long long>(v, -0x7fffffff));
}

void printIndividualList(Printer& p, const EntryStore& store, int first, int last)
{
    const EntryHeader& h = store.header();
    const bool prefecture = h.botai() == 1;
    last = std::min(last, static_cast<int>(h.total()));
    p.setFont("ＭＳ 明朝", kListFontSize);
    printPageHead(p, individualHead(false), h);
    p.printAt(500, "    名   前", false);
    p.printAt(2520, "  カ  ナ", false);
    p.printAt(4350, "性 才 学年", false);
    p.printAt(5570, "  所  属", false);
    p.printAt(6930, "ｼｮｿﾞｸ", false);
    p.printAt(7720, " 番 号    旧  番  号    ", false);
    p.printAt(10600, "登録日");
    p.print(std::string(103, '-'));
    const std::vector<SwimmerRecord> records = store.readAllSwimmers();
    for (int n = std::max(first, 1); n <= last; ++n) {
        const SwimmerRecord& s = records[std::size_t(n) - 1];
        p.print(rightAlign(n, 5) + " " + fitColumns(s.Namae(), 16), false);
        p.printAt(2520, s.Kana(), false);
        p.printAt(4350, sexMark(s.sei()) + " " + rightAlign(s.nenrei(), 2) + " " + gradeText(s.gakunen(), h.kubun()) + " ",
                  false);
        p.printAt(5570, prefecture ? s.ken() : fitColumns(s.Shozoku(), 12), false);
        p.printAt(6930, prefecture ? s.kenKana() : s.ShozokuKana(), false);
        p.printAt(7720,
                  s.Bango() + " " + s.QBango() + " " + mainSecondaryText(s.shuFuku()) + " " + registrationDateText(s.torobi()));
        if (n % kSwimmersPerPage == 0) {
            p.newPage();
            printPageHead(p, individualHead(false), h);
        }
    }
    p.endDoc();
}

void printIndividualEventList(Printer& p, const EntryStore& store, int first, int last, const std::string& fontName)
{
    const EntryHeader& h = store.header();
    last = std::min(last, static_cast<int>(h.total()));
    p.setFont(fontName, kListFontSize);
    printPageHead(p, individualHead(true), h);
    p.printAt(4820, ":自由   :背泳:平泳:バタ:個 :Ｍ :Ｆ  :");
    p.print("        名   前", false);
    p.printAt(2720, "  所  属", false);
    p.printAt(4820, ":.512485:.512:.512:.512:124:124:1248:");
    p.printAt(500, std::string(87, '-'));
    const std::vector<SwimmerRecord> records = store.readAllSwimmers();
    for (int n = std::max(first, 1); n <= last; ++n) {
        const SwimmerRecord& s = records[std::size_t(n) - 1];
        p.print(rightAlign(n, 5) + " " + fitColumns(s.Namae(), 16), false);
        p.printAt(2720, fitColumns(s.Shozoku(), 12), false);
        p.printAt(4420, sexMark(s.sei()), false);
        p.printAt(4820, eventMarks(s));
        if (n % kSwimmersPerPage == 0) {
            p.newPage();
            printPageHead(p, individualHead(true), h);
        }
    }
    p.endDoc();
}

} // namespace tolv::reports
