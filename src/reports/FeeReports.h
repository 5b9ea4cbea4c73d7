#pragma once
// Entry fees: the amounts of a team's fifteen fee lines, the fee list "申込金一覧", the receipts
// "領収証" (one per charged line, two to a page) and the issuer sample sheet "宛名".
#include "storage/TeamTotalsFile.h"

#include <array>
#include <cstdint>
#include <string>

namespace tolv {

class Printer;
class EntryHeader;

namespace reports {

// Amounts of one team: quantity x unit price per line, their sum, and received - total.
struct TeamFees {
    std::array<std::int32_t, kFeeItems> amount{};
    std::int32_t total = 0;
    std::int32_t received = 0;
    std::int32_t difference = 0;
};
// Throws the overflow message when an amount, the total or the difference leaves 32 bits.
TeamFees teamFees(const TeamTotalRecord& team, const ZedControlRecord& control);

// Issuer lines printed at the foot of every receipt, with their font sizes in points.
struct ReceiptIssuer {
    std::array<std::string, 4> text;
    std::array<std::string, 4> size; // as typed; the numeric value is used
    static ReceiptIssuer defaults();
};
// The issuing federation's name and its address line (issuer lines 1 and 0 by default).
extern const char* const kIssuerName;
extern const char* const kIssuerAddress;

void printFeeList(Printer& p, const TeamTotalsFile& totals, const EntryHeader& h);

// Receipts for teams first..last (clamped to the teams of the file).
void printReceipts(Printer& p, const TeamTotalsFile& totals, int first, int last, const ReceiptIssuer& issuer);

// Addressee form of a team name: control characters to blanks, trimmed, then widened with leading
// blanks to 10 CP932 bytes, or narrowed by dropping its first blank while longer than 10 bytes.
std::string addresseeName(const std::string& name);
// Amount in the currency form of a Japanese system: "¥12,000", "-¥500".
std::string currencyText(long long amount);

void printAddressSample(Printer& p);

} // namespace reports
} // namespace tolv
