// Web entry import on swcomp.txt, swent.txt and swteam.txt built at their byte positions.
#include "exchange/WebImport.h"
#include "exchange/ImportFixture.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace importtest;
using tolvtest::sj;

namespace {

// A line whose fields sit at 1-based byte positions once the sequence number is padded to `width`;
// written, as the web system writes it, without that padding.
std::string fixed(std::size_t width, int seq, const std::vector<std::pair<std::size_t, std::string>>& fields, std::size_t length)
{
    std::string l(length, ' ');
    const std::string s = std::to_string(seq);
    l.replace(width - s.size(), s.size(), s);
    for (const auto& [pos, utf8] : fields) {
        const std::string b = sj(utf8);
        l.replace(pos - 1, b.size(), b);
    }
    return l.substr(width - s.size()) + "\r\n";
}
std::string competitor(int seq, const std::string& sex, const std::string& name, const std::string& reg,
                       const std::string& number = "1234567")
{
    return fixed(
        4, seq, {{10, sex}, {11, name}, {31, "ﾔﾏﾀﾞ ﾀﾛｳ"}, {64, "東京スイミングクラブ"}, {84, "ﾄｳｷｮｳ"}, {207, reg}, {222, number}},
        228);
}
std::string entry(int seq, const std::string& code, const std::string& time)
{
    return fixed(5, seq, {{12, code}, {18, time}}, 25);
}
std::string relay(int seq, const std::string& team, const std::string& sex, const std::string& stroke,
                  const std::string& distance, const std::string& time)
{
    return fixed(4, seq, {{16, team.substr(2)}, {99, team.substr(0, 2)}, {122, sex}, {138, stroke}, {143, distance}, {146, time}},
                 153);
}

struct WebBench : ImportBench {
    WebBench() { add({.qbango = "13009199001011", .namae = "既存"}); }
    ImportReport run() { return importWebEntries(store, folder(), prompt); }
    ScriptedPrompt prompt{false};
};

} // namespace

TEST(WebImport, CompetitorsEntriesAndRelaysByBytePosition)
{
    WebBench b;
    b.put("swcomp.txt", competitor(1, "1", "山田　太郎左衛門之助一二三", "131239804021") + // 13 characters: 12 used
                            competitor(7, "2", "鈴木", "131230104025", "       ") + competitor(8, "1", "除外", "341230104021") +
                            competitor(1234, "1", "佐藤", "131230504021"));
    b.put("swent.txt", entry(1, "  11", "01:02.34") + entry(7, "  23", "  :35.10") +
                           entry(7, "  15", "01:00.00") + // freestyle "5" is no event
                           entry(8, "  11", "01:00.00") + // the "34" competitor was not imported
                           entry(1234, "  56", "05:00.00"));
    b.put("swteam.txt", relay(1, "13123", "1", "6", "4", "01:50.00") + relay(2, "13123", "1", "7", "3", "01:00.00") +
                            relay(3, "13999", "1", "6", "3", "01:00.00") + relay(4, "13123", "2", "6", "8", "01:00.00"));
    ImportReport r = b.run();

    ASSERT_EQ(b.store.header().total(), 4);
    const SwimmerRecord s = b.store.swimmerAt(2);
    EXPECT_EQ(s.QBango(), "13123199804021");
    EXPECT_EQ(s.Namae(), "山田　太郎左衛門"); // 12 characters, then fitted to 16 bytes
    EXPECT_EQ(s.Kana(), "ﾔﾏﾀﾞ ﾀﾛｳ        ");
    EXPECT_EQ(s.Shozoku(), "東京スイミン");
    EXPECT_EQ(s.ShozokuKana(), "ﾄｳｷｮｳ ");
    EXPECT_EQ(s.Bango(), "1234567");
    EXPECT_EQ(s.sei(), "1");
    EXPECT_EQ(s.shubetu(), "000000");
    EXPECT_EQ(s.kiro(0), 10234);
    EXPECT_EQ(s.kiro(26), 15000); // the relay goes to the first swimmer of the team and sex
    EXPECT_EQ(s.kiro(22), 10000);
    EXPECT_EQ(s.seq(), 2);
    EXPECT_EQ(b.store.swimmerAt(3).QBango(), "13123200104025"); // reference 2005: 01 -> 2001
    EXPECT_EQ(b.store.swimmerAt(3).kiro(9), 3510);
    EXPECT_EQ(b.store.swimmerAt(3).Bango(), "       ");
    EXPECT_EQ(b.store.swimmerAt(3).kiro(26), 0);
    EXPECT_EQ(b.store.swimmerAt(4).QBango(), "13123190504021"); // 05 is not below 05 -> 1905
    EXPECT_EQ(b.store.swimmerAt(4).kiro(21), 50000);            // 1234: nothing prepended
    for (int slot = 0; slot < kEventSlots; ++slot)
        if (slot != 9) {
            EXPECT_EQ(b.store.swimmerAt(3).kiro(slot), 0) << slot;
        }

    const std::string m = r.message();
    EXPECT_NE(m.find("選手 3 人を追加しました（個人種目 3 件、リレー 2 件）"), std::string::npos) << m;
    EXPECT_NE(m.find("読み飛ばした行: 5 行"), std::string::npos) << m;
    EXPECT_NE(m.find("swcomp.txt 3 行目: 登録番号が 34 で始まる"), std::string::npos) << m;
    EXPECT_NE(m.find("swent.txt 3 行目: 種目がありません（泳法 1、距離 5）"), std::string::npos) << m;
    EXPECT_NE(m.find("swent.txt 4 行目: 取り込まなかった選手"), std::string::npos) << m;
    EXPECT_NE(m.find("swteam.txt 3 行目: チーム 13999"), std::string::npos) << m;
    EXPECT_NE(m.find("swteam.txt 4 行目: リレー種目がありません"), std::string::npos) << m;
}

TEST(WebImport, AFaultyLineNamesItsFileAndLineAndChangesNothing)
{
    const std::string comp = competitor(1, "1", "山田", "131239804021");
    struct Case {
        std::string comp, ent, team, where;
    } cases[] = {
        {comp, entry(2, "  11", "01:00.00"), "", "swent.txt 1 行目: 順番号 2 の選手が swcomp.txt にありません"},
        {comp, entry(1, "  11", "01:0x.00"), "", "swent.txt 1 行目: タイム"},
        {comp, entry(1, "  11", "99:99.99"), "", "swent.txt 1 行目: タイム「99:99.99」"},
        {comp, "", relay(1, "13123", "1", "6", "4", "99:99.99"), "swteam.txt 1 行目: タイム「99:99.99」"},
        {comp + "2   1\r\n", "", "", "swcomp.txt 2 行目: 行が短すぎます"},
        {comp + comp, "", "", "swcomp.txt 2 行目: 順番号 1 が二度あります"},
        {comp, "", relay(1, "13123", "1", "6", "4", "01:5.00 "), "swteam.txt 1 行目: タイム"},
        {comp, "123456" + std::string(30, ' ') + "\r\n", "", "swent.txt 1 行目: 順番号が 5 桁を超えています"},
        // A double-byte character cut by the name field's end: the line is out of alignment.
        {fixed(4, 1, {{10, "1"}, {11, "ああああああああああ"}, {207, "131239804021"}}, 228).insert(11, "x"), "", "",
         "swcomp.txt 1 行目: 11〜30 バイト目の欄が文字の途中で切れています"},
    };
    for (const Case& c : cases) {
        WebBench b;
        b.put("swcomp.txt", c.comp);
        b.put("swent.txt", c.ent);
        b.put("swteam.txt", c.team);
        const std::string before = b.bytes();
        try {
            b.run();
            ADD_FAILURE() << "no error for " << c.where;
        } catch (const TolvError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.where, 0), 0u) << e.what();
        }
        EXPECT_TRUE(b.bytes() == before) << c.where;
    }
    WebBench b;
    b.put("swcomp.txt", comp);
    b.put("swent.txt", "");
    EXPECT_THROW(b.run(), TolvError); // swteam.txt missing
    EXPECT_EQ(b.store.header().total(), 1);
}
