// Lenex export and import: text folding and readings, the round trip through .lef and .lxf, the
// written document against the conformance check, a results file from abroad with every case the
// format allows, hostile files, and faults that leave the entry file alone.
#include "LenexConformance.h"
#include "LenexWorld.h"
#include "exchange/Hepburn.h"
#include "exchange/LenexCodes.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexReport.h"
#include "exchange/LenexWriter.h"
#include "platform/Error.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/TextFold.h"
#include "support/EntrySnapshot.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <sstream>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::writeBytes;
namespace fs = std::filesystem;

namespace {

struct Swimmer {
    const char* bango;
    const char* qbango;
    const char* namae;
    const char* kana;
    const char* sei;
    const char* shozoku;
    const char* shozokuKana;
    std::vector<std::pair<int, std::int32_t>> times; // slot, coded time
};

// Two reserve events: 80 an individual event, 81 a relay.
void setUpHeader(EntryStore& store)
{
    store.header().setZigyo("県大会");
    store.header().setBasho("県立プール");
    store.header().setStBi("2008/11/14");
    store.header().setEnBi("2008/11/15");
    store.header().setKijunBi("2008/10/16");
    store.header().setCourse(1);
    store.reserve().setYobiKubun(0, "小学生");
    store.reserve().setYobiName(0, "50m自由形");
    store.reserve().setYobiRelay(0, "0");
    store.reserve().setYobiKubun(1, "");
    store.reserve().setYobiName(1, "混合リレー");
    store.reserve().setYobiRelay(1, "1");
}

fs::path makeEntry(const fs::path& file, const std::vector<Swimmer>& swimmers)
{
    EntryStore store;
    store.openEntryFile(file);
    setUpHeader(store);
    store.saveHeader();
    std::vector<SwimmerRecord> records;
    for (const Swimmer& s : swimmers) {
        SwimmerRecord r = EntryStore::emptySwimmer();
        r.setSeq(static_cast<int>(records.size()) + 1);
        r.setBango(s.bango);
        r.setQBango(s.qbango);
        r.setNamae(s.namae);
        r.setKana(s.kana);
        r.setSei(s.sei);
        r.setShozoku(s.shozoku);
        r.setShozokuKana(s.shozokuKana);
        for (auto [slot, v] : s.times) r.setKiro(slot, v);
        records.push_back(r);
    }
    if (!records.empty()) store.appendSwimmers(records, "test");
    return file;
}

// Relay times sit on the first swimmer of their club and sex, where the import puts them back.
const std::vector<Swimmer> kSwimmers = {
    {"1234567",
     "13001200105011",
     "山田　太郎",
     "ﾔﾏﾀﾞ ﾀﾛｳ",
     "1",
     "東京ＳＣ",
     "ﾄｳｷｮｳ",
     {{2, 10523}, {8, 3512}, {19, 666666}, {22, 15012}, {28, 60000}, {29, 4000}}},
    {"2345678", "27002199912315", "花子", "", "2", "大阪ＳＣ", "ｵｵｻｶ", {{12, 4567}, {30, 20000}, {6, 888888}}},
    {"", "13001200204022", "佐藤　次郎", "ｻﾄｳ ｼﾞﾛｳ", "1", "東京ＳＣ", "ﾄｳｷｮｳ", {{1, 2845}}},
};

lenex::ExportOptions options(const std::string& city = "東京都江東区")
{
    lenex::ExportOptions o;
    o.city = city;
    o.settings.registration = "東京都水泳協会";
    o.settings.email = "entries@example.org";
    return o;
}

std::string faultsOf(const std::string& xml)
{
    std::string all;
    for (const std::string& f : tolvtest::lenexFaults(xml)) all += f + "\n";
    return all;
}

} // namespace

TEST(LenexText, FoldsToCp932AndRomanisesReadings)
{
    const std::pair<const char*, const char*> folds[] = {
        {"Müller", "Muller"},
        {"Straße", "Strasse"},
        {"Łukasz", "Lukasz"},
        {"Ødegård", "Odegard"},
        {"Jean–Luc „Jo“", "Jean-Luc ，，Jo“"},
        {"Smith, \"Jo\"", "Smith， ＂Jo＂"},
        {"Æsa", "AEsa"},
        {"Nguyễn", "Nguyen"},
        {"a\x1B[1mb", "a[1mb"},
        {"x\xF0\x9F\x98\x80", "x?"},
        {"山田　ﾀﾛｳ ①髙", "山田　ﾀﾛｳ ①髙"},
        {"Ωμέγα", "Ωμεγα"},
    };
    for (auto [in, out] : folds) EXPECT_EQ(foldToCp932(in).text, out) << in;
    EXPECT_FALSE(foldToCp932("山田　ﾀﾛｳ").folded);
    EXPECT_TRUE(foldToCp932("a\x7F").controls);

    const std::pair<const char*, const char*> readings[] = {
        {"ﾔﾏﾀﾞ", "Yamada"},    {"ﾀﾛｳ", "Taro"},     {"ｲﾉｳｴ", "Inoue"},    {"ｷｮｳｺ", "Kyoko"}, {"ｵｵﾉ", "Ono"},
        {"ｼﾝﾍﾟｲ", "Shimpei"},  {"ﾊｯﾄﾘ", "Hattori"}, {"ｲｯﾁｮｳ", "Itcho"},   {"ﾁﾞｭﾝ", "Jun"},   {"じゅんいち", "Jun'ichi"},
        {"ﾐﾅﾄSC", "MinatoSC"}, {"ﾕｳｰｼﾞ", "Yuji"},   {"ﾃｨﾌｧﾆｰ", "Tifani"}, {"ﾂﾞｷ", "Zuki"},   {"漢字", ""},
    };
    for (auto [kana, latin] : readings) {
        const std::string r = hepburn::romanise(kana);
        // "n" before a vowel stays "n" (passport form), so じゅんいち is written Junichi.
        EXPECT_EQ(r, std::string(latin) == "Jun'ichi" ? "Junichi" : latin) << kana;
        std::string back;
        if (r.empty()) continue;
        ASSERT_TRUE(hepburn::toKana(r, back)) << r;
        EXPECT_EQ(hepburn::romanise(back), r) << r << " " << back; // the way back writes the same
    }
    std::string kana;
    EXPECT_TRUE(hepburn::toKana("Taro", kana));
    EXPECT_EQ(kana, "ﾀﾛ");
    EXPECT_FALSE(hepburn::toKana("Smith", kana));
}

TEST(Lenex, RoundTripThroughLefAndLxf)
{
    for (bool zip : {false, true}) {
        tolvtest::TempTree tree;
        const fs::path source = makeEntry(tree.dir() / "TEAM.zep", kSwimmers);
        const fs::path target = makeEntry(tree.dir() / "BACK.zep", {kSwimmers[1]});
        fs::path lenexFile;
        {
            EntryStore store;
            store.openEntryFile(source, EntryStore::Access::Read);
            const auto r =
                lenex::exportLenex(store, lenex::defaultExportPath(tree.dir(), source, zip), zip, "東京都江東区", tree.dir());
            lenexFile = r.file;
            EXPECT_EQ(lenexFile.filename(), zip ? "TEAM.lxf" : "TEAM.lef");
            EXPECT_EQ(r.summary.athletes, 3);
            EXPECT_EQ(r.summary.relays, 3);
            EXPECT_EQ(r.summary.clubs, 2);
            EXPECT_EQ(lenex::rememberedCity(source), "東京都江東区");
        }
        if (zip) {
            EXPECT_EQ(readBytes(lenexFile).substr(0, 2), "PK");
        }
        {
            EntryStore store;
            store.openEntryFile(target);
            const auto r = lenex::importLenex(store, lenexFile);
            EXPECT_TRUE(r.notTaken.empty());
            EXPECT_EQ(r.relayTeams, 0);
            EXPECT_FALSE(r.header); // the file has a swimmer: its header stays
        }
        const auto before = tolvtest::readEntry(source);
        const auto after = tolvtest::readEntry(target);
        ASSERT_EQ(after.swimmers.size(), 4u);
        EXPECT_EQ(after.header.zigyo(), before.header.zigyo());
        // Exported club by club: 1 and 3 (東京ＳＣ), then 2; appended after the one swimmer there.
        const int order[] = {1, 3, 2};
        for (int k = 0; k < 3; ++k) {
            const SwimmerRecord& was = before.swimmerAt(order[k]);
            const SwimmerRecord& got = after.swimmerAt(k + 2);
            SCOPED_TRACE(was.Namae());
            EXPECT_EQ(got.seq(), k + 2);
            EXPECT_EQ(got.Bango(), was.Bango());
            EXPECT_EQ(got.Namae(), was.Namae());
            EXPECT_EQ(got.sei(), was.sei());
            EXPECT_EQ(got.QBango().substr(0, 13), was.QBango().substr(0, 13)); // team code, birth date
            EXPECT_EQ(got.Shozoku(), was.Shozoku());
            for (int slot = 0; slot < kEventSlots; ++slot) {
                // Marks travel as "NT" and come back as 参加; relays on the swimmer they were on.
                const std::int32_t v = was.kiro(slot);
                EXPECT_EQ(got.kiro(slot), isResultMark(v) ? kMarkEntered : v) << "slot " << slot;
            }
        }
        // The reading comes back as the katakana of its Hepburn form.
        EXPECT_EQ(after.swimmerAt(2).Kana(), "ﾔﾏﾀﾞ ﾀﾛ         ");
        EXPECT_EQ(after.swimmerAt(3).Kana(), "ｻﾄ ｼﾞﾛ          ");
    }
}

TEST(Lenex, WrittenDocumentConformsAndCarriesTheEntryFile)
{
    tolvtest::TempTree tree;
    std::vector<Swimmer> swimmers = kSwimmers;
    swimmers.push_back({"", "13001", "リレー", "", "3", "東京ＳＣ", "", {{25, 5500}}});                    // a team record
    swimmers.push_back({"", "27002200203036", "無記入", "", "", "大阪ＳＣ", "", {{1, 3000}, {26, 6000}}}); // sex from QBango
    swimmers.push_back({"", "13001200105021", "山田　次郎", "ﾔﾏﾀﾞ ｼﾞﾛｳ", "1", "東京ＳＣ", "ﾄｳｷｮｳ", {{28, 22000}}});
    swimmers.push_back({"", "     200302021", "無所属　一", "", "1", "Ｘクラブ", "", {{1, 3100}}});
    swimmers.push_back({"", "     200302031", "無所属　二", "", "1", "", "", {{1, 3200}}});
    const fs::path source = makeEntry(tree.dir() / "TEAM.zep", swimmers);
    EntryStore store;
    store.openEntryFile(source, EntryStore::Access::Read);
    const lenex::Document out = lenex::writeLenex(store.header(), store.reserve(), store.readAllSwimmers(), options());
    EXPECT_EQ(out.summary.notAthletes, std::vector<int>{4});
    EXPECT_EQ(faultsOf(out.xml), "");

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(out.xml.c_str()));
    EXPECT_EQ(out.xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_EQ(doc.select_nodes("//SWIMSTYLE[not(@swimstyleid)]").size(), 0u);
    const std::pair<const char*, const char*> values[] = {
        {"string(/LENEX/@version)", "3.0"},
        {"string(//CONSTRUCTOR/@registration)", "東京都水泳協会"},
        {"string(//CONSTRUCTOR/CONTACT/@email)", "entries@example.org"},
        {"string(//MEET/@name)", "県大会"},
        {"string(//MEET/@city)", "東京都江東区"},
        {"string(//MEET/FACILITY/@name)", "県立プール"},
        {"string(//MEET/FACILITY/@city)", "東京都江東区"},
        {"string(//MEET/@course)", "SCM"},
        {"string(//MEET/@nation)", "JPN"},
        {"string(//MEET/AGEDATE/@value)", "2008-10-16"},
        {"count(//SESSION)", "2"}, // 14 and 15 November
        {"string(//SESSION[1]/@date)", "2008-11-14"},
        {"string(//SESSION[2]/@date)", "2008-11-15"},
        {"count(//SESSION[2]/EVENTS/EVENT)", "0"},
        {"count(//EVENT)", "12"},
        {"string(//EVENT[@eventid='23']/SWIMSTYLE/@stroke)", "MEDLEY"},
        {"string(//EVENT[@eventid='23']/SWIMSTYLE/@distance)", "25"},
        {"string(//EVENT[@eventid='23']/SWIMSTYLE/@relaycount)", "4"},
        {"string(//EVENT[@eventid='29']/SWIMSTYLE/@distance)", "200"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@stroke)", "FREE"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@code)", "80"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@swimstyleid)", "30"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@name)", "小学生 50m自由形"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@distance)", "50"},
        {"string(//EVENT[@eventid='31']/SWIMSTYLE/@relaycount)", "4"},
        // One club per team: the two swimmers without a team code by their club's name.
        {"count(//CLUB)", "4"},
        {"string(//CLUB[1]/@code)", "13001"},
        {"string(//CLUB[1]/@nation)", "JPN"},
        {"string(//CLUB[1]/@shortname)", "東京ＳＣ"},
        {"string(//CLUB[1]/@shortname.en)", "Tokyo"},
        {"string(//CLUB[3]/@name)", "Ｘクラブ"},
        {"count(//CLUB[3]/@code | //CLUB[3]/@nation)", "0"},
        {"string(//CLUB[4]/@type)", "UNATTACHED"},
        {"count(//CLUB[4]/@name)", "0"},
        {"string(//ATHLETE[@athleteid='1']/@lastname)", "山田"},
        {"string(//ATHLETE[@athleteid='1']/@firstname)", "太郎"},
        {"string(//ATHLETE[@athleteid='1']/@lastname.en)", "Yamada"},
        {"string(//ATHLETE[@athleteid='1']/@firstname.en)", "Taro"},
        {"string(//ATHLETE[@athleteid='1']/@gender)", "M"},
        {"string(//ATHLETE[@athleteid='1']/@birthdate)", "2001-05-01"},
        {"string(//ATHLETE[@athleteid='1']/@license)", "1234567"},
        {"string(//ATHLETE[@athleteid='1']//ENTRY[@eventid='3']/@entrytime)", "00:01:05.23"},
        {"string(//ATHLETE[@athleteid='1']//ENTRY[@eventid='20']/@entrytime)", "NT"},
        {"count(//ATHLETE[@athleteid='1']//ENTRY)", "4"},
        // Athletes numbered as written: 東京ＳＣ 1, 3, 7, then 大阪ＳＣ 2, 5.
        {"string(//ATHLETE[@athleteid='3']/@lastname)", "山田"},
        {"string(//ATHLETE[@athleteid='3']/@firstname.en)", "Jiro"},
        {"string(//ATHLETE[@athleteid='4']/@lastname)", "花子"},
        {"count(//ATHLETE[@athleteid='4']/@lastname.en)", "0"}, // no reading
        {"string(//ATHLETE[@athleteid='5']/@gender)", "F"},
        {"count(//CLUB[1]/RELAYS/RELAY)", "4"},
        // Relays on athletes first, each with the athlete as its one known position.
        {"string(//CLUB[1]/RELAYS/RELAY[3]/ENTRIES/ENTRY/@eventid)", "29"},
        {"string(//CLUB[1]/RELAYS/RELAY[3]//RELAYPOSITION/@athleteid)", "3"},
        {"string(//CLUB[1]/RELAYS/RELAY[1]/@agemax)", "-1"},
        {"string(//CLUB[1]/RELAYS/RELAY[1]/@agetotalmin)", "-1"},
        {"string(//CLUB[1]/RELAYS/RELAY[4]/@gender)", "X"}, // the team record (混合)
        {"count(//CLUB[1]/RELAYS/RELAY[4]//RELAYPOSITION)", "0"},
        {"string(//CLUB[1]/RELAYS/RELAY[4]/ENTRIES/ENTRY/@entrytime)", "00:00:55.00"},
        {"string(//CLUB[2]/RELAYS/RELAY[1]/ENTRIES/ENTRY/@eventid)", "31"},
        {"string(//CLUB[2]/RELAYS/RELAY[1]/@gender)", "X"}, // the reserve event 混合リレー
        {"string(//CLUB[2]/RELAYS/RELAY[2]/@gender)", "F"},
    };
    for (auto [query, expected] : values) EXPECT_EQ(pugi::xpath_query(query).evaluate_string(doc), expected) << query;

    // Without a city there is no MEET city: refused.
    EXPECT_THROW(lenex::writeLenex(store.header(), store.reserve(), store.readAllSwimmers(), options("")), TolvError);
}

TEST(LenexConformance, NamesEachFault)
{
    tolvtest::TempTree tree;
    const fs::path source = makeEntry(tree.dir() / "TEAM.zep", kSwimmers);
    EntryStore store;
    store.openEntryFile(source, EntryStore::Access::Read);
    std::string xml = lenex::writeLenex(store.header(), store.reserve(), store.readAllSwimmers(), options()).xml;
    auto replace = [&](const std::string& from, const std::string& to) {
        const std::size_t at = xml.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        xml.replace(at, from.size(), to);
    };
    replace(" registration=\"東京都水泳協会\"", "");
    replace("lastname.en=\"Yamada\"", "lastname.en=\"山田\"");
    replace("gender=\"M\"", "gender=\"Q\"");
    replace("<ENTRY eventid=\"3\"", "<ENTRY eventid=\"99\"");
    replace("entrytime=\"00:01:05.23\"", "entrytime=\"1:05.23\"");
    replace("agemin=\"-1\" ", "");
    replace("athleteid=\"1\" number=\"1\"", "athleteid=\"77\" number=\"1\"");
    replace("birthdate=\"2001-05-01\"", "birthdate=\"2001-02-30\"");
    const std::vector<std::string> faults = tolvtest::lenexFaults(xml);
    const char* expected[] = {"必須の属性 registration",         "@lastname.en ASCII",        "@gender 列挙にない値: Q",
                              "eventid に EVENT がない: 99",     "@entrytime 泳タイムでない", "必須の属性 agemin",
                              "athleteid に ATHLETE がない: 77", "@birthdate 日付でない"};
    ASSERT_EQ(faults.size(), std::size(expected)) << faultsOf(xml);
    for (const char* e : expected) {
        bool found = false;
        for (const std::string& f : faults) found = found || f.find(e) != std::string::npos;
        EXPECT_TRUE(found) << e << "\n" << faultsOf(xml);
    }
}

namespace {

// An entry file without swimmers whose one reserve event is a kick event.
fs::path emptyEntryWithKick(const fs::path& file)
{
    EntryStore store;
    store.openEntryFile(file);
    store.reserve().setYobiName(0, "25mキック");
    store.reserve().setYobiRelay(0, "0");
    store.saveHeader();
    return file;
}

bool has(const std::vector<std::string>& list, const std::string& part)
{
    for (const std::string& s : list)
        if (s.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(Lenex, ResultsFileFromAbroadImportsWholeAndGoesBackOutConformant)
{
    std::string clean = tolvtest::kLenexWorld;
    clean.erase(clean.find("&#0;"), 4);
    clean.erase(clean.find("&#27;"), 5);
    EXPECT_EQ(faultsOf(clean), ""); // the fixture itself conforms, but for its control characters
    tolvtest::TempTree tree;
    const fs::path entry = emptyEntryWithKick(tree.dir() / "WORLD.zep");
    writeBytes(tree.dir() / "world.lef", tolvtest::kLenexWorld);
    lenex::ImportResult r;
    {
        EntryStore store;
        store.openEntryFile(entry);
        r = lenex::importLenex(store, tree.dir() / "world.lef");
    }
    // The header of the empty file takes the meet: name and venue cut, YEAR as 31 December.
    const auto got = tolvtest::readEntry(entry);
    ASSERT_TRUE(r.header);
    EXPECT_EQ(got.header.zigyo(), "Internat");
    EXPECT_EQ(got.header.basho(), "Olympia-Schw");
    EXPECT_EQ(got.header.stBi(), "2024/06/08");
    EXPECT_EQ(got.header.enBi(), "2024/06/09");
    EXPECT_EQ(got.header.kijunBi(), "2024/12/31");
    EXPECT_EQ(got.header.course(), 0);
    EXPECT_EQ(got.header.day(1), 20240609);
    EXPECT_TRUE(has(r.headerNotes, "大会名を8バイトで切りました"));

    ASSERT_EQ(got.swimmers.size(), 7u); // six athletes and the relay team without positions
    struct Expected {
        const char* namae;
        const char* qbango;
        std::vector<std::pair<int, std::int32_t>> times;
    };
    const Expected expected[] = {
        // The mixed relay on every swimmer of its positions; the relay team record after the
        // athletes of every club.
        {"Muller　Jurgen  ", "L0001200803141", {{2, 5720}, {29, 1950}, {8, kMarkEntered}, {23, 20530}}},
        {"Strasse-Lukasiew", "L0001200911305", {{8, 3340}, {23, 20530}}},
        {"Odegard　Ase[31m", "L0001200901205", {{8, kMarkEntered}, {23, 20530}}},
        {"Nguyen　Thi Anh ", "L0002200702025", {{8, 3199}}},
        {"Wolfeschlegelste", "L0002200605051", {{2, 5500}}},
        {"山田　太郎      ", "13001201004021", {{8, 3500}}},
        {"リレー          ", "L0002         ", {{23, 21000}}},
    };
    for (int k = 0; k < 7; ++k) {
        const SwimmerRecord& s = got.swimmerAt(k + 1);
        SCOPED_TRACE(expected[k].namae);
        EXPECT_EQ(s.Namae(), expected[k].namae);
        EXPECT_EQ(s.QBango(), expected[k].qbango);
        std::map<int, std::int32_t> want(expected[k].times.begin(), expected[k].times.end());
        for (int slot = 0; slot < kEventSlots; ++slot) EXPECT_EQ(s.kiro(slot), want.count(slot) ? want[slot] : 0) << slot;
    }
    EXPECT_EQ(got.swimmerAt(1).Shozoku(), "SV Wurzburg ");
    EXPECT_EQ(got.swimmerAt(1).Bango(), "123456 ");
    EXPECT_EQ(got.swimmerAt(1).nenrei(), 16);
    EXPECT_EQ(got.swimmerAt(7).sei(), "1");
    EXPECT_EQ(got.swimmerAt(6).Kana(), "ﾔﾏﾀﾞ ﾀﾛ         ");
    EXPECT_EQ(got.swimmerAt(6).ShozokuKana(), "ﾄｷｮSC ");

    EXPECT_EQ(r.times, 10);
    EXPECT_EQ(r.entered, 2);
    EXPECT_EQ(r.relayTeams, 1);
    EXPECT_EQ(r.controlLines, std::vector<int>{52});
    for (const char* who : {"Müller", "Straße", "Ødegård", "Nguyễn"}) EXPECT_TRUE(has(r.folded, who)) << who;
    EXPECT_FALSE(has(r.folded, "山田"));
    for (const char* who : {"Straße", "Wolfeschlegelsteinhausen"}) EXPECT_TRUE(has(r.cut, who)) << who;
    for (const char* s :
         {"Müller Jürgen（SV Würzburg 05）: 50m BACK DSQ", "Åse[31m（SV Würzburg 05）: 50m BACK DNS",
          "Nguyễn Thị Ánh（Schwimmclub Neptun Zürich）: 100m FREE WDR", "Hubert（Schwimmclub Neptun Zürich）: 100m FREE DNF"})
        EXPECT_TRUE(has(r.statuses, s)) << s;
    EXPECT_EQ(r.statuses.size(), 4u);
    EXPECT_EQ(r.notTaken, (std::vector<std::string>{"Müller Jürgen（SV Würzburg 05）: 400m BACK",
                                                    "Straße-Łukasiewicz Zoë（SV Würzburg 05）: 50m BREAST PULL"}));
    const std::string message = lenex::describeImport(r, tree.dir() / "world.lef");
    for (const char* part :
         {"6 人を追加しました", "タイム 10 件、参加（タイムなし） 2 件", "文字を基本の文字に置き換えた選手（氏名・所属） 4 件",
          "Straße-Łukasiewicz Zoë（SV Würzburg 05）", "氏名・所属を欄の長さで切った選手 2 件",
          "記録の状態（失格・棄権など）があり、タイムにしなかったエントリー・結果 4 件", "取り込まなかったエントリー・結果 2 件",
          "SV Würzburg 05 (WUE) → L0001", "制御文字を取り除いた行: 52"})
        EXPECT_NE(message.find(part), std::string::npos) << part << "\n" << message;

    // The clubs' own codes and nations, the city, the mixed relay and the names are kept beside the file.
    EXPECT_EQ(readBytes(lenex::LenexMemory::pathFor(entry)),
              "# tolvsys: Lenex details of WORLD.zep\ncity\tMünchen\nnation\tGER\n"
              "club\tL0001\tWUE\tGER\tSV Würzburg 05\nclub\tL0002\tZH0815\tSUI\tSchwimmclub Neptun Zürich\n"
              "mixed\tL0001200803141\t23\nmixed\tL0001200901205\t23\nmixed\tL0001200911305\t23\n"
              // The names as the file gave them, where the records fold or cut them.
              "athlete\tL0001200803141\tMuller　Jurgen\tMüller\tJürgen\t\t\t123456\t\n"
              "athlete\tL0001200911305\tStrasse-Lukasiew\tStraße-Łukasiewicz\tZoë\t\t\t\t\n"
              "athlete\tL0001200901205\tOdegard　Ase[31m\tØdegård\tÅse[31m\t\t\t\t\n"
              "athlete\tL0002200702025\tNguyen　Thi Anh\tNguyễn\tThị Ánh\t\t\t\t\n"
              "athlete\tL0002200605051\tWolfeschlegelste\tWolfeschlegelsteinhausen\tHubert\t\t\t\t\n");

    // Out again: conformant, the clubs as they came, the mixed relay as X on its swimmer.
    EntryStore store;
    store.openEntryFile(entry);
    const lenex::ExportResult x = lenex::exportLenex(store, tree.dir() / "out.lef", false, "", tree.dir());
    const std::string xml = readBytes(x.file);
    EXPECT_EQ(faultsOf(xml), "");
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(xml.c_str()));
    const std::pair<const char*, const char*> values[] = {
        {"string(//MEET/@city)", "München"},
        {"string(//MEET/@nation)", "GER"},
        {"count(//SESSION)", "2"},
        {"string(//CLUB[1]/@name)", "SV Würzburg 05"},
        {"string(//CLUB[1]/@code)", "WUE"},
        {"string(//CLUB[1]/@nation)", "GER"},
        {"string(//CLUB[2]/@code)", "ZH0815"},
        {"string(//CLUB[3]/@code)", "13001"},
        {"string(//CLUB[3]/@shortname.en)", "TokyoSC"},
        {"string(//CLUB[1]//RELAY/@gender)", "X"},
        {"string(//CLUB[1]//RELAYPOSITION/@athleteid)", "1"},
        {"count(//CLUB[1]//RELAYPOSITION)", "3"},
        {"string(//CLUB[2]//RELAY/@gender)", "M"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@name)", "25mキック"},
        {"string(//ATHLETE[@athleteid='6']/@lastname.en)", "Yamada"},
        {"count(//ATHLETE[@athleteid='1']/@lastname.en)", "0"},
    };
    for (auto [query, expected] : values) EXPECT_EQ(pugi::xpath_query(query).evaluate_string(doc), expected) << query;

    // A second import: the clubs keep their codes; the header of a file with swimmers stays
    // unless the user agrees.
    store.header().setZigyo("県大会");
    store.saveHeader();
    lenex::ImportOptions no;
    no.takeHeader = [](const lenex::MeetInfo& m) { return m.name.empty(); };
    no.again = [](const std::string&) { return true; };
    const lenex::ImportResult again = lenex::importLenex(store, tree.dir() / "world.lef", no);
    EXPECT_FALSE(again.header);
    EXPECT_TRUE(again.codedClubs.empty());
    EXPECT_EQ(store.header().zigyo(), "県大会  ");
    EXPECT_EQ(store.swimmerAt(8).QBango(), "L0001200803141");
    lenex::ImportOptions yes = no;
    std::string asked;
    yes.takeHeader = [&](const lenex::MeetInfo& m) { return !(asked = lenex::headerQuestion(m)).empty(); };
    lenex::importLenex(store, tree.dir() / "world.lef", yes);
    EXPECT_EQ(store.header().zigyo(), "Internat");
    EXPECT_NE(asked.find("大会名: Internationales Schwimmfest München"), std::string::npos) << asked;
    EXPECT_NE(asked.find("期日: 2024-06-08〜2024-06-09"), std::string::npos) << asked;
    // The course in the header's own words.
    lenex::MeetInfo shortCourse;
    shortCourse.course = "SCM";
    EXPECT_NE(lenex::headerQuestion(shortCourse).find("\nコース: 短水路"), std::string::npos);
    shortCourse.course = "LCM";
    EXPECT_NE(lenex::headerQuestion(shortCourse).find("\nコース: 長水路"), std::string::npos);
}

TEST(Lenex, HostileFilesAreRefusedBeforeATreeIsBuilt)
{
    tolvtest::TempTree tree;
    const fs::path entry = makeEntry(tree.dir() / "TEAM.zep", {kSwimmers[0]});
    const std::string before = readBytes(entry);
    const std::string head =
        R"(<?xml version="1.0"?><LENEX version="3.0"><MEETS><MEET name="m" city="c" nation="JPN">)"
        R"(<SESSIONS><SESSION number="1" date="2024-06-08"><EVENTS /></SESSION></SESSIONS><CLUBS><CLUB name="x">)";
    std::string deep = head;
    for (int i = 0; i < 175000; ++i) deep += "<CLUB>";
    std::string many = head + "<ATHLETES>";
    for (int i = 0; i < kMaxSwimmers; ++i) many += "<ATHLETE/>";
    many += "</ATHLETES></CLUB></CLUBS></MEET></MEETS></LENEX>";
    const std::pair<std::string, const char*> cases[] = {
        {deep, "1行目: 要素の入れ子が深すぎます（48 段まで）"},
        {many, "申込ファイルに入る選手は 100000 人までです（現在 1 人、Lenexファイルに 100000 人）"},
        {"\xFF\xFE<\0L\0", "UTF-8 ではありません"},
    };
    for (const auto& [content, expected] : cases) {
        writeBytes(tree.dir() / "bad.lef", content);
        EntryStore store;
        store.openEntryFile(entry);
        try {
            lenex::importLenex(store, tree.dir() / "bad.lef");
            ADD_FAILURE() << "accepted: " << expected;
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
        store.close();
        EXPECT_EQ(readBytes(entry), before) << expected;
    }
}

TEST(LenexCodes, TimesBothWays)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {2845, "00:00:28.45"}, {10523, "00:01:05.23"}, {595999, "00:59:59.99"}, {6000, "00:01:00.00"},
        {666666, "NT"},        {888888, "NT"},         {700003, "NT"},          {-5, "NT"},
    };
    for (auto [value, text] : cases) EXPECT_EQ(lenex::swimTime(value), text) << value;
    EXPECT_EQ(lenex::codedTime("00:01:05.23"), 10523);
    EXPECT_EQ(lenex::codedTime("00:59:59.99"), 595999);
    for (const char* bad : {"01:00:00.00", "00:60:00.00", "00:01:60.00", "1:05.23", "00:01:05.2", "NT", ""})
        EXPECT_FALSE(lenex::codedTime(bad)) << bad;
}

TEST(Lenex, FaultyFilesLeaveTheEntryFileAsItWas)
{
    tolvtest::TempTree tree;
    const fs::path entry = makeEntry(tree.dir() / "TEAM.zep", {kSwimmers[0]});
    const std::string before = readBytes(entry);
    const std::string good = tolvtest::kLenexWorld;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const std::pair<std::string, const char*> cases[] = {
        {good.substr(0, good.size() / 2), "XML"},
        {"<EVENTS/>", "LENEX"},
        {replaced(R"(<ENTRY eventid="11" entrytime="00:00:58.10")", R"(<ENTRY entrytime="00:00:58.10")"),
         "36行目: ENTRY に eventid"},
        {replaced("00:00:57.55", "0:57.55"), "37行目: entrytime"},
        {replaced("00:00:19.50", "01:10:30.99"), "44行目: swimtime"},
        {replaced(R"(distance="25" relaycount="1" stroke="FLY")", R"(distance="25" stroke="FLY")"),
         "19行目: SWIMSTYLE の distance か relaycount"},
        {replaced(R"(<EVENT eventid="13" number="2">)", R"(<EVENT number="2">)"), "19行目: EVENT に eventid"},
        // Latin-1 bytes in a file that says UTF-8: refused at their line, never read as other letters.
        {replaced("Zoë", "\xE9rica"), "48行目: UTF-8 として読めないバイトがあります（0xE9）"},
        {std::string("PK\x03\x04", 4) + "not really a zip", "lxf"},
        {lenex::zipLenex(good, "results.xml"), ".lef"},
    };
    for (const auto& [content, expected] : cases) {
        writeBytes(tree.dir() / "bad.lef", content);
        EntryStore store;
        store.openEntryFile(entry);
        try {
            lenex::importLenex(store, tree.dir() / "bad.lef");
            ADD_FAILURE() << "accepted: " << expected;
        } catch (const TolvError& e) {
            const std::string m = e.what();
            EXPECT_NE(m.find((tree.dir() / "bad.lef").string()), std::string::npos) << m;
            EXPECT_NE(m.find(expected), std::string::npos) << m;
        }
        store.close();
        EXPECT_EQ(readBytes(entry), before) << expected;
    }
}

namespace {

// One club in two CLUB elements; a relay in the second naming swimmers of both, with other
// positions in each of its events; athletes without a birth date or a name; two events of one
// style (the second for ages 10 to 12).
const char* const kRelayCup = R"(<?xml version="1.0" encoding="UTF-8"?>
<LENEX version="3.0">
  <MEETS>
    <MEET name="Relay Cup" city="Bonn" nation="GER" course="SCM">
      <AGEDATE type="DATE" value="2024-12-31" />
      <SESSIONS>
        <SESSION number="1" date="2024-11-02">
          <EVENTS>
            <EVENT eventid="1" number="1" gender="F"><SWIMSTYLE distance="50" relaycount="4" stroke="FREE" /></EVENT>
            <EVENT eventid="2" number="2" gender="F"><SWIMSTYLE distance="50" relaycount="4" stroke="MEDLEY" /></EVENT>
            <EVENT eventid="3" number="3" gender="F"><SWIMSTYLE distance="50" relaycount="1" stroke="FREE" /></EVENT>
            <EVENT eventid="4" number="4" gender="F"><SWIMSTYLE distance="50" relaycount="1" stroke="FREE" />
              <AGEGROUPS><AGEGROUP agegroupid="1" agemin="10" agemax="12" /></AGEGROUPS></EVENT>
          </EVENTS>
        </SESSION>
      </SESSIONS>
      <CLUBS>
        <CLUB name="SC Bonn" code="BONN1" nation="GER">
          <ATHLETES>
            <ATHLETE athleteid="1" lastname="Abel" firstname="Anna" gender="F" birthdate="2010-01-01">
              <ENTRIES><ENTRY eventid="3" entrytime="00:00:30.00" /></ENTRIES>
            </ATHLETE>
            <ATHLETE athleteid="2" lastname="Bach" firstname="Berta" gender="F" birthdate="2011-02-02" />
            <ATHLETE athleteid="9" lastname="Ohne" firstname="Datum" gender="F" />
          </ATHLETES>
        </CLUB>
        <CLUB name="SC Bonn" code="BONN1" nation="GER">
          <ATHLETES>
            <ATHLETE athleteid="3" lastname="Czerny" firstname="Clara" gender="F" birthdate="2010-03-03" />
            <ATHLETE athleteid="4" lastname="Dahl" firstname="Dora" gender="F" birthdate="2012-04-04">
              <ENTRIES><ENTRY eventid="4" entrytime="00:00:35.00" /></ENTRIES>
            </ATHLETE>
            <ATHLETE athleteid="5" lastname="Ernst" firstname="Eva" gender="F" birthdate="2011-05-05" />
            <ATHLETE athleteid="8" firstname="Namenlos" gender="F" birthdate="2011-05-05" />
          </ATHLETES>
          <RELAYS>
            <RELAY number="1" gender="F">
              <ENTRIES>
                <ENTRY eventid="1" entrytime="00:02:00.00">
                  <RELAYPOSITIONS>
                    <RELAYPOSITION number="2" athleteid="2" /><RELAYPOSITION number="1" athleteid="1" />
                    <RELAYPOSITION number="3" athleteid="3" /><RELAYPOSITION number="4" athleteid="4" />
                  </RELAYPOSITIONS>
                </ENTRY>
                <ENTRY eventid="2" entrytime="00:02:20.00">
                  <RELAYPOSITIONS>
                    <RELAYPOSITION number="1" athleteid="5" /><RELAYPOSITION number="2" athleteid="4" />
                    <RELAYPOSITION number="3" athleteid="3" /><RELAYPOSITION number="4" athleteid="2" />
                  </RELAYPOSITIONS>
                </ENTRY>
              </ENTRIES>
            </RELAY>
          </RELAYS>
        </CLUB>
      </CLUBS>
    </MEET>
  </MEETS>
</LENEX>
)";

std::string printed(const pugi::xml_node& n)
{
    std::ostringstream out;
    n.print(out, "  ");
    return out.str();
}

} // namespace

TEST(Lenex, RelaysGoToTheirOwnEventsSwimmersAndLeaveAsOneTeam)
{
    tolvtest::TempTree tree;
    EntryStore store;
    store.openEntryFile(tree.dir() / "CUP.zep");
    lenex::ImportResult r = lenex::readLenex(kRelayCup, "cup.lef", store.header(), store.reserve());
    // The athletes the entry file cannot hold are left out and named with line and club.
    EXPECT_EQ(r.leftOut, (std::vector<std::string>{"24行目: SC Bonn Ohne Datum（生年月日がありません）",
                                                   "34行目: SC Bonn Namenlos（氏名がありません）"}));
    ASSERT_EQ(r.swimmers.size(), 5u);
    EXPECT_EQ(r.relayTeams, 0);
    const std::int32_t free[] = {20000, 20000, 20000, 20000, 0};
    const std::int32_t medley[] = {0, 22000, 22000, 22000, 22000};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(r.swimmers[k].kiro(26), free[k]) << k;
        EXPECT_EQ(r.swimmers[k].kiro(23), medley[k]) << k;
    }
    EXPECT_NE(lenex::describeImport(r, "cup.lef").find("申込ファイルに入らないため取り込まなかった選手"), std::string::npos);

    // Out again: one relay per team, its swimmers in record order, its ages from theirs on the
    // age date (31 December 2024).
    ASSERT_TRUE(r.header);
    lenex::ExportOptions o = options("Bonn");
    o.memory = r.memory;
    const lenex::Document doc = lenex::writeLenex(*r.header, store.reserve(), r.swimmers, o);
    EXPECT_EQ(faultsOf(doc.xml), "");
    EXPECT_FALSE(doc.summary.againstMeet);
    pugi::xml_document written;
    ASSERT_TRUE(written.load_string(doc.xml.c_str()));
    EXPECT_EQ(printed(written.select_node("//RELAYS").node()), R"(<RELAYS>
  <RELAY number="1" gender="F" agemax="14" agemin="12" agetotalmax="53" agetotalmin="53">
    <ENTRIES>
      <ENTRY eventid="27" entrytime="00:02:00.00">
        <RELAYPOSITIONS>
          <RELAYPOSITION athleteid="1" number="1" />
          <RELAYPOSITION athleteid="2" number="2" />
          <RELAYPOSITION athleteid="3" number="3" />
          <RELAYPOSITION athleteid="4" number="4" />
        </RELAYPOSITIONS>
      </ENTRY>
    </ENTRIES>
  </RELAY>
  <RELAY number="2" gender="F" agemax="14" agemin="12" agetotalmax="52" agetotalmin="52">
    <ENTRIES>
      <ENTRY eventid="24" entrytime="00:02:20.00">
        <RELAYPOSITIONS>
          <RELAYPOSITION athleteid="2" number="1" />
          <RELAYPOSITION athleteid="3" number="2" />
          <RELAYPOSITION athleteid="4" number="3" />
          <RELAYPOSITION athleteid="5" number="4" />
        </RELAYPOSITIONS>
      </ENTRY>
    </ENTRIES>
  </RELAY>
</RELAYS>
)");
    EXPECT_NE(lenex::describeExport({"x.lef", doc.summary}).find("種目はこのプログラムの種目番号のままです"), std::string::npos);
}

TEST(Lenex, EntriesAgainstATakenMeetGoToTheOneEventTheyMatch)
{
    tolvtest::TempTree tree;
    EntryStore store;
    store.openEntryFile(tree.dir() / "CUP.zep");
    const lenex::ImportResult meet = lenex::readLenexMeet(kRelayCup, "cup.lef", store.header(), store.reserve());
    EXPECT_EQ(meet.events, 4);
    EXPECT_TRUE(meet.swimmers.empty());
    lenex::ImportResult r = lenex::readLenex(kRelayCup, "cup.lef", store.header(), store.reserve(), {}, meet.memory);
    // A boy with a 50 m freestyle time: no event of the meet admits him.
    SwimmerRecord boy = r.swimmers[0];
    boy.setNamae("Fink　Felix");
    boy.setSei("1");
    boy.setQBango("BONN1201006061");
    boy.setKiro(26, 0);
    r.swimmers.push_back(boy);
    lenex::ExportOptions o = options("");
    o.memory = r.memory;
    const lenex::Document doc = lenex::writeLenex(*r.header, store.reserve(), r.swimmers, o);
    EXPECT_EQ(faultsOf(doc.xml), "");
    ASSERT_TRUE(doc.summary.againstMeet);
    pugi::xml_document written;
    ASSERT_TRUE(written.load_string(doc.xml.c_str()));
    // Abel (14) has one event of her age; Dahl (12) two; the boy none: listed, not entered.
    std::vector<std::string> ids;
    for (const auto& x : written.select_nodes("//ENTRY")) ids.push_back(x.node().attribute("eventid").value());
    // The organiser's meet as it was, without its clubs.
    pugi::xml_document source;
    ASSERT_TRUE(source.load_string(kRelayCup));
    source.select_node("//CLUBS").node().parent().remove_child("CLUBS");
    pugi::xml_node writtenMeet = written.select_node("//MEET").node();
    writtenMeet.remove_child("CLUBS");
    EXPECT_EQ(printed(writtenMeet), printed(source.select_node("//MEET").node()));
    EXPECT_EQ(ids, (std::vector<std::string>{"3", "1", "2"}));
    EXPECT_EQ(doc.summary.notEntered,
              (std::vector<std::string>{"4 Dahl　Dora 50m自由形（合う種目が 2 件あります: eventid 3 eventid 4）",
                                        "6 Fink　Felix 50m自由形（大会に合う種目がありません）"}));
}

TEST(LenexCodes, ReserveEventsStateTheirStyle)
{
    const struct {
        const char* name;
        const char* relay;
        const char* style; // distance relaycount stroke technique, or "" for none
    } cases[] = {
        {"50m背泳ぎキック", "0", "50 1 BACK KICK"},
        {"25mキック", "0", "25 1 UNKNOWN KICK"},
        {"200mﾒﾄﾞﾚｰﾘﾚｰ", "1", "50 4 MEDLEY "},
        {"400mリレー", "1", "100 4 FREE "},
        {"50m背泳ぎ", "0", "50 1 BACK "},
        {"水中ウォーク", "0", ""},
        {"150mリレー", "1", ""},
    };
    for (const auto& c : cases) {
        ReserveEvents reserve;
        reserve.setYobiName(0, c.name);
        reserve.setYobiRelay(0, c.relay);
        const auto st = lenex::styleOfReserve(reserve, 0);
        EXPECT_EQ(st ? std::to_string(st->distance) + " " + std::to_string(st->relaycount) + " " + st->stroke + " " +
                           st->technique
                     : std::string(),
                  c.style)
            << c.name;
    }
}

// Every swimmer left out of an export is named, twenty to a line (a long list goes behind the
// message box's details), none cut off.
TEST(Lenex, EveryLeftOutSwimmerIsNamed)
{
    lenex::ExportResult r;
    r.file = "TEAM.lef";
    for (int n = 1; n <= 45; ++n) r.summary.notAthletes.push_back(n);
    const std::string m = lenex::describeExport(r);
    EXPECT_EQ(m.find("…"), std::string::npos);
    EXPECT_NE(m.find(":\n 1 2 3"), std::string::npos) << m;
    EXPECT_NE(m.find("\n 21 22"), std::string::npos) << m;
    EXPECT_NE(m.find("\n 41 42 43 44 45"), std::string::npos) << m;
}
