// tolvzep.csv, QTolv.txt and swm.txt: lines built from the column tables, an empty swimmer record
// included; the output name rule; a failed write leaves no file behind.
#include "exchange/ExportFixture.h"
#include "transfer/Templates.h"

using namespace exporttest;
using namespace tolv;
using namespace tolv::exchange;

namespace {

Swimmer yamada()
{
    return {.qbango = "13001200105011",
            .gakunen = "11",
            .namae = "山田　太郎",
            .kana = "ﾔﾏﾀﾞ ﾀﾛｳ",
            .shozoku = "さくらＳＣ",
            .shozokuKana = "ｻｸﾗ",
            .bango = "1300101",
            .nenrei = 9,
            .torobi = 20050401,
            .kiro = {{1, 2750}, {28, 83000}}};
}

} // namespace

TEST(TolvzepFile, ColumnsAndName)
{
    ExportFixture f;
    f.add(yamada());
    f.data.swimmers.push_back(SwimmerRecord()); // a record of NUL bytes
    // A user's template with more fields than needed: the first 43, written bare.
    std::string titles;
    for (int i = 1; i <= 44; ++i) titles += (i == 1 ? "\"t" : (i == 20 ? "\r\n\"t" : ",\"t")) + std::to_string(i) + "\"";
    tolvtest::writeBytes(ctlDir() / "tolvzep.w", titles + "\r\n");
    f.run(exportTolvzep);

    auto lines = ExportFixture::lines(f.transfer / "club01.csv");
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::string> head;
    for (int i = 1; i <= 43; ++i) head.push_back("t" + std::to_string(i));
    EXPECT_EQ(lines[0], line(head));
    EXPECT_EQ(lines[1], line(std::vector<std::string>{Q("1300101"), Q("13001200105011"), R("ﾔﾏﾀﾞ ﾀﾛｳ"), R("山田　太郎"),
                                                      R("東京都"), R("ﾄｳｷｮｳ"), R("さくらＳＣ"), R("ｻｸﾗ"), R("11"), R("9"), R("1"),
                                                      R("1"), R("20050401"), Q("100000"), R(""), R("2750")} +
                             repeat(26, R("")) + std::vector<std::string>{R("83000")}));
    EXPECT_EQ(lines[2], line(std::vector<std::string>{Q(blanks(7)), Q(blanks(14)), R(""), R(""), R(""), R(""), R(""), R(""),
                                                      R("  "), R("0"), R(" "), R(" "), R("0"), Q(blanks(6))} +
                             repeat(29, R(""))));

    // The name is the entry file's name up to its first ".", the whole name without one.
    for (const auto& [entry, csv] :
         std::vector<std::pair<std::string, std::string>>{{"a.b.zep", "a.csv"}, {"meet", "meet.csv"}}) {
        f.data.entryPath = f.tree.dir() / "entry" / entry;
        f.run(exportTolvzep);
        EXPECT_TRUE(fs::exists(f.transfer / csv)) << csv;
    }

    // A file that cannot be replaced: the message names it, no temporary file stays.
    f.data.entryPath = f.tree.dir() / "entry" / "club01.zep";
    fs::remove(f.transfer / "club01.csv");
    fs::create_directory(f.transfer / "club01.csv");
    EXPECT_THROW(f.run(exportTolvzep), TolvError);
    int entries = 0;
    for (const auto& e : fs::directory_iterator(f.transfer)) entries += e.path().filename().string()[0] == '.';
    EXPECT_EQ(entries, 0);
}

TEST(QTolvFile, PreviousGenerationLayout)
{
    ExportFixture f;
    f.add(yamada());
    f.data.swimmers.push_back(SwimmerRecord());
    f.run(exportQTolv);

    auto lines = ExportFixture::lines(f.transfer / "QTolv.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], line(std::vector<std::string>{R("1130010105011"), Q("山田　太郎   "), R("東京"), Q("さくらＳＣ "), R("1"),
                                                      R(" 9 "), R("11"), R(" 0 "), R(" 2750 ")} +
                             repeat(26, R(" 0 ")) +
                             std::vector<std::string>{R(" 83000 "), R("ﾔﾏﾀﾞ ﾀﾛｳ" + blanks(8)), R("ｻｸﾗ   "), R("1300101")}));
    EXPECT_EQ(lines[1],
              line(std::vector<std::string>{R("1" + blanks(12)), Q(blanks(8)), R("  "), Q(blanks(6)), R(" "), R(" 0 "), R("  ")} +
                   repeat(29, R(" 0 ")) + std::vector<std::string>{R(blanks(16)), R(blanks(6)), R(blanks(7))}));
}

TEST(SwmKariFile, FullWidthFields)
{
    ExportFixture f;
    f.add(yamada(), "010010");
    Swimmer unnumbered = yamada();
    unnumbered.bango = "0000000";
    unnumbered.shuFuku = "2";
    f.add(unnumbered);
    f.run(exportSwmKari);

    auto lines = ExportFixture::lines(f.transfer / "swm.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], line({"1300101", "13001200105011", "山田　太郎" + blanks(6), "ﾔﾏﾀﾞ ﾀﾛｳ" + blanks(8), "1", "11", "010010",
                              "1", "199905"}));
    EXPECT_EQ(lines[1], line({blanks(8), "13001200105011", "山田　太郎" + blanks(6), "ﾔﾏﾀﾞ ﾀﾛｳ" + blanks(8), "1", "11", "100000",
                              "2", blanks(6)}));
}
