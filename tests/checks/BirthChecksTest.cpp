// Grade and age reports: stored values against the birth date in old-number characters 6-13.
#include "checks/CheckReports.h"
#include "checks/EntryFixture.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace checktest;

namespace {

const std::string kGradeTitle = text(3000, 1000, "学年チェック   (入力学年と旧番号の比較)");
const std::string kAgeTitle = text(3000, 1000, "年令チェック   (入力年令と旧番号の比較)");

Swimmer born(const std::string& qbango, const std::string& gakunen, int nenrei = 0)
{
    return {.qbango = qbango, .namae = "選手", .shozoku = "南ＳＣ", .gakunen = gakunen, .nenrei = nenrei};
}
// A reported record: three pieces on the line at y (after the title and two empty lines of 200).
std::string reported(int y, const char* number, const std::string& qbango, const std::string& comparison)
{
    return text(1000, y, std::string(number) + " " + qbango + "  " + pad("選手", 16)) + text(5000, y, pad("南ＳＣ", 12)) +
           text(7000, y, comparison);
}

} // namespace

TEST(BirthChecks, GradeReportsCodesThatDisagreeWithTheSchoolYear)
{
    // Reference date 2005/04/01: born 1998-04-02 is in the 年長 year (08), born 1998-04-01 in 小1 (11).
    EntryFixture f("2005/04/01", 0);
    EXPECT_EQ(f.log(checkGrade), kGradeTitle + "end\n"); // no swimmers: the title alone
    EXPECT_EQ(f.log(checkAge), kAgeTitle + "end\n");
    f.add(born("13001199804021", "08"));
    f.add(born("13001199804021", "11"));
    f.add(born("13001199804011", "11"));
    f.add(born("13001199804011", "08"));
    f.add(born("13001        1", "12")); // unreadable birth dates get their own line and the check goes on
    f.add(born("13001199x04021", "12"));
    f.add(born("13001199804021", "50"));
    EXPECT_EQ(f.log(checkGrade), kGradeTitle + reported(1600, "   2", "13001199804021", "学年 : 小1   ->   旧番号 : 年長") +
                                     reported(1800, "   4", "13001199804011", "学年 : 年長   ->   旧番号 : 小1") +
                                     reported(2000, "   5", "13001        1", "学年 : 小2   ->   旧番号 : 生年月日不明") +
                                     reported(2200, "   6", "13001199x04021", "学年 : 小2   ->   旧番号 : 生年月日不明") +
                                     reported(2400, "   7", "13001199804021", "学年 :    ->   旧番号 : 年長") + "end\n");
}

TEST(BirthChecks, GradeFollowsTheCompetitionKind)
{
    // Masters: 49 on the reference date is group "56" (Ｆ), 50 is "57" (Ｇ).
    EntryFixture f("2008/10/16", 1);
    f.add(born("13001195810171", "56"));
    f.add(born("13001195810161", "56"));
    EXPECT_EQ(f.log(checkGrade),
              kGradeTitle + reported(1600, "   2", "13001195810161", "学年 : Ｆ   ->   旧番号 : Ｇ") + "end\n");
    // Kind 2 class codes are typed by hand: there is nothing to compare them with.
    f.store.header().setKubun(2);
    EXPECT_EQ(f.log(checkGrade), kGradeTitle + "end\n");
}

TEST(BirthChecks, AgeReportsAgesThatDisagreeWithTheBirthDate)
{
    EntryFixture f("2005/04/01", 0);
    f.add(born("13001199804021", "", 6));
    f.add(born("13001199804011", "", 6)); // birthday on the reference date: 7
    f.add(born("13001199804021", "", 16));
    f.add(born("13001        1", "", 9)); // no birth date reads as 0: age 2005, cut to three characters
    EXPECT_EQ(f.log(checkAge), kAgeTitle + reported(1600, "   2", "13001199804011", "年令 :   6  ->  旧番号 :   7") +
                                   reported(1800, "   3", "13001199804021", "年令 :  16  ->  旧番号 :   6") +
                                   reported(2000, "   4", "13001        1", "年令 :   9  ->  旧番号 : 005") + "end\n");
}

TEST(BirthChecks, AnImpossibleBirthDateIsMarkedNotGivenAGradeOrAge)
{
    // 2013-02-30 is no date: no grade (中1 by its digits) and no age (13) is proposed for it.
    EntryFixture f("2026/10/16", 0);
    f.add(born("13001201302301", "21", 13));
    f.add(born("13001201302281", "22", 13)); // a real date that agrees: not listed
    EXPECT_EQ(f.log(checkGrade),
              kGradeTitle + reported(1600, "   1", "13001201302301", "学年 : 中1   ->   旧番号 : 暦にない生年月日") + "end\n");
    EXPECT_EQ(f.log(checkAge),
              kAgeTitle + reported(1600, "   1", "13001201302301", "年令 :  13  ->  旧番号 : 暦にない生年月日") + "end\n");
}
