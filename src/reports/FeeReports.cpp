#include "reports/FeeReports.h"

#include "platform/Clock.h"
#include "platform/Printer.h"
#include "reports/ReportText.h"
#include "storage/Codes.h"
#include "storage/Records.h"

#include <algorithm>
#include <vector>

namespace tolv::reports {

const char* const kIssuerName = "日本水泳連盟";
// Line 0 stands for the issuing federation's postal code and address, which the user types in the
// window; short enough to end left of the seal box at 15 points.
const char* const kIssuerAddress = "〒000-0000 東京都（連盟所在地）";

namespace {

constexpr int kTeamsPerFeePage = 40;
constexpr int kLowerHalf = 7350;
const std::string kFeeRule = std::string(91, '-');

void feeListHeads(Printer& p, const ZedControlRecord& c, const EntryHeader& h)
{
    printPageHead(p, {1000, "申  込  金  一  覧", "事業名", 4, ":"}, h);
    for (int row = 0; row < 4; ++row) {
        for (int j = 0; j < 4; ++j) {
            int k = row * 4 + j;
            if (k >= kFeeItems) break;
            p.printAt(300 + 2500 * j, rightAlign(k + 1, 2) + " " + leftChars(c.feeName(k), 6), false);
            p.printAt(1900 + 2500 * j, rightAlign(c.price(k), 5), false);
        }
        p.newLine();
    }
    p.newLine();
    std::string numbers;
    for (int k = 1; k <= kFeeItems; ++k) numbers += rightAlign(k, 3);
    p.printAt(300, "      クラブ", false);
    p.printAt(3000, numbers + "    合計    入金   差額");
    p.printAt(300, kFeeRule);
}

int issuerSize(const std::string& typed, int fallback)
{
    long long v = numericValue(typed);
    return v > 0 && v <= 200 ? static_cast<int>(v) : fallback;
}

} // namespace

TeamFees teamFees(const TeamTotalRecord& team, const ZedControlRecord& control)
{
    TeamFees f;
    long long total = 0;
    for (int k = 0; k < kFeeItems; ++k) {
        f.amount[k] = checked32(static_cast<long long>(team.quantity(k)) * control.price(k));
        total = checked32(total + f.amount[k]);
    }
    f.total = static_cast<std::int32_t>(total);
    f.received = team.received();
    f.difference = checked32(static_cast<long long>(f.received) - f.total);
    return f;
}

ReceiptIssuer ReceiptIssuer::defaults()
{
    ReceiptIssuer r;
    r.text = {kIssuerAddress, kIssuerName, "1.本連盟は民法第34条による公益法人ですから収入印紙は添付いたしません。",
              "2.金額訂正ならびに扱者印のないものは無効です。"};
    r.size = {"15", "20", "10", "10"};
    return r;
}

void printFeeList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h)
{
    const ZedControlRecord& c = totals.control();
    const int n = totals.teamCount();
    struct Row {
        TeamTotalRecord team;
        TeamFees fees;
    };
    std::vector<Row> rows;
    std::array<long long, kFeeItems> quantitySum{};
    long long totalSum = 0, receivedSum = 0;
    for (int i = 1; i <= n; ++i) {
        TeamTotalRecord t = totals.teamAt(i);
        TeamFees f = teamFees(t, c);
        // The sums over all teams are only printed: summed in 64 bits, they fit any file the entry
        // file's limit allows (each team's own figures keep their stored widths and checks).
        for (int k = 0; k < kFeeItems; ++k) quantitySum[k] += t.quantity(k);
        totalSum += f.total;
        receivedSum += f.received;
        rows.push_back({t, f});
    }
    const long long differenceSum = receivedSum - totalSum;

    p.setFont("ＭＳ 明朝", 12);
    feeListHeads(p, c, h);
    for (int i = 1; i <= n; ++i) {
        const Row& r = rows[static_cast<std::size_t>(i - 1)];
        std::string q;
        for (int k = 0; k < kFeeItems; ++k) q += rightAlign(r.team.quantity(k), 3);
        p.printAt(300, rightAlign(i, 3) + " " + r.team.key() + " " + leftChars(r.team.shortName(), 6), false);
        p.printAt(3000, q + rightAlign(r.fees.total, 8) + rightAlign(r.fees.received, 8) + rightAlign(r.fees.difference, 7));
        if (i % kTeamsPerFeePage == 0) {
            p.printAt(300, kFeeRule);
            p.newPage();
            feeListHeads(p, c, h);
        }
    }
    p.printAt(300, kFeeRule);
    std::string q;
    for (int k = 0; k < kFeeItems; ++k) q += rightAlign(quantitySum[k], 3);
    p.printAt(3000, q + rightAlign(totalSum, 8) + rightAlign(receivedSum, 8) + rightAlign(differenceSum, 7));
    p.endDoc();
}

std::string addresseeName(const std::string& name)
{
    std::string s = blankControls(name);
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) s.clear();
    else s = s.substr(b, s.find_last_not_of(' ') - b + 1);
    std::size_t bytes = byteLength(s);
    if (bytes < 10) return std::string(10 - bytes, ' ') + s;
    while (byteLength(s) > 10) {
        std::size_t sp = s.find(' ');
        if (sp == std::string::npos) break;
        s.erase(sp, 1);
    }
    return s;
}

std::string currencyText(long long amount)
{
    std::string digits = std::to_string(amount < 0 ? -amount : amount);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return (amount < 0 ? "-¥" : "¥") + grouped;
}

void printReceipts(Printer& p, const TeamTotalsFile& totals, int first, int last, const ReceiptIssuer& issuer)
{
    const ZedControlRecord& c = totals.control();
    first = std::max(first, 1);
    last = std::min(last, totals.teamCount());
    struct Row {
        TeamTotalRecord team;
        TeamFees fees;
    };
    std::vector<Row> rows;
    for (int n = first; n <= last; ++n) {
        TeamTotalRecord t = totals.teamAt(n);
        rows.push_back({t, teamFees(t, c)});
    }
    const std::string today = todayText();
    const std::string date = today.substr(0, 4) + "年" + today.substr(5, 2) + "月" + today.substr(today.size() - 2) + "日";
    const int defaultSizes[4] = {15, 20, 10, 10};
    const int issuerX[4] = {2500, 2500, 2000, 2000};
    const int issuerY[4] = {5100, 5500, 6200, 6400};

    p.setFont("ＭＳ 明朝", 12);
    int count = 0;
    auto at = [&p](int x, int y, double size, const std::string& text) {
        if (p.fontSize() != size) p.setFontSize(size);
        p.currentY = y;
        p.printAt(x, text);
    };
    for (const Row& r : rows) {
        for (int k = 0; k < kFeeItems; ++k) {
            if (r.fees.amount[k] == 0) continue;
            ++count;
            const int o = count % 2 == 1 ? kLowerHalf : 0;
            at(3300, 400 + o, 28, "領   収   証");
            at(7500, 800 + o, 15, "No. " + r.team.key());
            at(6000, 1200 + o, 15, date);
            at(1300, 1700 + o, 20, addresseeName(r.team.name()) + "  御中");
            at(4000, 2500 + o, 28, currencyText(r.fees.amount[k]) + ".-");
            at(2000, 3600 + o, 15,
               leftChars(c.feeName(k), 6) + "@" + std::to_string(c.price(k)) + "×" + std::to_string(r.team.quantity(k)));
            at(2500, 4600 + o, 15, "上記の金額正に領収致しました");
            p.box(7900, 4700 + o, 8600, 5600 + o, 1);
            p.line(7900, 4950 + o, 8600, 4950 + o, 1);
            at(7950, 4740 + o, 10, "扱者印");
            for (int i = 0; i < 4; ++i)
                at(issuerX[i], issuerY[i] + o, issuerSize(issuer.size[static_cast<std::size_t>(i)], defaultSizes[i]),
                   issuer.text[static_cast<std::size_t>(i)]);
            if (count % 2 == 0) p.newPage();
        }
    }
    p.endDoc();
}

void printAddressSample(Printer& p)
{
    p.setFont("ＭＳ 明朝", 19);
    for (int i = 0; i < 7; ++i) {
        p.setFontSize(19 + i);
        p.printAt(1000 * (i + 1), kIssuerName);
    }
    p.setFontSize(26);
    p.currentY = 8000;
    p.printAt(8000, kIssuerName);
    p.endDoc();
}

} // namespace tolv::reports
