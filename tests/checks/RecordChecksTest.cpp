// No-category, four-or-more-events and identical-times reports.
#include "checks/CheckReports.h"
#include "checks/EntryFixture.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace checktest;

TEST(RecordChecks, NoCategoryListsRecordsWithoutAnyFlag)
{
    EntryFixture f;
    f.add({.namae = "競泳", .shubetu = "100000"});
    f.add({.namae = "なし", .shubetu = "000000"});
    f.add({.namae = "最後", .shubetu = "000001"});
    f.add({.namae = "空白", .shubetu = ""});
    EXPECT_EQ(f.log(checkNoCategory), text(0, 0, " 2 " + pad("なし", 16)) + text(0, 200, " 4 " + pad("空白", 16)) + "end\n");
}

TEST(RecordChecks, FourEventsCountsIndividualStandardEventsOnly)
{
    EntryFixture f;
    // Three individual events plus relays and a reserve event: not reported.
    f.add({.namae = "三種目", .kiro = {{1, 2845}, {9, 10523}, {21, 52000}, {22, 20000}, {25, 13000}, {29, 3000}}});
    f.add({.namae = "四種目", .shozoku = "東ＳＣ", .ken = "東京都", .kiro = {{0, 1500}, {1, 2845}, {9, 10523}, {21, 52000}}});
    EXPECT_EQ(
        f.log([](const EntryStore& s, Printer& p) { checkFourEvents(s, p, "IPAMincho"); }),
        "font\tIPAMincho\t12\n" +
            text(0, 0,
                 " 2 " + pad("四種目", 16) + pad("東京都", 8) + pad("東ＳＣ", 12) + " 0  1500  1  2845  9  10523  21  52000 ") +
            "end\n");
}

TEST(RecordChecks, SameTimeListsAdjacentEqualTimesPerSexAndEvent)
{
    EntryFixture f;
    auto add = [&](const char* sei, const char* name, std::map<int, std::int32_t> kiro) {
        f.add({.qbango = "13001199804021", .namae = name, .shozoku = "西", .sei = sei, .kiro = kiro});
    };
    add("1", "一", {{1, 2845}, {3, 20000}});
    add("1", "二", {{1, 2845}});
    add("1", "三", {{1, 2845}, {3, 20001}});
    add("2", "花", {{1, 2845}, {3, 20000}}); // equal to the men, but another sex
    add("3", "混一", {{26, 20000}});
    add("3", "混二", {{26, 20000}});
    add("0", "無", {{26, 20000}}); // sex code 0 belongs to no group
    auto who = [](int n, const char* name) {
        return " " + std::to_string(n) + "  13001199804021 " + pad("西", 12) + " " + pad(name, 16);
    };
    EXPECT_EQ(f.log(checkSameTime), text(0, 0, "男子 50m自由形    28.45 " + who(1, "一") + who(2, "二")) +
                                        text(0, 200, "男子 50m自由形    28.45 " + who(2, "二") + who(3, "三")) +
                                        text(0, 400, "混合 200mリレー  2:00.00 " + who(5, "混一") + who(6, "混二")) + "end\n");
}
