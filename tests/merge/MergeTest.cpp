// Appending entry files and comma-separated files: the records built, the refusals that leave the
// entry file as it was, and the registration-master preference.
#include "merge/Merge.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/AthleteLookup.h"
#include "support/EntrySnapshot.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::merge;
using tolvtest::readBytes;
using tolvtest::sj;
using tolvtest::writeBytes;

namespace {

namespace fs = std::filesystem;

struct MergeFixture {
    tolvtest::TempTree tree;
    fs::path entry = tree.dir() / "t.zep";
    fs::path kenCtl = tree.home() / "ctl" / "ken.ctl";
    EntryStore store;

    MergeFixture()
    {
        tolvtest::writeFixturePrefectures(kenCtl);
        store.openEntryFile(entry);
        store.header().setKijunBi("2008/10/16");
        store.saveHeader();
        addSwimmer(store, "13002199804015", "既存");
    }

    static void addSwimmer(EntryStore& s, const std::string& qbango, const std::string& name)
    {
        const int n = s.header().total() + 1;
        s.swimmer() = EntryStore::emptySwimmer();
        s.swimmer().setSeq(n);
        s.swimmer().setQBango(qbango);
        s.swimmer().setNamae(name);
        s.swimmer().setKiro(3, 20000 + n);
        s.header().setTotal(n);
        s.writeSwimmer(n);
    }

    fs::path csv(const std::string& name, const std::string& utf8)
    {
        fs::path p = tree.dir() / name;
        writeBytes(p, sj(utf8));
        return p;
    }

    PreparedSource merge(const fs::path& source, const ReadingFormat* format, AthleteLookup* prefer = nullptr)
    {
        MergeRequest r;
        r.format = format;
        r.preferMaster = prefer;
        r.prefectureTable = kenCtl;
        PreparedSource p = prepareSource(source, store, r);
        appendSources(store, {p});
        return p;
    }

    tolvtest::EntrySnapshot snapshot() const { return tolvtest::readEntry(entry); }
};

// Columns 番号 1, 旧番号 2, 名前 3+ (3 and 4), フリカナ 5, 所属 6, 所属カナ 7, 50m 自由形 8, 50m 背泳ぎ 9.
ReadingFormat fixedFormat()
{
    ReadingFormat f;
    f.name = "固定";
    f.titleRecords = 1;
    f.columns[0] = {1, false};
    f.columns[1] = {2, false};
    f.columns[2] = {5, false};
    f.columns[3] = {3, true};
    f.columns[4] = {6, false};
    f.columns[5] = {7, false};
    f.columns[7] = {8, false};
    f.columns[14] = {9, false};
    return f;
}

SwimmerRecord csvSwimmer(const std::string& bango, const std::string& qbango, const std::string& name)
{
    SwimmerRecord e = EntryStore::emptySwimmer();
    e.setBango(bango);
    e.setQBango(qbango);
    e.setNamae(name);
    return e;
}

} // namespace

TEST(CsvItems, RecordsTakeTheItemCountOfTheFirstLineAcrossLineEnds)
{
    struct Count {
        const char* text;
        int n;
    };
    for (const Count& c : {Count{"a,b,c\r\nd", 3}, Count{"\"p,q\",r\n", 3}, Count{"", 1}, Count{"a\n,b,c", 1}})
        EXPECT_EQ(itemCountOfFirstLine(c.text), c.n) << c.text;

    // Two commas in the first line: records of three items, later lines run on.
    const CsvRecords r = cutCsvRecords("a,b,c\r\n1,2,3,4,\r\n\r\n5, \"6,\"\"x\"\"\n7\",8");
    EXPECT_EQ(r.itemCount, 3);
    ASSERT_EQ(r.records.size(), 3u);
    auto texts = [](const std::vector<CsvItem>& items) {
        std::vector<std::string> t;
        for (const CsvItem& i : items) t.push_back(i.bytes + "@" + std::to_string(i.line));
        return t;
    };
    EXPECT_EQ(texts(r.records[1]), (std::vector<std::string>{"1@2", "2@2", "3@2"}));
    // Blanks around an unquoted item go, quotes keep commas, doubled quotes and line ends; an empty
    // line gives nothing.
    EXPECT_EQ(texts(r.records[2]), (std::vector<std::string>{"4@2", "@2", "5@4"}));
    EXPECT_EQ(texts(r.rest), (std::vector<std::string>{"6,\"x\"\n7@5", "8@5"}));
}

TEST(Merge, FixedPositionModeBuildsEachSwimmerFromItsColumns)
{
    MergeFixture f;
    const ReadingFormat fmt = fixedFormat();
    const fs::path src = f.csv("team.csv",
                               "番号,旧番号,姓,名,カナ,所属,所属カナ,50自,50背\r\n" // title record
                               "1300101,13001200105011,山田,太郎,ﾔﾏﾀﾞ ﾀﾛｳ,さくら,ｻｸﾗ,30.50,\"1:05.23\"\r\n"
                               "9999999,,空,白,,,,,\r\n"       // no old number
                               "1300102,011231980012,鈴木\r\n" // runs on
                               "花子,ｽｽﾞｷ,みどり,ﾐﾄﾞﾘ,31.00,0\r\n"
                               "1300103,13002199804015,佐藤,舞,,,,,\r\n");
    const std::string before = readBytes(f.entry);
    const PreparedSource p = f.merge(src, &fmt);
    EXPECT_EQ(p.itemCount, 9);
    ASSERT_EQ(p.swimmers.size(), 3u);

    const tolvtest::EntrySnapshot s = f.snapshot();
    ASSERT_EQ(s.header.total(), 4);
    EXPECT_EQ(readBytes(f.entry).substr(4, 11 * 384 - 4), before.substr(4, 11 * 384 - 4)); // header and swimmer 1 kept

    SwimmerRecord yamada = csvSwimmer("1300101", "13001200105011", "山田　太郎");
    yamada.setKana("ﾔﾏﾀﾞ ﾀﾛｳ");
    yamada.setShozoku("さくら");
    yamada.setShozokuKana("ｻｸﾗ");
    yamada.setKen("東京都");
    yamada.setKenKana("ﾄｳｷｮｳ");
    yamada.setGakunen("11");
    yamada.setNenrei(7);
    yamada.setSei("1");
    yamada.setKiro(1, 3050);
    yamada.setKiro(8, 10523);
    EXPECT_EQ(s.swimmerAt(2), yamada);

    // A 12-character old number gains "19" after its team code; the sex follows its last character.
    SwimmerRecord suzuki = s.swimmerAt(3);
    EXPECT_EQ(suzuki.QBango(), "01123191980012");
    EXPECT_EQ(suzuki.Namae(), "鈴木　花子      ");
    EXPECT_EQ(suzuki.sei(), "1");
    EXPECT_EQ(suzuki.kiro(1), 3100);
    EXPECT_EQ(s.swimmerAt(4).sei(), "2");
    EXPECT_EQ(s.swimmerAt(4).Namae(), "佐藤　舞        ");
    EXPECT_EQ(s.swimmerAt(4).gakunen(), "15"); // born 1 April: one school year ahead
}

TEST(Merge, EventNumberModeStoresEachTimeAtItsEvent)
{
    MergeFixture f;
    ReadingFormat fmt;
    fmt.name = "種目";
    fmt.fixedPosition = false;
    fmt.eventNumber = true;
    fmt.rangeFirst = 4;
    fmt.rangeLast = 9;
    fmt.columns[0] = {1, false};
    fmt.columns[1] = {2, false};
    fmt.columns[3] = {3, false};
    fmt.columns[7] = {5, false}; // unused in this mode
    const fs::path src = f.csv("ev.csv", "1300101,13001200105011,山田,10100,1:02.34,20050,35.10,99999,12.00\n");
    f.merge(src, &fmt);
    const SwimmerRecord s = f.snapshot().swimmerAt(2);
    for (int slot = 0; slot < 44; ++slot) {
        const std::int32_t expected = slot == 2 ? 10234 : slot == 8 ? 3510 : 0; // unknown code dropped
        EXPECT_EQ(s.kiro(slot), expected) << slot;
    }
    EXPECT_EQ(eventNumberOfCode("60800"), 29);
    EXPECT_EQ(eventNumberOfCode("10100 "), 0);
}

TEST(Merge, AnEntryFileIsAppendedRecordForRecord)
{
    MergeFixture f;
    const fs::path src = f.tree.dir() / "club.kek";
    std::string sourceBytes;
    {
        EntryStore s;
        s.openEntryFile(src);
        MergeFixture::addSwimmer(s, "13001200105011", "一");
        MergeFixture::addSwimmer(s, "13001200105021", "二");
        s.swimmer().setMarkA(3, "*");
        s.writeSwimmer(2);
    }
    sourceBytes = readBytes(src);
    const std::string before = readBytes(f.entry);
    f.merge(src, nullptr);
    const std::string after = readBytes(f.entry);
    ASSERT_EQ(after.size(), 13u * 384u);
    EXPECT_EQ(after.substr(0, 4), std::string("\x03\0\0\0", 4));
    EXPECT_EQ(after.substr(4, 11 * 384 - 4), before.substr(4, 11 * 384 - 4));
    EXPECT_EQ(after.substr(11 * 384), sourceBytes.substr(10 * 384, 2 * 384)); // sequence fields kept
    EXPECT_EQ(readBytes(src), sourceBytes);
}

// An older file's half-width commas and double quotes (and a CSV item's) are stored full-width,
// the swimmers listed; everything else of the record is kept.
TEST(Merge, DelimitersOfTheCsvExportsAreStoredFullWidthAndListed)
{
    MergeFixture f;
    const fs::path src = f.tree.dir() / "old.kek";
    {
        EntryStore s;
        s.openEntryFile(src);
        MergeFixture::addSwimmer(s, "13001200105011", "一");
        MergeFixture::addSwimmer(s, "13001200105021", "山田,\"太郎");
    }
    const std::string sourceBytes = readBytes(src);
    const PreparedSource p = f.merge(src, nullptr);
    EXPECT_EQ(p.findings, "半角の「,」「\"」を全角にして取り込んだ選手 1 人: 選手 2 山田，＂太郎");
    const std::string after = readBytes(f.entry);
    EXPECT_EQ(after.substr(11 * 384, 384), sourceBytes.substr(10 * 384, 384)); // the other swimmer as it was
    SwimmerRecord changed;
    std::copy_n(after.data() + 12 * 384, 384, changed.bytes().data());
    EXPECT_EQ(changed.Namae(), "山田，＂太郎    ");
    EXPECT_EQ(std::string(changed.raw(SwimmerRecord::kKiro)), sourceBytes.substr(11 * 384 + SwimmerRecord::kKiro.offset, 176));

    const ReadingFormat fmt = fixedFormat();
    const PreparedSource c = f.merge(f.csv("c.csv", "番号,旧番号,名前,,フリカナ,所属,所属カナ,50自,50背\n"
                                                    "1300101,13001200105031,\"鈴木,\",一郎,,\"A,\"\"B\",,,\n"),
                                     &fmt);
    EXPECT_NE(c.findings.find("を全角にして取り込んだ選手 1 人: 選手 1 鈴木，"), std::string::npos) << c.findings;
    EXPECT_EQ(f.snapshot().swimmerAt(4).Shozoku(), "A，＂B" + std::string(6, ' '));
}

TEST(Merge, EveryRefusalLeavesTheEntryFileAsItWas)
{
    MergeFixture f;
    {
        EntryStore z;
        z.openEntryFile(f.tree.dir() / "t.zed");
    }
    writeBytes(f.tree.dir() / "short.zep", std::string(1000, '\0'));
    writeBytes(f.tree.dir() / "count.zep", std::string("\x05\0\0\0", 4) + std::string(764, '\0'));
    std::string wide = "1";
    for (int i = 2; i <= 70; ++i) wide += "," + std::to_string(i);
    f.csv("wide.csv", wide + "\n");
    f.csv("ok.csv", "1300101,13001200105011,山田,太郎,ｶﾅ,所属,ｼｮ,30.50,31.00\n");
    f.csv("cut.csv", "1300101,13001200105011,山田,太郎,ｶﾅ,所属,ｼｮ,30.50,31.00\n1,2,3\n");
    f.csv("big.csv", "t,t,t,t,t,t,t,t,t\n1300101,13001200105011,山田,太郎,ｶﾅ,所属,ｼｮ,99999999999,31.00\n");
    // Items that are no time form: refused by the one rule of times, never cut down to digits.
    for (const char* item : {"12x4", "-5", "x:yy.zz"})
        f.csv(std::string("no-time") + item + ".csv",
              std::string("t,t,t,t,t,t,t,t,t\n1300101,13001200105011,山田,太郎,ｶﾅ,所属,ｼｮ,30.50,") + item + "\n");

    ReadingFormat column70 = fixedFormat();
    column70.columns[20] = {70, false};
    ReadingFormat joinPast = fixedFormat();
    joinPast.columns[3] = {69, true};
    ReadingFormat range41 = fixedFormat();
    range41.fixedPosition = false;
    range41.eventNumber = true;
    range41.rangeFirst = 41;
    ReadingFormat noOldNumber = fixedFormat();
    noOldNumber.columns[1] = {};
    const ReadingFormat fixed = fixedFormat();

    struct Case {
        const char* source;
        const ReadingFormat* format;
        const char* says;
    };
    const Case cases[] = {
        {"t.zed", nullptr, "ここでは読込できません"},
        {"t.zep", nullptr, "そのものは結合できません"},
        {"none.zep", nullptr, "ありません"},
        {"short.zep", nullptr, "申込ファイルではありません"},
        {"count.zep", nullptr, "壊れています"},
        {"wide.csv", &fixed, "70 が 69 を越えています"},
        {"ok.csv", &column70, "の列 70 が 1～69 の外です"},
        {"ok.csv", &joinPast, "名前 の列 69+ が 1～69 の外です"},
        {"ok.csv", &range41, "種目番号の範囲の最初の列 41"},
        {"ok.csv", &noOldNumber, "旧番号の列が指定されていません"},
        {"ok.csv", nullptr, "読込形式が指定されていません"},
        {"cut.csv", &fixed, "項目が足りません（3 / 9 項目、2 行目から）"},
        {"big.csv", &fixed, "タイムではありません（50m自由形「99999999999」"},
        {"no-time12x4.csv", &fixed, "タイムではありません（50m背泳ぎ「12x4」"},
        {"no-time-5.csv", &fixed, "タイムではありません（50m背泳ぎ「-5」"},
        {"no-timex:yy.zz.csv", &fixed, "タイムではありません（50m背泳ぎ「x:yy.zz」"},
    };
    const std::string before = readBytes(f.entry);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        try {
            f.merge(f.tree.dir() / c.source, c.format);
            ADD_FAILURE() << "not refused";
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
        EXPECT_TRUE(readBytes(f.entry) == before) << "entry file changed";
    }
}

TEST(Merge, NoSourcePassesTheSwimmerLimit)
{
    MergeFixture f;
    // A file one short of the limit (the swimmer records left as zeros).
    f.store.header().setTotal(kMaxSwimmers - 1);
    f.store.saveHeader();
    fs::resize_file(f.entry, static_cast<std::uintmax_t>(kMaxSwimmers - 1 + 10) * 384);
    f.store.reopen();
    const std::string before = readBytes(f.entry);
    const ReadingFormat fmt = fixedFormat();
    const fs::path one = f.csv("one.csv", "a,b\n1,13001200105011\n");
    const fs::path two = f.csv("two.csv", "a,b\n1,13001200105011\n2,13001200105021\n");
    EXPECT_THROW(f.merge(two, &fmt), TolvError);
    EXPECT_TRUE(readBytes(f.entry) == before) << "entry file changed";

    // Several sources: the one that passes the limit is named and none is appended.
    MergeRequest r;
    r.format = &fmt;
    r.prefectureTable = f.kenCtl;
    std::vector<PreparedSource> both = {prepareSource(one, f.store, r), prepareSource(one, f.store, r)};
    try {
        appendSources(f.store, both);
        ADD_FAILURE() << "not refused";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("one.csv までで 100001 人"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(readBytes(f.entry) == before) << "entry file changed";
}

TEST(Merge, TheRegistrationMasterIsPreferredWhereItKnowsTheOldNumber)
{
    MergeFixture f;
    const fs::path root = f.tree.dir() / "registration";
    tolvtest::writeFixtureMaster(root);
    Session session;
    AthleteLookup lookup(session, root, f.kenCtl.parent_path(), tempDir());
    lookup.loadUnitFlags();

    // 13 is looked up; 14 is excluded by the unit flags although its master is there; an unknown
    // number stays as read.
    const fs::path src = f.csv("m.csv", "t,t,t,t,t,t,t,t,t\n"
                                        "9,13001200105011,別名,,,,,30.50,\n"
                                        "9,14001199907071,海野,誠,,,,,\n"
                                        "9,13001209901011,不明,,,,,,\n");
    const ReadingFormat fmt = fixedFormat();
    const PreparedSource p = f.merge(src, &fmt, &lookup);
    EXPECT_EQ(p.fromMaster, 1);
    const tolvtest::EntrySnapshot s = f.snapshot();
    SwimmerRecord yamada = tolvtest::expectedYamada();
    yamada.setSeq(0);
    yamada.setKiro(1, 3050);
    EXPECT_EQ(s.swimmerAt(2), yamada);
    EXPECT_EQ(s.swimmerAt(3).Namae(), "海野　誠        ");
    EXPECT_EQ(s.swimmerAt(3).Bango(), "9      ");
    EXPECT_EQ(s.swimmerAt(4).Namae(), "不明　          ");

    // An entry file's swimmer is filled the same way; its sequence field, old number, sex code (here
    // none) and times stay.
    const fs::path club = f.tree.dir() / "club.zep";
    {
        EntryStore c;
        c.openEntryFile(club);
        MergeFixture::addSwimmer(c, "13001200105011", "旧名");
    }
    EXPECT_EQ(f.merge(club, nullptr, &lookup).fromMaster, 1);
    yamada.setSeq(1);
    yamada.setKiro(1, 0);
    yamada.setKiro(3, 20001);
    yamada.bytes()[SwimmerRecord::kSei.offset] = EntryStore::emptySwimmer().bytes()[SwimmerRecord::kSei.offset];
    EXPECT_EQ(f.snapshot().swimmerAt(5), yamada);

    // A mixed relay's sex code "3" stays (the master's would come from the number's last digit).
    const fs::path mixed = f.tree.dir() / "mixed.zep";
    {
        EntryStore c;
        c.openEntryFile(mixed);
        MergeFixture::addSwimmer(c, "13001200105011", "混合");
        c.readSwimmer(1);
        c.swimmer().setSei("3");
        c.writeSwimmer(1);
    }
    EXPECT_EQ(f.merge(mixed, nullptr, &lookup).fromMaster, 1);
    yamada.setSei("3");
    EXPECT_EQ(f.snapshot().swimmerAt(6), yamada);
}
