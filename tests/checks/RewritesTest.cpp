// Bulk rewrites, checked in the entry file's bytes: the expected file is the file before the pass
// with exactly the rewritten fields patched.
#include "checks/Rewrites.h"
#include "checks/EntryFixture.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace checktest;
using tolvtest::sj;
using S = SwimmerRecord;

TEST(Rewrites, KanaTurnsFullWidthBlanksIntoBlanksByteForByte)
{
    EntryFixture f;
    for (const char* k : {"ﾔﾏﾀﾞ　ﾀﾛｳ", "ヤマダ　ハナコ", "ﾔﾏﾀﾞﾊﾅｺ", "メ@"}) f.add({.kana = k}); // メ@ is 83 81 40
    std::string expected = f.bytes();
    patch(expected, 1, S::kKana.offset, sj("ﾔﾏﾀﾞ ﾀﾛｳ") + std::string(8, ' '));
    patch(expected, 2, S::kKana.offset, sj("ヤマダ ハナコ") + std::string(3, ' '));
    rewriteKana(f.store);
    EXPECT_EQ(f.bytes(), expected);
}

TEST(Rewrites, AgeComesFromTheBirthDateOnTheReferenceDate)
{
    EntryFixture f("2005/04/01");
    f.add({.qbango = "13001199804021"});
    f.add({.qbango = "13001199804011"});              // birthday on the reference date counts as reached
    f.add({.qbango = "13001        1", .nenrei = 9}); // no birth date: the typed age stays
    std::string expected = f.bytes();
    patch(expected, 1, S::kNenrei.offset, leBytes(6, 2));
    patch(expected, 2, S::kNenrei.offset, leBytes(7, 2));
    rewriteAge(f.store);
    EXPECT_EQ(f.bytes(), expected);
}

TEST(Rewrites, GradeUsesSchoolYearsFromTheSecondOfApril)
{
    EntryFixture f("2005/04/01", 0);
    for (const char* q : {"13001199804021", "13001199004011", "13001199004021"}) f.add({.qbango = q});
    f.add({.qbango = "13001        1", .gakunen = "31"}); // unreadable birth dates keep their grade
    f.add({.qbango = "130011998O4021", .gakunen = "32"});
    auto expectGrades = [&](std::vector<const char*> codes) {
        f.store.saveHeader();
        std::string expected = f.bytes();
        for (int n = 1; n <= 3; ++n) patch(expected, n, S::kGakunen.offset, codes[n - 1]);
        rewriteGrade(f.store);
        EXPECT_EQ(f.bytes(), expected);
    };
    expectGrades({"08", "23", "22"}); // 1 April 1990 belongs to the 1989 cohort
    f.store.header().setKijunBi("2005/04/02");
    expectGrades({"11", "31", "23"});

    // Masters bands by age on the reference date: 23, 24, 25, 104, 105.
    EntryFixture m("2008/10/16", 1);
    for (const char* q : {"13001198410171", "13001198410161", "13001198310161", "13001190410161", "13001190310161"})
        m.add({.qbango = q});
    std::string expected = m.bytes();
    int n = 0;
    for (const char* code : {"51", "51", "52", "67", "68"}) patch(expected, ++n, S::kGakunen.offset, code);
    rewriteGrade(m.store);
    EXPECT_EQ(m.bytes(), expected);
    // Kind 2 class codes cannot be derived: the typed ones stay.
    m.store.header().setKubun(2);
    rewriteGrade(m.store);
    EXPECT_EQ(m.bytes().substr(384 * 10), expected.substr(384 * 10));
}

TEST(Rewrites, CompanyGradeBandsAndRegistrationKinds)
{
    EntryFixture f;
    for (int age : {0, 29, 30, 39, 40, 49, 50, 88}) f.add({.nenrei = age});
    std::string expected = f.bytes();
    int n = 0;
    for (const char* code : {"70", "70", "71", "71", "72", "72", "73", "73"}) patch(expected, ++n, S::kGakunen.offset, code);
    rewriteCompanyGrade(f.store);
    EXPECT_EQ(f.bytes(), expected);
    using Rewrite = void (*)(EntryStore&);
    for (auto [rewrite, kind] :
         {std::pair<Rewrite, const char*>{rewriteSecondaryRegistration, "2"}, {rewriteMainRegistration, "1"}}) {
        rewrite(f.store);
        for (n = 1; n <= 8; ++n) patch(expected, n, S::kShuFuku.offset, kind);
        EXPECT_EQ(f.bytes(), expected) << kind;
    }
}

TEST(Rewrites, PrefectureComesFromTheTableByTheOldNumbersFirstTwoCharacters)
{
    EntryFixture f;
    // 00, non-numeric and a code beyond the table all blank the prefecture.
    for (const char* q : {"13001199804021", "00001199804021", "ab001199804021", "99001199804021", "01001199804021"})
        f.add({.qbango = q, .ken = "大阪府"});
    ensureWorkTree();
    std::vector<Prefecture> table(47);
    table[0] = {"北海道", "ﾎｯｶｲﾄﾞ", ""};
    table[12] = {"東京都", "ﾄｳｷｮｳ", "xx"};
    writePrefectureTable(ctlDir() / "ken.ctl", table);
    std::string expected = f.bytes();
    for (int n = 2; n <= 4; ++n) patch(expected, n, S::kKen.offset, std::string(8, ' '));
    patch(expected, 1, S::kKen.offset, sj("東京都  ﾄｳｷｮｳ "));
    patch(expected, 5, S::kKen.offset, sj("北海道  ﾎｯｶｲﾄﾞ"));
    rewritePrefecture(f.store);
    EXPECT_EQ(f.bytes(), expected);

    // Without the table the pass stops at the first record that needs it instead of blanking it.
    std::filesystem::remove(ctlDir() / "ken.ctl");
    for (int n = 1; n <= 5; ++n) f.store.readSwimmer(n), f.store.swimmer().setKen("大阪府"), f.store.writeSwimmer(n);
    expected = f.bytes();
    EXPECT_THROW(rewritePrefecture(f.store), TolvError);
    EXPECT_EQ(f.bytes(), expected);
}

TEST(Rewrites, SameTimeMovesTheLaterOfEachEqualPairOneHundredthBack)
{
    EntryFixture f;
    auto add = [&](const char* sei, std::map<int, std::int32_t> kiro) { f.add({.sei = sei, .kiro = kiro}); };
    add("1", {{1, 2845}, {2, 666666}});  // 1
    add("1", {{1, 2845}, {2, 595900}});  // 2
    add("1", {{1, 2845}, {3, 15999}});   // 3: a run of three in slot 1
    add("2", {{1, 2845}, {4, 888888}});  // 4: other sex
    add("2", {{3, 15999}, {4, 888888}}); // 5
    add("2", {{3, 15999}});              // 6
    add("1", {{3, 15999}, {28, 30000}}); // 7
    add("3", {{28, 30000}});             // 8
    add("3", {{28, 30000}, {29, 3000}}); // 9
    add("3", {{29, 3000}});              // 10: reserve events take no part
    std::string expected = f.bytes();
    auto kiro = [&](int n, int slot, std::int32_t v) { patch(expected, n, S::kKiro.offset + 4 * slot, leBytes(v, 4)); };
    kiro(2, 1, 2846), kiro(3, 1, 2846);
    kiro(1, 2, 595900), kiro(2, 2, 595901); // 参加 becomes 59:59.00, then equals swimmer 2
    kiro(7, 3, 20000), kiro(6, 3, 20000);   // 1:59.99 carries into the minutes
    kiro(9, 28, 30001);
    // Two equal marks (棄権, swimmers 4 and 5) are no times and stay.
    rewriteSameTime(f.store);
    EXPECT_EQ(f.bytes(), expected);
    EXPECT_EQ(oneHundredthLater(2899), 2900);
    EXPECT_EQ(oneHundredthLater(595999), 600000);
    // Nothing outside the time coding: the largest time and values that are no time stay.
    EXPECT_EQ(oneHundredthLater(995999), 995999);
    EXPECT_EQ(oneHundredthLater(2147483647), 2147483647);
}

TEST(Rewrites, SameTimeLeavesValuesThatAreNoTime)
{
    EntryFixture f;
    for (int i = 0; i < 3; ++i) f.add({.qbango = "13001199804021"});
    for (int n = 1; n <= 3; ++n) {
        SwimmerRecord s = f.store.swimmerAt(n);
        s.setKiro(1, 2147483647);
        f.store.swimmer() = s;
        f.store.writeSwimmer(n);
    }
    const std::string expected = f.bytes();
    rewriteSameTime(f.store);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(f.store.swimmerAt(n).kiro(1), 2147483647);
    EXPECT_TRUE(f.bytes() == expected);
}

TEST(Rewrites, TheSwimmerBufferShowsTheCurrentSwimmerAsRewritten)
{
    EntryFixture f;
    for (int i = 0; i < 3; ++i) f.add({.qbango = "13001199804021"});
    f.store.readSwimmer(2);
    rewriteSecondaryRegistration(f.store);
    EXPECT_TRUE(f.store.swimmer() == f.store.swimmerAt(2));
    EXPECT_EQ(f.store.swimmer().shuFuku(), "2");

    // After a re-sort a record's seq may name another position: the record is found by its bytes.
    f.store.readSwimmer(3);
    f.store.swimmer().setSeq(1);
    f.store.swimmer().setNamae("三番目");
    f.store.writeSwimmer(3);
    rewriteMainRegistration(f.store);
    EXPECT_TRUE(f.store.swimmer() == f.store.swimmerAt(3));
    EXPECT_EQ(f.store.swimmer().shuFuku(), "1");

    // A new swimmer not yet written is put back untouched, also when the pass stops with an error.
    f.store.readSwimmer(0);
    f.store.swimmer().setNamae("入力中");
    const SwimmerRecord typing = f.store.swimmer();
    EXPECT_THROW(rewritePrefecture(f.store, f.dir() / "none" / "ken.ctl"), TolvError);
    EXPECT_TRUE(f.store.swimmer() == typing);
}

TEST(Rewrites, RecordsAreWrittenAsReadingThemIntoTheBufferMakesThem)
{
    // Discipline flags of numeric value 0 become "000000" in every record a pass writes, as the
    // buffer makes them; records a pass leaves alone keep their bytes.
    EntryFixture f;
    f.add({.shubetu = ""});
    f.add({.shubetu = "010000"});
    f.add({.sei = "2", .shubetu = "", .kiro = {{1, 3000}}});
    f.add({.sei = "2", .shubetu = "0", .kiro = {{1, 3000}}});
    f.store.readSwimmer(0);
    std::fill_n(f.store.swimmer().bytes().data() + S::kShubetu.offset, 6, '\0');
    f.store.writeSwimmer(5);
    f.store.header().setTotal(5);
    f.store.saveHeader();

    std::string expected = f.bytes();
    patch(expected, 4, S::kShubetu.offset, "000000");
    patch(expected, 4, S::kKiro.offset + 4, leBytes(3001, 4));
    rewriteSameTime(f.store);
    EXPECT_EQ(f.bytes(), expected) << "only the swimmer moved back is rewritten";

    for (int n : {1, 3, 5}) patch(expected, n, S::kShubetu.offset, "000000");
    for (int n = 1; n <= 5; ++n) patch(expected, n, S::kShuFuku.offset, "2");
    rewriteSecondaryRegistration(f.store);
    EXPECT_EQ(f.bytes(), expected);
    f.store.readSwimmer(2);
    EXPECT_EQ(f.store.swimmer().shubetu(), "010000");
}

TEST(Rewrites, APassThatFailsLeavesEveryRecordAsItWas)
{
    // Swimmer 1 needs no table and would be blanked; swimmer 2 needs the missing one.
    EntryFixture f;
    f.add({.qbango = "00001199804021", .ken = "大阪府"});
    f.add({.qbango = "13001199804021", .ken = "大阪府"});
    const std::string before = f.bytes();
    EXPECT_THROW(rewritePrefecture(f.store, f.dir() / "none" / "ken.ctl"), TolvError);
    EXPECT_EQ(f.bytes(), before);
}
