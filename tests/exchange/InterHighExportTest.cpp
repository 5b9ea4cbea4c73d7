// Inter60I.csv and Inter60R.csv: bare columns at full field width, five entry groups per swimmer.
#include "exchange/ExportFixture.h"
#include "transfer/Templates.h"

using namespace exporttest;
using namespace tolv;
using namespace tolv::exchange;

TEST(InterHighFiles, IndividualAndRelayLines)
{
    ExportFixture f;
    f.add({.qbango = "13001200105011",
           .gakunen = "32",
           .bango = "1300101",
           .nenrei = 17,
           .kiro = {{1, 5834}, {9, 10205}, {22, 10234}, {28, 666666}}});
    f.add({.qbango = "13001200105025", .sei = "2", .gakunen = "31", .bango = "1300102", .nenrei = 16, .kiro = {{24, 40000}}});
    f.add({.qbango = "13001200105031",
           .gakunen = "33",
           .bango = "1300103",
           .nenrei = 18,
           .kiro = {{0, 1500}, {4, 40000}, {6, 155000}, {14, 23000}, {18, 21000}, {19, 10500}, {21, 45000}}});
    ExportResult r = f.run(exportInterHigh);

    auto person = [](const std::string& n, const std::string& bango, const std::string& reg, const std::string& sei,
                     const std::string& birth, const std::string& age, const std::string& grade) {
        return std::vector<std::string>{
            " " + n,  bango, reg, "13", "東京都  ", "山田　太郎      ", "ﾔﾏﾀﾞ ﾀﾛｳ        ", sei, "13001", "さくらＳＣ  ",
            "ｻｸﾗ   ", birth, age, "",   grade};
    };
    auto lines = ExportFixture::lines(f.transfer / "Inter60I.csv");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], plainHeader(readTemplate(ctlDir(), "KumaInd.csv", 37), 3));
    // 58.34 is 0058.34, 1:02.05 is 0102.05.
    EXPECT_EQ(lines[1],
              line(person("1", "1300101", "130010105011", "1", "2001/05/01", "17", "2") +
                   std::vector<std::string>{"1", "自由形", "2", "５０ｍ", "0058.34", "2", "背泳ぎ", "3", "１００ｍ", "0102.05"} +
                   repeat(15, "")));
    // No individual entry: columns 16-40 empty.
    EXPECT_EQ(lines[2], line(person("2", "1300102", "130010105025", "2", "2001/05/02", "16", "1") + repeat(25, "")));
    // Seven entries: the first five fill the line, the rest are reported.
    EXPECT_EQ(lines[3], line(person("3", "1300103", "130010105031", "1", "2001/05/03", "18", "3") +
                             std::vector<std::string>{
                                 "1", "自由形",     "1", "２５ｍ",     "0015.00", "1", "自由形", "6", "４００ｍ", "0400.00",
                                 "1", "自由形",     "8", "１５００ｍ", "1550.00", "3", "平泳ぎ", "4", "２００ｍ", "0230.00",
                                 "4", "バタフライ", "4", "２００ｍ",   "0210.00"}));
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("選手 3 山田　太郎（2 種目）"), std::string::npos) << r.notes[0];

    auto relay = ExportFixture::lines(f.transfer / "Inter60R.csv");
    ASSERT_EQ(relay.size(), 4u);
    EXPECT_EQ(relay[0], plainHeader(readTemplate(ctlDir(), "SeikoRly.csv", 13)));
    auto team = std::vector<std::string>{"13001", "さくらＳＣ  ", "ｻｸﾗ   ", "13", "東京都  "};
    EXPECT_EQ(relay[1], line(std::vector<std::string>{" 1", "1", "男"} + team +
                             std::vector<std::string>{"7", "メドレーリレー", "3", "１００ｍ", "0102.34"}));
    EXPECT_EQ(relay[2], line(std::vector<std::string>{" 2", "1", "男"} + team +
                             std::vector<std::string>{"6", "フリーリレー", "6", "８００ｍ", "6666.66"}));
    EXPECT_EQ(relay[3], line(std::vector<std::string>{" 3", "2", "女"} + team +
                             std::vector<std::string>{"7", "メドレーリレー", "5", "４００ｍ", "0400.00"}));
}
