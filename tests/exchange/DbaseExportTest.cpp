// masterdb.dbf read back through shapelib: fields, language driver, CP932 texts and numbers.
#include "exchange/ExportFixture.h"

#include <shapefil.h>

using namespace exporttest;
using namespace tolv;
using namespace tolv::exchange;

TEST(DbaseTable, OneRowPerSwimmerReadableByTheLibrary)
{
    ExportFixture f;
    f.add({.qbango = "13001200105011",
           .gakunen = "11",
           .namae = "山田　太郎",
           .bango = "1300101",
           .nenrei = 9,
           .torobi = 20050401,
           .kiro = {{0, 1890}, {28, 83000}}},
          "100100");
    f.data.swimmers.push_back(SwimmerRecord());
    ExportResult r = f.run(exportDbase);
    ASSERT_EQ(r.written.size(), 1u);
    EXPECT_EQ(r.written[0].lines, 2);

    const fs::path path = f.transfer / "masterdb.dbf";
    const std::string bytes = tolvtest::readBytes(path);
    ASSERT_GT(bytes.size(), 32u);
    EXPECT_EQ(bytes[0], '\x03');    // dBASE III
    EXPECT_EQ(bytes[1], char(105)); // last update 2005-04-01
    EXPECT_EQ(bytes[2], char(4));
    EXPECT_EQ(bytes[3], char(1));
    EXPECT_EQ(bytes[29], '\x13'); // Japanese, code page 932

    DBFHandle h = DBFOpen(path.string().c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_STREQ(DBFGetCodePage(h), "LDID/19");
    const std::vector<std::pair<std::string, int>> expected = {
        {"BANGO", 7},    {"QBANGO", 14}, {"NAMAE", 16}, {"KANA", 16}, {"KEN", 8},     {"KENKANA", 6}, {"SHOZOKU", 12},
        {"SHOZKANA", 6}, {"GAKUNEN", 2}, {"NENREI", 6}, {"SEI", 1},   {"SHUFUKU", 1}, {"SHUBETU", 6}, {"TOROBI", 11}};
    ASSERT_EQ(DBFGetFieldCount(h), int(expected.size()) + 29);
    for (int i = 0; i < DBFGetFieldCount(h); ++i) {
        char name[12] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(h, i, name, &width, &decimals);
        if (i < int(expected.size())) {
            EXPECT_EQ(name, expected[std::size_t(i)].first);
            EXPECT_EQ(width, expected[std::size_t(i)].second) << name;
        } else {
            char want[24];
            std::snprintf(want, sizeof want, "KIRO%02d", i - int(expected.size()) + 1);
            EXPECT_STREQ(name, want);
            EXPECT_EQ(width, 6);
        }
    }
    ASSERT_EQ(DBFGetRecordCount(h), 2);
    auto text = [&](int row, const char* field) {
        return std::string(DBFReadStringAttribute(h, row, DBFGetFieldIndex(h, field)));
    };
    auto number = [&](int row, const char* field) { return DBFReadIntegerAttribute(h, row, DBFGetFieldIndex(h, field)); };
    EXPECT_EQ(text(0, "BANGO"), "1300101");
    EXPECT_EQ(text(0, "NAMAE"), tolvtest::sj("山田　太郎"));
    EXPECT_EQ(text(0, "SHOZOKU"), tolvtest::sj("さくらＳＣ"));
    EXPECT_EQ(text(0, "SHUBETU"), "100100");
    EXPECT_EQ(number(0, "NENREI"), 9);
    EXPECT_EQ(number(0, "TOROBI"), 20050401);
    EXPECT_EQ(number(0, "KIRO01"), 1890);
    EXPECT_EQ(number(0, "KIRO02"), 0);
    EXPECT_EQ(number(0, "KIRO29"), 83000);
    EXPECT_EQ(text(1, "NAMAE"), "");
    EXPECT_EQ(number(1, "KIRO29"), 0);
    DBFClose(h);
}
