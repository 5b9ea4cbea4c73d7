// The SWM floppy: RIZARUTO.csv per team folder, Teamdt.csv and RELAYENT.csv; read back with the
// SWM import's field rules it gives the swimmers back.
#include "exchange/ExportFixture.h"
#include "storage/Codes.h"

using namespace exporttest;
using namespace tolv;
using namespace tolv::exchange;

namespace {

// Splits a line of quoted or bare fields (no quotes inside fields, as the export writes them).
std::vector<std::string> fields(std::string l)
{
    if (l.size() >= 2 && l.substr(l.size() - 2) == "\r\n") l.resize(l.size() - 2);
    std::vector<std::string> out;
    std::size_t i = 0;
    while (true) {
        std::string f;
        if (i < l.size() && l[i] == '"') {
            std::size_t close = l.find('"', i + 1);
            f = l.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            std::size_t comma = l.find(',', i);
            f = l.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
            i = comma == std::string::npos ? l.size() : comma;
        }
        out.push_back(f);
        if (i >= l.size()) break;
        ++i; // the comma
    }
    return out;
}

// A swimmer as the SWM import builds it from a RIZARUTO.csv line.
SwimmerRecord readBack(const std::vector<std::string>& c)
{
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setBango(c[0]);
    const std::string& reg = c[3];
    const std::string last = numericValue(reg) != 0 ? reg.substr(reg.size() - 1) : (c[6] == "1" ? "0" : "5");
    s.setQBango(c[1] + c[7].substr(0, 4) + c[7].substr(5, 2) + c[7].substr(8, 2) + last);
    s.setNamae(c[4]);
    s.setKana(c[5]);
    s.setSei(c[6]);
    s.setGakunen(c[9] + c[8]);
    for (int d = 0; d < kIndividualSlots; ++d)
        if (c[10][std::size_t(d)] == '1') s.setKiro(d, std::int32_t(numericValue(c[11].substr(std::size_t(6 * d), 6))));
    return s;
}

} // namespace

TEST(SwmFloppy, TeamFoldersRoundTripThroughTheImportRules)
{
    ExportFixture f;
    f.add({.qbango = "13001200105011",
           .sei = "1",
           .gakunen = "12",
           .namae = "東西南北春夏秋冬",
           .kana = "ﾄｳｻﾞｲ ﾅﾝﾎﾞｸ",
           .bango = "1300101",
           .kiro = {{0, 1890}, {6, 523456}, {21, 50312}, {22, 10234}}});
    f.add({.qbango = "13002199912315",
           .sei = "2",
           .gakunen = "50",
           .namae = "YAMADA  HANAKO",
           .kana = "ﾔﾏﾀﾞ ﾊﾅｺ",
           .bango = "1300202",
           .kiro = {{9, 11500}}});
    f.add({.qbango = "13001200202021", .sei = "1", .gakunen = "10", .namae = "川　一", .kana = "ｶﾜ ﾊｼﾞﾒ", .bango = "1300103"});
    f.writeTotals({"13001", "13002"});
    TeamRecord t;
    t.setCode("13001");
    t.setName("みなと水泳クラブ");
    f.writeRegister({t});
    ExportResult r = f.run(exportSwmMedia);

    // Unsorted teams: 13001 keeps both of its swimmers in one file, numbered within the team.
    auto a = ExportFixture::lines(f.transfer / "SWM13001" / "RIZARUTO.csv");
    auto b = ExportFixture::lines(f.transfer / "SWM13002" / "RIZARUTO.csv");
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(a[0], line({Q("登録番号"), Q("団体コード"), Q("連番"), Q("競技者番号"), Q("氏名"), Q("カナ"), Q("性別"),
                          Q("生年月日"), Q("学年"), Q("学校種別"), Q("出場種目"), Q("エントリータイム"), Q("照合キー")}));
    const std::string flags = "1" + blanks(5) + "1" + blanks(14) + "1" + "1";
    const std::string times = "  1890" + blanks(30) + "523456" + blanks(6 * 14) + " 50312" + blanks(12);
    EXPECT_EQ(a[1], line({Q("1300101"), Q("13001"), R("1"), Q("130010105011"), Q("東西南北春夏秋冬"), Q("ﾄｳｻﾞｲ ﾅﾝﾎﾞｸ"), Q("1"),
                          Q("2001/05/01"), Q("2"), Q("1"), Q(flags), Q(times), Q("1010501東西南北春夏秋冬")}));
    EXPECT_EQ(fields(a[2])[2], "2");
    EXPECT_EQ(fields(b[1])[2], "1");

    std::vector<SwimmerRecord> back = {readBack(fields(a[1])), readBack(fields(b[1])), readBack(fields(a[2]))};
    for (std::size_t i = 0; i < 3; ++i) {
        const SwimmerRecord& o = f.data.swimmers[i];
        const SwimmerRecord& g = back[i];
        SCOPED_TRACE(o.Namae());
        EXPECT_EQ(g.Bango(), o.Bango());
        EXPECT_EQ(g.QBango(), o.QBango());
        EXPECT_EQ(g.Namae(), o.Namae());
        EXPECT_EQ(g.Kana(), o.Kana());
        EXPECT_EQ(g.sei(), o.sei());
        EXPECT_EQ(g.gakunen(), o.gakunen());
        for (int d = 0; d < kIndividualSlots; ++d) EXPECT_EQ(g.kiro(d), o.kiro(d)) << "slot " << d;
    }

    // Teamdt.csv holds the SCM team lines; the relay file names the school level in column 10.
    auto teams = ExportFixture::lines(f.transfer / "Teamdt.csv");
    ASSERT_EQ(teams.size(), 2u);
    EXPECT_EQ(fields(teams[1])[0], "13001");
    EXPECT_EQ(fields(teams[1]).size(), 85u);
    ASSERT_EQ(r.notes.size(), 1u); // 13002 is not in the register
    auto relays = ExportFixture::lines(f.transfer / "RELAYENT.csv");
    ASSERT_EQ(relays.size(), 2u);
    EXPECT_EQ(relays[1], line({Q("0513001"), Q("13001"), Q("1"), Q("1"), Q("7"), Q("1"), Q(" 1:02.34"), Q(""), Q(""), Q("1"),
                               Q("3"), Q(""), Q("さくらＳＣ"), Q("ｻｸﾗ"), Q(""), Q("ｻｸﾗ")}));
    EXPECT_EQ(r.written.size(), 4u);
}

TEST(SwmFloppy, NumberZeroIsWrittenEmpty)
{
    ExportFixture f;
    f.add({.qbango = "13001200105011", .bango = "0000000"});
    f.writeTotals({});
    f.run(exportSwmMedia);
    EXPECT_EQ(fields(ExportFixture::lines(f.transfer / "SWM13001" / "RIZARUTO.csv")[1])[0], "");
}

TEST(SwmFloppy, TeamCodeThatIsNoFolderNameIsRefused)
{
    const std::string codes[] = {"13/0120010501",
                                 "..00120010501",
                                 "13:0120010501",
                                 "13\\0120010501",
                                 "1300 20010501",
                                 "1300.20010501",
                                 "",
                                 std::string("13\0"
                                             "0120010501",
                                             13),
                                 "13\x01"
                                 "0120010501"};
    for (const std::string& qbango : codes) {
        ExportFixture f;
        f.add({.qbango = "13001200105011", .namae = "岬　大地"});
        f.add({.qbango = qbango, .namae = "浜辺　美咲"});
        f.writeTotals({});
        try {
            f.run(exportSwmMedia);
            ADD_FAILURE() << "accepted " << qbango;
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find("選手 2 浜辺　美咲"), std::string::npos) << e.what();
        }
        EXPECT_TRUE(fs::is_empty(f.transfer)) << qbango;
    }
}
