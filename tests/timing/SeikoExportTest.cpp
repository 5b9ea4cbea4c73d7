#include "timing/SeikoExport.h"

#include "platform/Error.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace tolv;
using namespace tolv::timing;
using tolvtest::readBytes;
using tolvtest::sj;
using tolvtest::TempTree;
using tolvtest::writeBytes;
namespace fs = std::filesystem;

namespace {

SwimmerRecord swimmer(const std::string& qbango, const std::string& gakunen, int age, std::map<int, std::int32_t> times = {})
{
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setBango("1234567");
    s.setQBango(qbango);
    s.setNamae("水泳　太郎");
    s.setKana("ｽｲｴｲ ﾀﾛｳ");
    s.setShozoku("東京ＳＣ");
    s.setShozokuKana("ﾄｳｷﾖｳ");
    s.setKen("東京");
    s.setKenKana("ﾄｳｷﾖｳ");
    s.setGakunen(gakunen);
    s.setNenrei(static_cast<std::int16_t>(age));
    s.setSei("1");
    for (auto [slot, t] : times) s.setKiro(slot, t);
    return s;
}

std::string cols(int from, int to) { return std::string(static_cast<std::size_t>(to - from + 1), ','); }

// Header templates as a user's control folder holds them.
void writeTemplates(const fs::path& ctl)
{
    fs::create_directories(ctl);
    std::string ind, rly;
    for (int i = 1; i <= 37; ++i) ind += "\"項目" + std::to_string(i) + "\"" + (i % 10 == 0 ? "\r\n" : ",");
    for (int i = 1; i <= 13; ++i) rly += "R" + std::to_string(i) + (i < 13 ? "," : "\r\n");
    writeBytes(ctl / "SeikoInd.csv", sj(ind));
    writeBytes(ctl / "seikoRly.csv", rly);
}

} // namespace

TEST(SeikoExport, CodesTimesAndClasses)
{
    EXPECT_EQ(seikoEventCode(0), "10025");
    EXPECT_EQ(seikoEventCode(6), "11500");
    EXPECT_EQ(seikoEventCode(21), "50400");
    EXPECT_EQ(seikoEventCode(22), "70100");
    EXPECT_EQ(seikoEventCode(28), "60800");
    EXPECT_EQ(seikoTimeText(3510), "0035.10");
    EXPECT_EQ(seikoTimeText(10523), "0105.23");
    EXPECT_EQ(seikoTimeText(666666), "5959.99");

    SeikoOptions o;
    o.classBy = ClassBy::Age;
    o.classes[1] = {"", "5"}; // a row with an empty bound applies to nothing
    EXPECT_EQ(seikoClass(swimmer("13001200105011", "31", 0), o), "");
    EXPECT_EQ(seikoClass(swimmer("13001200105011", "31", 12), o), "01");
    o.classBy = ClassBy::Grade;
    o.classes[0] = {"10", "19"};
    o.classes[4] = {"30", "39"};
    EXPECT_EQ(seikoClass(swimmer("13001200105011", "31", 12), o), "05");
    EXPECT_EQ(seikoClass(swimmer("13001200105011", "52", 12), o), "");
}

TEST(SeikoExport, IndividualLineColumnsAndSelection)
{
    SeikoOptions o; // 全員, 無差別, row 1 = 1..100
    const SwimmerRecord a = swimmer("13001199905011", "31", 15, {{2, 10523}, {0, 3510}, {22, 20000}});
    const SwimmerRecord b = swimmer("13001200105015", "52", 0);
    SeikoLines l = seikoIndividualLines({a, b}, o, 7);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(l.lines[0], "8,130019905011,1,水泳　太郎,ｽｲｴｲ ﾀﾛｳ        ,19990501,3,1,01,1234567,東京ＳＣ ,ﾄｳｷﾖｳ ,東京   ,"
                          "ﾄｳｷﾖｳ ,,,1,10025,0035.10,10100,0105.23" +
                              cols(22, 37));
    // Grade 52: columns 7 and 8 empty; aged 0: no class, but "全員" writes the line without events.
    EXPECT_EQ(l.lines[1], "9,130010105015,1,水泳　太郎,ｽｲｴｲ ﾀﾛｳ        ,20010501,,,,1234567,東京ＳＣ ,ﾄｳｷﾖｳ ,東京   ,"
                          "ﾄｳｷﾖｳ ,,,1" +
                              cols(18, 37));

    o.everyone = false; // 種目選択 with nothing ticked: no line
    EXPECT_TRUE(seikoIndividualLines({a, b}, o, 0).lines.empty());
    o.events[2] = true;
    o.classBy = ClassBy::Age;
    l = seikoIndividualLines({a, b}, o, 0);
    ASSERT_EQ(l.lines.size(), 1u); // b: aged 0 is in no class
    EXPECT_NE(l.lines[0].find(",1,10100,0105.23,"), std::string::npos);
    EXPECT_EQ(l.lines[0].find("10025"), std::string::npos);
}

TEST(SeikoExport, MoreThanTenEventsKeepTheFirstTenAndNameTheSwimmer)
{
    std::map<int, std::int32_t> times;
    for (int slot = 0; slot < 12; ++slot) times[slot] = 3000 + slot;
    SeikoLines l = seikoIndividualLines({swimmer("13001199905011", "31", 15, times)}, SeikoOptions{}, 0);
    ASSERT_EQ(l.lines.size(), 1u);
    EXPECT_NE(l.lines[0].find("20100,0030.09"), std::string::npos); // the tenth
    EXPECT_EQ(l.lines[0].find("20200"), std::string::npos);
    ASSERT_EQ(l.lost.size(), 1u);
    EXPECT_EQ(l.lost[0].swimmer, 1);
    EXPECT_EQ(l.lost[0].eventSlots, (std::vector<int>{10, 11}));
}

TEST(SeikoExport, RelayLinesByTeamOrPrefecture)
{
    SeikoOptions o;
    const SwimmerRecord a = swimmer("13001199905011", "52", 15, {{22, 20000}, {28, 83512}, {3, 5000}});
    SeikoLines l = seikoRelayLines({a}, o, 2);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(l.lines[0], "3,東京ＳＣ ,ﾄｳｷﾖｳ ,,13001,,01,1,70100,0200.00");
    EXPECT_EQ(l.lines[1], "4,東京ＳＣ ,ﾄｳｷﾖｳ ,,13001,,01,1,60800,0835.12");
    o.prefectureTeams = true;
    o.everyone = false;
    o.events[28] = true;
    l = seikoRelayLines({a}, o, 0);
    ASSERT_EQ(l.lines.size(), 1u);
    EXPECT_EQ(l.lines[0], "1,東京   ,ﾄｳｷﾖｳ ,,13000,,01,1,60800,0835.12");
}

TEST(SeikoExport, AppendWritesTheHeaderOnlyIntoAnEmptyFile)
{
    TempTree t;
    const fs::path ctl = t.dir() / "ctl", out = t.dir() / "transfer";
    fs::create_directories(out);
    writeTemplates(ctl);
    const SwimmerRecord a = swimmer("13001199905011", "31", 15, {{0, 3510}, {25, 20000}});

    SeikoAppend first = appendSeikoIndividuals(out, ctl, {a}, SeikoOptions{}, 0);
    EXPECT_TRUE(first.header);
    EXPECT_EQ(first.counter, 1);
    SeikoAppend second = appendSeikoIndividuals(out, ctl, {a, a}, SeikoOptions{}, first.counter);
    EXPECT_FALSE(second.header);
    EXPECT_EQ(second.counter, 3);
    std::string header;
    for (int i = 1; i <= 37; ++i) header += "項目" + std::to_string(i) + (i < 37 ? "," : "\r\n");
    const std::string line = ",130019905011,1,水泳　太郎,ｽｲｴｲ ﾀﾛｳ        ,19990501,3,1,01,1234567,東京ＳＣ ,ﾄｳｷﾖｳ ,"
                             "東京   ,ﾄｳｷﾖｳ ,,,1,10025,0035.10" +
                             cols(20, 37) + "\r\n";
    EXPECT_EQ(readBytes(out / "csvcomp.csv"), sj(header + "1" + line + "2" + line + "3" + line));

    // Relay header: the first ten of the template's items (its name matched without regard to case).
    appendSeikoRelays(out, ctl, {a}, SeikoOptions{}, 0);
    EXPECT_EQ(readBytes(out / "csvteam.csv"),
              sj("R1,R2,R3,R4,R5,R6,R7,R8,R9,R10\r\n1,東京ＳＣ ,ﾄｳｷﾖｳ ,,13001,3,01,1,60100,0200.00\r\n"));
}

TEST(SeikoExport, ShippedTemplateWhenMissingAShortOneRefused)
{
    TempTree t;
    const fs::path ctl = t.dir() / "ctl", out = t.dir() / "transfer";
    fs::create_directories(out);
    const SwimmerRecord a = swimmer("13001199905011", "31", 15, {{0, 3510}});
    // No template: the shipped one is installed and gives the 37 titles.
    appendSeikoIndividuals(out, ctl, {a}, SeikoOptions{}, 0);
    const std::string written = readBytes(out / "csvcomp.csv");
    const std::string header = written.substr(0, written.find("\r\n"));
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 36);
    EXPECT_EQ(header.find('"'), std::string::npos);

    // A user's template with too few items is refused, naming it; nothing is written.
    writeBytes(ctl / "SeikoRly.csv", "a,b,c\r\n");
    try {
        appendSeikoRelays(out, ctl, {a}, SeikoOptions{}, 0);
        FAIL();
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("SeikoRly.csv"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(out / "csvteam.csv"));
    EXPECT_THROW(appendSeikoIndividuals(t.dir() / "none", ctl, {a}, SeikoOptions{}, 0), TolvError);
    EXPECT_EQ(readBytes(out / "csvcomp.csv"), written);
}
