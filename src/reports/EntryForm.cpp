#include "reports/EntryForm.h"

#include "platform/Cp932.h"
#include "platform/Printer.h"
#include "reports/ReportText.h"
#include "reports/Tally.h"
#include "storage/TeamTotalsFile.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace tolv::reports {

namespace {

// Sheet geometry in twips.
constexpr int kLeft = 1200, kRight = 11020, kTop = 4800, kBottom = 15600;
constexpr int kRow = 300;
constexpr int kPersonalBottom = 6900;    // below the seven personal rows
constexpr int kStrokeColumnRight = 1500; // stroke names stand left of it
constexpr int kDistanceX = 1900;         // distance labels of the event rows
constexpr int kFirstColumnLine = 2520, kColumnWidth = 1500, kColumns = 5;
constexpr int kGroupBottoms[] = {9000, 10200, 11400, 12600, 13500, 14400};
constexpr int kFormFontSize = 10;

struct Label {
    const char* text;
    int y;
};
const Label kPersonalLabels[] = {{" 登録番号", 4860}, {" 主 ・ 副", 5160},  {" 登 録 日", 5460}, {" ﾌ ﾘ ｶ ﾅ", 5760},
                                 {" 名    前", 6060}, {"学年・年令", 6360}, {"生年月日性", 6660}};
const Label kStrokeLabels[] = {{"自", 7210},  {"由", 7810},  {"形", 8410},  {"背", 9160},  {"泳", 9460},  {"ぎ", 9760},
                               {"平", 10360}, {"泳", 10660}, {"ぎ", 10960}, {"バ", 11410}, {"タ", 11640}, {"フ", 11870},
                               {"ラ", 12100}, {"イ", 12330}, {"個", 12610}, {"人", 12910}, {"メ", 13210}, {"Ｍ", 13650},
                               {"Ｒ", 13960}, {"Ｆ", 14560}, {"Ｒ", 15160}};

// Distance label of event row t (1..29, slot t - 1).
const char* distanceLabel(int t)
{
    switch (t) {
    case 1:
    case 8:
    case 12:
    case 16: return "  25m";
    case 2:
    case 9:
    case 13:
    case 17: return "  50m";
    case 4:
    case 11:
    case 15:
    case 19:
    case 21:
    case 24:
    case 27: return " 200m";
    case 5:
    case 22:
    case 25:
    case 28: return " 400m";
    case 6:
    case 29: return " 800m";
    case 7: return "1500m";
    default: return " 100m";
    }
}

void textAt(Printer& p, int x, int y, const std::string& text)
{
    p.currentY = y;
    p.printAt(x, text);
}

void drawTemplate(Printer& p)
{
    p.box(kLeft, kTop, kRight, kBottom, 5);
    for (int y = kTop + kRow; y < kPersonalBottom; y += kRow) p.line(kLeft, y, kRight, y, 1);
    p.line(kLeft, kPersonalBottom, kRight, kPersonalBottom, 3);
    for (int y = kPersonalBottom + kRow; y < kBottom; y += kRow) {
        bool groupEnd = std::find(std::begin(kGroupBottoms), std::end(kGroupBottoms), y) != std::end(kGroupBottoms);
        if (groupEnd) p.line(kLeft, y, kRight, y, 3);
        else p.line(kStrokeColumnRight, y, kRight, y, 1);
    }
    p.line(kStrokeColumnRight, kPersonalBottom, kStrokeColumnRight, kBottom, 1);
    for (int k = 0; k <= kColumns; ++k) {
        int x = kFirstColumnLine + kColumnWidth * k;
        p.line(x, kTop, x, kBottom, 1);
    }
    for (const Label& l : kPersonalLabels) textAt(p, 1345, l.y, l.text);
    for (const Label& l : kStrokeLabels) textAt(p, 1245, l.y, l.text);
    for (int t = 1; t <= kStandardSlots; ++t) textAt(p, kDistanceX, 6660 + kRow * t, distanceLabel(t));
    for (int c = 0; c < kColumns; ++c) textAt(p, 2550 + kColumnWidth * c + 660, 6360, "･");
}

// The blank time template ":    ." of every event row of a column, drawn with the column's swimmer
// (or for an empty column when the sheet ends): a row holding a result mark ("参加") shows the mark
// alone, not the mark over the template's ":" with its "." left beside it.
void drawTimeTemplates(Printer& p, int column, const SwimmerRecord* s)
{
    const int x0 = 2550 + kColumnWidth * column;
    for (int t = 1; t <= kStandardSlots; ++t)
        if (!s || !isResultMark(s->kiro(t - 1))) textAt(p, x0 + 450, 6660 + kRow * t, ":    .");
}

void drawHead(Printer& p, const EntryHeader& h, const TeamTotalRecord& t, int sheet, int sheets)
{
    p.setFontSize(20);
    textAt(p, 4200, 750, "大会参加申込書");
    textAt(p, 9270, 750, std::to_string(sheet) + "/" + std::to_string(sheets));
    textAt(p, 6520, 1650, t.key() + "  " + t.shortName());
    p.setFontSize(15);
    textAt(p, 1200, 1650, "大会名  " + h.zigyo());
    textAt(p, 1200, 2150, "期　日  " + h.stBi() + " ～ " + h.enBi());
    textAt(p, 1200, 2650, "場　所  " + h.basho());
    textAt(p, 1200, 3150, "コード  " + h.tcod());
    p.setFontSize(13);
    textAt(p, 6520, 2150, "団体名　" + t.name());
    textAt(p, 6520, 2550, "　　〒　" + t.postal());
    textAt(p, 6520, 2800, "住　所　" + t.address1());
    textAt(p, 6520, 3050, "　　　　" + t.address2());
    textAt(p, 6520, 3450, "代表者　" + t.representative());
    textAt(p, 6520, 3850, "責任者　");
    textAt(p, 6520, 4250, "電　話　" + t.phone());
    p.setFontSize(kFormFontSize);
}

std::string registrationMonth(std::int32_t torobi)
{
    if (torobi == 0) return "      ";
    std::string s = rightAlign(torobi, 6);
    return s.substr(0, 4) + "-" + s.substr(4, 2);
}

// The last nine characters of QBango as birth date and sex digit: "yyyy-mm-dd-s".
std::string birthAndSex(const std::string& qbango)
{
    std::u32string q = toUtf32(qbango);
    constexpr std::size_t tail = SwimmerRecord::kQBangoBirthSexChars;
    std::u32string t = q.size() > tail ? q.substr(q.size() - tail) : q;
    t.resize(tail, U' ');
    return fromUtf32(t.substr(0, 4)) + "-" + fromUtf32(t.substr(4, 2)) + "-" + fromUtf32(t.substr(6, 2)) + "-" +
           fromUtf32(t.substr(8, 1));
}

// A time in the gaps of the row's blank template ":    ." (10 points at x0 + 450): its minutes
// right before the template's ":", its seconds between ":" and ".", its hundredths after the ".".
// The template's own ":" and "." stand between them, so the pieces are placed by the template's
// positions whatever widths the face gives its characters. A mark ("参加", ...) is printed whole.
constexpr int kColonLeft = 450, kColonRight = 550, kPointLeft = 950, kPointRight = 1050;

void printTime(Printer& p, int x0, int y, const std::string& time)
{
    const bool clock = time.size() == 8 && (time[2] == ':' || time.compare(0, 3, "   ") == 0) && time[5] == '.';
    if (!clock) {
        textAt(p, x0 + 200, y, time);
        return;
    }
    const std::string minutes = time.substr(0, 2), seconds = time.substr(3, 2), hundredths = time.substr(6, 2);
    if (minutes != "  ") textAt(p, x0 + kColonLeft - p.textWidth(minutes), y, minutes);
    textAt(p, x0 + (kColonRight + kPointLeft - p.textWidth(seconds)) / 2, y, seconds);
    textAt(p, x0 + kPointRight, y, hundredths);
}

void drawSwimmer(Printer& p, const SwimmerRecord& s, int number, int column)
{
    const int x0 = 2550 + kColumnWidth * column;
    textAt(p, x0 + 1050, 4550, std::to_string(number));
    textAt(p, x0 + 300, 4850, s.Bango());
    int kind = SwimmerRecord::digitValue(s.shuFuku());
    textAt(p, x0 + 500, 5150, kind == 1 ? "主" : kind == 2 ? "副" : "");
    textAt(p, x0 + 300, 5450, registrationMonth(s.torobi()));
    textAt(p, x0, 5750, leftChars(s.Kana(), 12));
    textAt(p, x0, 6050, leftChars(s.Namae(), 8));
    textAt(p, x0 + 200, 6350, s.gakunen());
    textAt(p, x0 + 800, 6350, std::to_string(s.nenrei()));
    textAt(p, x0 + 100, 6650, birthAndSex(blankControls(s.QBango())));
    bool big = false;
    for (int slot = 0; slot < kStandardSlots; ++slot) {
        std::int32_t v = s.kiro(slot);
        if (v == 0) continue;
        if (!big) p.setFontSize(14), big = true;
        printTime(p, x0, 6900 + kRow * slot, formatTime(v));
    }
    if (big) p.setFontSize(kFormFontSize);
}

} // namespace

void printEntryForm(Printer& p, const TeamTotalsFile& totals, const EntryStore& store, int first, int last)
{
    const EntryHeader& h = store.header();
    const int botai = h.botai();
    first = std::max(first, 1);
    last = std::min(last, totals.teamCount());

    // The swimmers of each team key in record order, found in one pass.
    const std::vector<SwimmerRecord> records = store.readAllSwimmers();
    std::unordered_map<std::string, std::vector<int>> byTeam;
    if (first <= last)
        for (std::size_t i = 0; i < records.size(); ++i) byTeam[teamKeyOf(records[i], botai)].push_back(int(i) + 1);

    p.setFont("ＭＳ 明朝", kFormFontSize);
    int sheetCount = 0;
    for (int n = first; n <= last; ++n) {
        const TeamTotalRecord t = totals.teamAt(n);
        const std::string key = t.keyBytes();
        const long long persons = static_cast<long long>(t.quantity(0)) + t.quantity(1) + t.quantity(2) + t.quantity(3);
        const long long sheets = (persons - 1) / 5 + 1;
        auto members = byTeam.find(key);
        if (members == byTeam.end()) continue;
        int d = 0;
        for (int i : members->second) {
            const SwimmerRecord& s = records[std::size_t(i) - 1];
            ++d;
            if (d % 5 == 1) {
                if (++sheetCount > 1) p.newPage();
                p.beginFixedPart("entry-form");
                drawTemplate(p);
                p.endFixedPart();
                drawHead(p, h, t, (d - 1) / 5 + 1, static_cast<int>(sheets));
            }
            drawTimeTemplates(p, (d - 1) % 5, &s);
            drawSwimmer(p, s, i, (d - 1) % 5);
        }
        // The empty columns of the team's last sheet.
        for (int c = (d - 1) % 5 + 1; c < kColumns; ++c) drawTimeTemplates(p, c, nullptr);
    }
    p.endDoc();
}

} // namespace tolv::reports
