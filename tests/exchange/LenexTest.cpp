// Lenex export and import: the round trip through .lef and .lxf, the structure of the written XML,
// a file written by hand from the format's description, and faults that leave the entry file alone.
#include "exchange/LenexCodes.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexWriter.h"
#include "platform/Error.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "support/EntrySnapshot.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

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
    std::vector<std::pair<int, std::int32_t>> times;  // slot, coded time
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
    {"1234567", "13001200105011", "山田　太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", "1", "東京ＳＣ", "ﾄｳｷｮｳ",
     {{2, 10523}, {8, 3512}, {19, 666666}, {22, 15012}, {28, 60000}, {29, 4000}}},
    {"2345678", "27002199912315", "花子", "", "2", "大阪ＳＣ", "ｵｵｻｶ", {{12, 4567}, {30, 20000}, {6, 888888}}},
    {"", "13001200204022", "佐藤　次郎", "ｻﾄｳ ｼﾞﾛｳ", "1", "東京ＳＣ", "ﾄｳｷｮｳ", {{1, 2845}}},
};

} // namespace

TEST(LenexCodes, TimesBothWays)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {2845, "00:00:28.45"}, {10523, "00:01:05.23"}, {595999, "00:59:59.99"}, {6000, "00:01:00.00"},
        {666666, "NT"}, {888888, "NT"}, {700003, "NT"}, {-5, "NT"},
    };
    for (auto [value, text] : cases) EXPECT_EQ(lenex::swimTime(value), text) << value;
    EXPECT_EQ(lenex::codedTime("00:01:05.23"), 10523);
    EXPECT_EQ(lenex::codedTime("00:59:59.99"), 595999);
    for (const char* bad : {"01:00:00.00", "00:60:00.00", "00:01:60.00", "1:05.23", "00:01:05.2", "NT", ""})
        EXPECT_FALSE(lenex::codedTime(bad)) << bad;
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
            const auto r = lenex::exportLenex(store, lenex::defaultExportPath(tree.dir(), source, zip), zip);
            lenexFile = r.file;
            EXPECT_EQ(lenexFile.filename(), zip ? "TEAM.lxf" : "TEAM.lef");
            EXPECT_EQ(r.summary.athletes, 3);
            EXPECT_EQ(r.summary.relays, 3);
            EXPECT_EQ(r.summary.clubs, 2);
        }
        if (zip) {
            EXPECT_EQ(readBytes(lenexFile).substr(0, 2), "PK");
        }
        {
            EntryStore store;
            store.openEntryFile(target);
            const auto r = lenex::importLenex(store, lenexFile);
            EXPECT_EQ(r.unknownEvents, 0);
            EXPECT_EQ(r.relaysNotPlaced, 0);
        }
        const auto before = tolvtest::readEntry(source);
        const auto after = tolvtest::readEntry(target);
        ASSERT_EQ(after.swimmers.size(), 4u);
        // Exported club by club: 1 and 3 (東京ＳＣ), then 2; appended after the one swimmer there.
        const int order[] = {1, 3, 2};
        for (int k = 0; k < 3; ++k) {
            const SwimmerRecord& was = before.swimmerAt(order[k]);
            const SwimmerRecord& got = after.swimmerAt(k + 2);
            SCOPED_TRACE(was.Namae());
            EXPECT_EQ(got.seq(), k + 2);
            EXPECT_EQ(got.Bango(), was.Bango());
            EXPECT_EQ(got.Namae(), was.Namae());
            EXPECT_EQ(got.Kana(), was.Kana());
            EXPECT_EQ(got.sei(), was.sei());
            EXPECT_EQ(got.QBango().substr(0, 13), was.QBango().substr(0, 13));  // team code, birth date
            EXPECT_EQ(got.Shozoku(), was.Shozoku());
            for (int slot = 0; slot < kEventSlots; ++slot) {
                // Marks travel as "NT" and come back as 参加.
                const std::int32_t v = was.kiro(slot);
                EXPECT_EQ(got.kiro(slot), isResultMark(v) ? kMarkEntered : v) << "slot " << slot;
            }
        }
    }
}

TEST(Lenex, WrittenDocumentHasTheElementsAndAttributesTheFormatRequires)
{
    tolvtest::TempTree tree;
    std::vector<Swimmer> swimmers = kSwimmers;
    swimmers.push_back({"", "13001", "リレー", "", "3", "東京ＳＣ", "", {{25, 5500}}});  // a team record
    swimmers.push_back({"", "27002200203036", "無記入", "", "", "大阪ＳＣ", "", {{1, 3000}}});  // sex from QBango
    const fs::path source = makeEntry(tree.dir() / "TEAM.zep", swimmers);
    EntryStore store;
    store.openEntryFile(source, EntryStore::Access::Read);
    const lenex::Document out = lenex::writeLenex(store.header(), store.reserve(), store.readAllSwimmers());
    EXPECT_EQ(out.summary.notAthletes, std::vector<int>{4});

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(out.xml.c_str()));
    EXPECT_EQ(out.xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    // Every element the format requires a given attribute of, checked on every occurrence.
    const std::pair<const char*, std::vector<const char*>> required[] = {
        {"/LENEX", {"version"}},
        {"/LENEX/CONSTRUCTOR", {"name", "version"}},
        {"/LENEX/MEETS/MEET", {"name", "city", "nation"}},
        {"//SESSION", {"number", "date"}},
        {"//EVENT", {"eventid", "number"}},
        {"//EVENT/SWIMSTYLE", {"distance", "relaycount", "stroke"}},
        {"//CLUB", {"name"}},
        {"//ATHLETE", {"athleteid", "lastname", "firstname", "gender", "birthdate"}},
        {"//ENTRY", {"eventid", "entrytime"}},
        {"//RELAY", {"number", "gender"}},
    };
    for (const auto& [path, attributes] : required) {
        const pugi::xpath_node_set nodes = doc.select_nodes(path);
        EXPECT_FALSE(nodes.empty()) << path;
        for (const auto& n : nodes)
            for (const char* a : attributes) EXPECT_TRUE(n.node().attribute(a)) << path << " @" << a;
    }
    for (const auto& n : doc.select_nodes("//ENTRY")) {
        const std::string t = n.node().attribute("entrytime").value();
        EXPECT_TRUE(t == "NT" || lenex::codedTime(t)) << t;
    }
    // What lands where.
    const std::pair<const char*, const char*> values[] = {
        {"string(/LENEX/@version)", "3.0"},
        {"string(//MEET/@name)", "県大会"},
        {"string(//MEET/@city)", "県立プール"},
        {"string(//MEET/@course)", "SCM"},
        {"string(//MEET/@nation)", "JPN"},
        {"string(//MEET/AGEDATE/@value)", "2008-10-16"},
        {"string(//SESSION/@date)", "2008-11-14"},
        {"count(//EVENT)", "11"},
        {"string(//EVENT[@eventid='23']/SWIMSTYLE/@stroke)", "MEDLEY"},
        {"string(//EVENT[@eventid='23']/SWIMSTYLE/@distance)", "25"},
        {"string(//EVENT[@eventid='23']/SWIMSTYLE/@relaycount)", "4"},
        {"string(//EVENT[@eventid='29']/SWIMSTYLE/@distance)", "200"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@stroke)", "UNKNOWN"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@code)", "80"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@name)", "小学生 50m自由形"},
        {"string(//EVENT[@eventid='30']/SWIMSTYLE/@distance)", "50"},
        {"string(//EVENT[@eventid='31']/SWIMSTYLE/@relaycount)", "4"},
        {"count(//CLUB)", "2"},
        {"string(//CLUB[1]/@code)", "13001"},
        {"string(//CLUB[1]/@shortname)", "東京ＳＣ"},
        {"string(//CLUB[1]/@shortname.en)", "ﾄｳｷｮｳ"},
        {"string(//ATHLETE[@athleteid='1']/@lastname)", "山田"},
        {"string(//ATHLETE[@athleteid='1']/@firstname)", "太郎"},
        {"string(//ATHLETE[@athleteid='1']/@lastname.en)", "ﾔﾏﾀﾞ"},
        {"string(//ATHLETE[@athleteid='1']/@firstname.en)", "ﾀﾛｳ"},
        {"string(//ATHLETE[@athleteid='1']/@gender)", "M"},
        {"string(//ATHLETE[@athleteid='1']/@birthdate)", "2001-05-01"},
        {"string(//ATHLETE[@athleteid='1']/@license)", "1234567"},
        {"string(//ATHLETE[@athleteid='1']//ENTRY[@eventid='3']/@entrytime)", "00:01:05.23"},
        {"string(//ATHLETE[@athleteid='1']//ENTRY[@eventid='20']/@entrytime)", "NT"},
        {"count(//ATHLETE[@athleteid='1']//ENTRY)", "4"},
        {"string(//ATHLETE[@athleteid='2']/@lastname)", "花子"},
        {"string(//ATHLETE[@athleteid='2']/@gender)", "F"},
        {"count(//ATHLETE[@athleteid='4'])", "0"},
        {"string(//ATHLETE[@athleteid='5']/@gender)", "F"},
        {"count(//CLUB[1]/RELAYS/RELAY)", "3"},
        {"string(//CLUB[1]/RELAYS/RELAY[3]/@gender)", "X"},
        {"string(//CLUB[1]/RELAYS/RELAY[3]/ENTRIES/ENTRY/@entrytime)", "00:00:55.00"},
        {"string(//CLUB[2]/RELAYS/RELAY/ENTRIES/ENTRY/@eventid)", "31"},
    };
    for (auto [query, expected] : values)
        EXPECT_EQ(pugi::xpath_query(query).evaluate_string(doc), expected) << query;
}

namespace {

// A results file as a meet manager writes it, from the format's description: its own event ids, a
// relay given as 4 x 50 m, results next to entries, an event the entry file has not.
const char* const kHandWritten = R"(<?xml version="1.0" encoding="UTF-8"?>
<LENEX version="3.0">
  <CONSTRUCTOR name="Some Meet Manager" version="1.0">
    <CONTACT email="office@example.org" />
  </CONSTRUCTOR>
  <MEETS>
    <MEET name="Autumn Meet" city="Tokyo" nation="JPN" course="LCM">
      <SESSIONS>
        <SESSION number="1" date="2008-11-14">
          <EVENTS>
            <EVENT eventid="101" number="1"><SWIMSTYLE distance="100" relaycount="1" stroke="FREE" /></EVENT>
            <EVENT eventid="102" number="2"><SWIMSTYLE distance="50" relaycount="4" stroke="FREE" /></EVENT>
            <EVENT eventid="103" number="3"><SWIMSTYLE distance="50" relaycount="1" stroke="FLY" /></EVENT>
            <EVENT eventid="104" number="4"><SWIMSTYLE distance="100" relaycount="4" stroke="MEDLEY" /></EVENT>
            <EVENT eventid="106" number="6"><SWIMSTYLE distance="400" relaycount="1" stroke="BACK" /></EVENT>
          </EVENTS>
        </SESSION>
      </SESSIONS>
      <CLUBS>
        <CLUB name="Tokyo Swimming Club" shortname="東京SC" shortname.en="ﾄｳｷｮｳSC" code="13005" nation="JPN">
          <ATHLETES>
            <ATHLETE athleteid="7" lastname="佐藤" firstname="一郎" lastname.en="ｻﾄｳ" firstname.en="ｲﾁﾛｳ"
                     gender="M" birthdate="2000-04-01" license="7654321">
              <ENTRIES>
                <ENTRY eventid="101" entrytime="00:00:58.20" />
                <ENTRY eventid="106" entrytime="00:05:01.00" />
              </ENTRIES>
              <RESULTS>
                <RESULT resultid="1" eventid="101" swimtime="00:00:57.90" />
                <RESULT resultid="2" eventid="103" swimtime="00:00:31.05" />
                <RESULT resultid="3" eventid="103" swimtime="00:00:30.99" />
              </RESULTS>
            </ATHLETE>
            <ATHLETE athleteid="8" lastname="鈴木" firstname="花" gender="F" birthdate="2001-12-31">
              <ENTRIES><ENTRY eventid="103" entrytime="NT" /><ENTRY eventid="101" entrytime="00:01:10.00" status="WDR" /></ENTRIES>
              <RESULTS><RESULT resultid="4" eventid="103" swimtime="NT" status="DNS" /></RESULTS>
            </ATHLETE>
          </ATHLETES>
          <RELAYS>
            <RELAY number="1" gender="M">
              <ENTRIES><ENTRY eventid="102" entrytime="00:02:01.50" /></ENTRIES>
            </RELAY>
            <RELAY number="2" gender="X">
              <RESULTS>
                <RESULT resultid="5" eventid="104" swimtime="00:04:30.00">
                  <RELAYPOSITIONS>
                    <RELAYPOSITION athleteid="7" number="2" />
                    <RELAYPOSITION athleteid="8" number="1" />
                  </RELAYPOSITIONS>
                </RESULT>
              </RESULTS>
            </RELAY>
          </RELAYS>
        </CLUB>
        <CLUB name="Guests" code="GST">
          <ATHLETES>
            <ATHLETE athleteid="9" lastname="Smith" firstname="John" gender="M" birthdate="1999-07-15" license="SUI12345678" />
          </ATHLETES>
          <RELAYS>
            <RELAY number="1" gender="F"><ENTRIES><ENTRY eventid="102" entrytime="00:02:20.00" /></ENTRIES></RELAY>
          </RELAYS>
        </CLUB>
      </CLUBS>
    </MEET>
  </MEETS>
</LENEX>
)";

} // namespace

TEST(Lenex, HandWrittenResultsFileImports)
{
    tolvtest::TempTree tree;
    const fs::path entry = makeEntry(tree.dir() / "TEAM.zep", {});
    writeBytes(tree.dir() / "results.lef", kHandWritten);
    lenex::ImportResult r;
    {
        EntryStore store;
        store.openEntryFile(entry);
        r = lenex::importLenex(store, tree.dir() / "results.lef");
    }
    EXPECT_EQ(r.unknownEvents, 1);     // 400 m backstroke
    EXPECT_EQ(r.relaysNotPlaced, 1);   // the guests' women's relay
    EXPECT_EQ(r.licencesDropped, 1);

    const auto got = tolvtest::readEntry(entry);
    ASSERT_EQ(got.swimmers.size(), 3u);
    const SwimmerRecord& ichiro = got.swimmerAt(1);
    EXPECT_EQ(ichiro.Namae(), "佐藤　一郎      ");
    EXPECT_EQ(ichiro.Kana(), "ｻﾄｳ ｲﾁﾛｳ        ");
    EXPECT_EQ(ichiro.QBango(), "13005200004011");
    EXPECT_EQ(ichiro.Bango(), "7654321");
    EXPECT_EQ(ichiro.sei(), "1");
    EXPECT_EQ(ichiro.Shozoku(), "東京SC      ");
    EXPECT_EQ(ichiro.ShozokuKana(), "ﾄｳｷｮｳS");
    EXPECT_EQ(ichiro.nenrei(), 8);
    EXPECT_EQ(ichiro.gakunen(), "13");  // born 1 April: a school year ahead
    EXPECT_EQ(ichiro.kiro(2), 5820);    // the entry time, not the result
    EXPECT_EQ(ichiro.kiro(16), 3099);   // the faster of two results
    EXPECT_EQ(ichiro.kiro(26), 20150);  // the men's relay, on the club's first man
    const SwimmerRecord& hana = got.swimmerAt(2);
    EXPECT_EQ(hana.Namae(), "鈴木　花        ");
    EXPECT_EQ(hana.QBango(), "13005200112315");
    EXPECT_EQ(hana.sei(), "2");
    EXPECT_EQ(hana.kiro(16), kMarkEntered);  // entered, did not start
    EXPECT_EQ(hana.kiro(24), 43000);         // the first relay position
    EXPECT_EQ(hana.kiro(2), 0);              // withdrawn
    const SwimmerRecord& john = got.swimmerAt(3);
    EXPECT_EQ(john.Namae(), "Smith　John     ");
    EXPECT_EQ(john.QBango(), "     199907151");
    EXPECT_EQ(john.Bango(), "       ");
    EXPECT_EQ(john.Shozoku(), "Guests      ");
    for (int slot = 0; slot < kEventSlots; ++slot) EXPECT_EQ(john.kiro(slot), 0) << slot;
}

TEST(Lenex, FaultyFilesLeaveTheEntryFileAsItWas)
{
    tolvtest::TempTree tree;
    const fs::path entry = makeEntry(tree.dir() / "TEAM.zep", {kSwimmers[0]});
    const std::string before = readBytes(entry);
    const std::string good = kHandWritten;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const std::pair<std::string, const char*> cases[] = {
        {good.substr(0, good.size() / 2), "XML"},
        {"<EVENTS/>", "LENEX"},
        {replaced(R"(birthdate="2001-12-31")", R"(birthdate="2001-02-30")"), "34行目: birthdate"},
        {replaced(R"(gender="F" birthdate)", R"(birthdate)"), "34行目: ATHLETE に gender"},
        {replaced("00:02:01.50", "2:01.50"), "entrytime"},
        {replaced("00:00:30.99", "01:10:30.99"), "swimtime"},
        {replaced(R"(lastname="鈴木")", "lastname=\"\xF0\x9F\x98\x80\""), "34行目"},
        {replaced(R"(<EVENT eventid="103" number="3">)", R"(<EVENT number="3">)"), "eventid"},
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
