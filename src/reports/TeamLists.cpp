#include "reports/TeamLists.h"

#include "platform/Cp932.h"
#include "platform/Printer.h"
#include "platform/AtomicFile.h"
#include "reports/ReportText.h"
#include "storage/TeamTotalsFile.h"
#include "storage/Codes.h"
#include "storage/Records.h"

#include <array>
#include <vector>

namespace tolv::reports {

namespace {

constexpr int kTeamsPerPage = 50;
constexpr int kTeamsPerEventPage = 10;
const std::string kTeamRule = std::string(81, '-');
const std::string kEventRule = std::string(90, '-');

// Persons, individual entries and relay entries, men / women / total each.
using NineCounts = std::array<long long, 9>;

// A team's counts keep the 16-bit range of its stored figures; the totals over all teams are only
// printed and are summed in 64 bits (`perTeam` false).
NineCounts nineOf(const std::array<long long, 8>& q, bool perTeam)
{
    NineCounts c{};
    c[0] = q[0] + q[1];
    c[1] = q[2] + q[3];
    c[2] = c[0] + c[1];
    c[3] = q[4];
    c[4] = q[5];
    c[5] = q[4] + q[5];
    c[6] = q[6];
    c[7] = q[7];
    c[8] = q[6] + q[7];
    if (perTeam)
        for (long long v : c) checked16(v);
    return c;
}

std::string nineText(const NineCounts& c)
{
    std::string s;
    for (int i = 0; i < 9; ++i) {
        if (i == 3 || i == 6) s += " ";
        s += rightAlign(c[i], 5);
    }
    return s;
}

void teamListHeads(Printer& p, const EntryHeader& h)
{
    printPageHead(p, {900, "申  込  団  体  一  覧", "事業名", 6, " "}, h);
    p.printAt(5000, "     参加者数             種    目    数 ");
    p.printAt(1000, "    団体番号 クラブ名     電光                         個  人          リレー");
    p.printAt(5000, "   男   女   計    男   女   計    男   女   計");
    p.printAt(1000, kTeamRule);
}

void cell(std::string& html, const std::string& tag, const std::string& text, const char* close = "</TD>")
{
    html += tag + text + close + "\r\n";
}

void line(std::string& html, const std::string& text) { html += text + "\r\n"; }

} // namespace

std::filesystem::path teamListHtmlPath(const std::filesystem::path& entryFile)
{
    std::string name = entryFile.filename().string();
    return entryFile.parent_path() / (name.substr(0, name.find('.')) + "1.html");
}

std::string printTeamList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h)
{
    const int n = totals.teamCount();
    struct Row {
        TeamTotalRecord team;
        NineCounts counts;
    };
    std::vector<Row> rows;
    std::array<long long, 8> sum{};
    for (int i = 1; i <= n; ++i) {
        TeamTotalRecord t = totals.teamAt(i);
        std::array<long long, 8> q{};
        for (int k = 0; k < 8; ++k) {
            q[k] = t.quantity(k);
            sum[k] += q[k];
        }
        rows.push_back({t, nineOf(q, true)});
    }
    const NineCounts totalCounts = nineOf(sum, false);

    std::string html;
    line(html, "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>");
    line(html, "<TABLE BORDER=\"0\" WIDTH=\"100%\" HEIGHT=\"100%\">");
    cell(html, "<TR><TD COLSPAN=\"2\" ALIGN=\"CENTER\">", "団体");
    cell(html, "<TD >", "クラブ名");
    cell(html, "<TD >", "電光");
    cell(html, "<TD COLSPAN=\"3\" ALIGN=\"CENTER\">", "参加者数");
    cell(html, "<TD COLSPAN=\"6\" ALIGN=\"CENTER\">", "種    目    数");
    line(html, "</TR>");
    cell(html, "<TR><TD COLSPAN=\"7\">", "");
    cell(html, "<TD COLSPAN=\"3\" ALIGN=\"CENTER\">", "個  人");
    cell(html, "<TD COLSPAN=\"3\" ALIGN=\"CENTER\">", "リレー");
    cell(html, "<TD COLSPAN=\"3\" ALIGN=\"CENTER\">", "");
    cell(html, "<TD COLSPAN=\"6\" ALIGN=\"CENTER\">", "");
    line(html, "</TR>");
    line(html, "</TR>");
    cell(html, "<TR><TD COLSPAN=\"4\">", "");
    for (int g = 0; g < 3; ++g)
        for (const char* label : {"男", "女", "計"}) cell(html, "<TD ALIGN=\"RIGHT\">", label);
    line(html, "</TR>");

    p.setFont("ＭＳ 明朝", 12);
    teamListHeads(p, h);
    for (int i = 1; i <= n; ++i) {
        const Row& row = rows[static_cast<std::size_t>(i - 1)];
        const std::string key = row.team.key(), shortName = row.team.shortName(), board = row.team.scoreboard();
        p.printAt(1000, rightAlign(i, 5) + " " + key + " " + fitColumns(shortName, 12), false);
        p.printAt(4000, leftChars(board, 6), false);
        p.printAt(5000, nineText(row.counts));

        cell(html, "<TR><TD ALIGN=\"RIGHT\">", std::to_string(i));
        cell(html, "<TD>", key);
        cell(html, "<TD>", shortName);
        cell(html, "<TD>", board);
        for (int c = 0; c < 9; ++c)
            cell(html, "<TD ALIGN=\"RIGHT\">", std::to_string(row.counts[c]), c == 8 ? "</TD></TR>" : "</TD>");

        if (i % kTeamsPerPage == 0) {
            p.printAt(1000, kTeamRule);
            p.newPage();
            teamListHeads(p, h);
        }
    }
    p.printAt(1000, kTeamRule);
    p.printAt(5000, nineText(totalCounts));
    p.endDoc();

    cell(html, "<TR><TD COLSPAN=\"4\">", "");
    for (int c = 0; c < 9; ++c) cell(html, "<TD ALIGN=\"RIGHT\">", std::to_string(totalCounts[c]));
    line(html, "</TR>");
    line(html, "</TABLE></BODY></HTML>");
    return html;
}

void writeTeamListHtml(const std::filesystem::path& htmlFile, const std::string& html) { replaceFile(htmlFile, toCp932(html)); }

void printTeamList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h, const std::filesystem::path& htmlFile)
{
    writeTeamListHtml(htmlFile, printTeamList(p, totals, h));
}

void printEventList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h, bool reserveSlots)
{
    const int first = reserveSlots ? kFirstReserveSlot : 0;
    const int count = reserveSlots ? kReserveEvents : kStandardSlots;
    const int n = totals.teamCount();

    std::vector<TeamTotalRecord> teams;
    for (int i = 1; i <= n; ++i) {
        teams.push_back(totals.teamAt(i));
        for (int s = first; s < first + count; ++s)
            checked16(static_cast<long long>(teams.back().entries(s, TeamTotalRecord::Men)) +
                      teams.back().entries(s, TeamTotalRecord::Women));
    }

    auto heads = [&] {
        printPageHead(p, {1000, reserveSlots ? "団  体  種  目  (予備)  一  覧" : "団  体  種  目  一  覧", "事業名", 4, " "}, h);
        if (reserveSlots) {
            p.printAt(500, "    .  .  .  .  .  .  .: .  .  .  .: .  .  .  .: .  .  .  .: .  .  .: .  .  .: .  .  .  .: ");
        } else {
            p.printAt(500, "   自由形               背泳ぎ       平泳ぎ      バタフライ  個人メド Ｍリレ  Ｆリレ");
            p.printAt(500, "    .  5  1  2  4  8 15: .  5  1  2: .  5  1  2: .  5  1  2: 1  2  4: 1  2  4: 1  2  4  8: ");
        }
        p.printAt(500, kEventRule);
    };

    p.setFont("ＭＳ 明朝", 12);
    heads();
    for (int i = 1; i <= n; ++i) {
        const TeamTotalRecord& t = teams[static_cast<std::size_t>(i - 1)];
        p.printAt(400, rightAlign(i, 3) + "   " + t.key() + " " + fitColumns(t.shortName(), 12));
        std::string men = "男", women = "女", both = "計";
        for (int s = first; s < first + count; ++s) {
            long long m = t.entries(s, TeamTotalRecord::Men), w = t.entries(s, TeamTotalRecord::Women);
            men += rightAlign(m, 3);
            women += rightAlign(w, 3);
            both += rightAlign(m + w, 3);
        }
        p.printAt(500, men);
        p.printAt(500, women);
        p.printAt(500, both);
        p.newLine();
        if (i % kTeamsPerEventPage == 0) {
            p.newPage();
            heads();
        }
    }
    p.endDoc();
}

} // namespace tolv::reports
