// Grade and age checks: the stored grade code and age against what the birth date coded in the old
// number (characters 6-13, YYYYMMDD) gives on the reference date. Layout in twips:
//
//   y 1000, x 3000  title, then two empty lines
//   x 1000          record number (right-justified in 4), " ", old number, two blanks, name
//   x 5000          affiliation
//   x 7000          "学年 : " stored "   ->   旧番号 : " expected   /   "年令 : " stored "  ->  旧番号 : " expected
#include "checks/CheckReports.h"
#include "checks/CheckSupport.h"
#include "platform/Clock.h"
#include "storage/Codes.h"

namespace tolv {
namespace {

constexpr int kTitleX = 3000;
constexpr int kTitleY = 1000;
constexpr int kRecordX = 1000;
constexpr int kAffiliationX = 5000;
constexpr int kCompareX = 7000;

// Shown in place of the expected grade when the old number holds no readable birth date.
constexpr const char* kUnreadableBirth = "生年月日不明";
// Shown instead of an expected grade or age when the birth date is no calendar date (2013-02-30).
constexpr const char* kImpossibleBirth = "暦にない生年月日";

// Digits in the birth-date part that form no calendar date: nothing can be derived from them.
bool impossibleBirth(const SwimmerRecord& s)
{
    std::optional<std::int32_t> birth = strictBirth(s);
    return birth && !isValidDate(*birth);
}

void title(Printer& p, const char* text)
{
    p.currentY = kTitleY;
    p.printAt(kTitleX, text);
    p.newLine();
    p.newLine();
}

void reportLine(Printer& p, int record, const SwimmerRecord& s, const std::string& comparison)
{
    p.printAt(kRecordX,
              rightJustified(record, 4) + " " + printedField(s, SwimmerRecord::kQBango) + "  " +
                  printedField(s, SwimmerRecord::kNamae),
              false);
    p.printAt(kAffiliationX, printedField(s, SwimmerRecord::kShozoku), false);
    p.printAt(kCompareX, comparison);
}

} // namespace

void checkGrade(const EntryStore& store, Printer& p)
{
    title(p, "学年チェック   (入力学年と旧番号の比較)");
    const EntryHeader& h = store.header();
    const int kind = h.kubun();
    // Class codes of kind 2 are typed by hand; there is nothing to compare them with.
    if (kind != 2) {
        int record = 0;
        for (const SwimmerRecord& s : allSwimmers(store)) {
            ++record;
            const std::string stored = fieldBytes(s, SwimmerRecord::kGakunen);
            const std::string shown = "学年 : " + gradeText(fromCp932(stored), kind) + "   ->   旧番号 : ";
            if (impossibleBirth(s)) {
                reportLine(p, record, s, shown + kImpossibleBirth);
                continue;
            }
            std::optional<std::string> expected = derivedGrade(s, h);
            if (!expected) {
                reportLine(p, record, s, shown + kUnreadableBirth);
                continue;
            }
            std::string code = *expected;
            code.resize(2, ' ');
            if (code != stored) reportLine(p, record, s, shown + gradeText(*expected, kind));
        }
    }
    p.endDoc();
}

void checkAge(const EntryStore& store, Printer& p)
{
    title(p, "年令チェック   (入力年令と旧番号の比較)");
    const std::string kijunBi = store.header().kijunBi();
    int record = 0;
    for (const SwimmerRecord& s : allSwimmers(store)) {
        ++record;
        if (impossibleBirth(s)) {
            reportLine(p, record, s, "年令 : " + rightJustified(s.nenrei(), 3) + "  ->  旧番号 : " + kImpossibleBirth);
            continue;
        }
        const int expected = ageOn(lenientBirth(s), kijunBi);
        if (expected != s.nenrei())
            reportLine(p, record, s, "年令 : " + rightJustified(s.nenrei(), 3) + "  ->  旧番号 : " + rightJustified(expected, 3));
    }
    p.endDoc();
}

} // namespace tolv
