#include "storage/Master.h"
#include "platform/Error.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::TempTree;

namespace {
std::vector<AthleteRecord> generated(int count)
{
    std::vector<AthleteRecord> out;
    for (int i = 0; i < count; ++i) {
        AthleteRecord a;
        a.setBango(std::to_string(1300000 + i));
        a.setNamae("選手" + std::to_string(i));
        a.setKana("ｾﾝｼｭ");
        // Birth dates spread and repeated, teams of two prefectures, both sex digits.
        a.setBirth(19900101 + (i * 37 % 20) * 10000 + (i % 12) * 100 + i % 28);
        a.setSexDigit(i % 3 == 0 ? "5" : "1");
        a.setTeam(0, i % 2 ? "13001" : "14002");
        if (i % 5 == 0) a.setTeam(1, "13009");
        out.push_back(a);
    }
    return out;
}
} // namespace

TEST(Master, IndexLookUpFindsEveryAthleteByCompositeNumberAndBirthDate)
{
    TempTree t;
    auto athletes = generated(300);
    writeAthleteList(t.dir() / "kozin.dat", athletes);
    writeAthleteIndexes(t.dir(), athletes);
    AthleteList list;
    list.openAthleteList(t.dir() / "kozin.dat");
    ASSERT_EQ(list.count(), 300);
    for (int i = 0; i < 300; ++i) {
        const AthleteRecord& a = athletes[i];
        std::string q = compositeNumber(a.team(0), a.birth(), a.sexDigit());
        IndexHit hit = lookUpIndex(t.dir() / "indexq.dat", kIndexQRecord, q);
        ASSERT_NE(hit.position, 0) << q;
        // The composite number is unique for this fixture only up to equal birth/team/sex.
        AthleteRecord found = list.readAthlete(hit.athlete);
        EXPECT_EQ(compositeNumber(found.team(0), found.birth(), found.sexDigit()), q);

        std::string birth = std::to_string(a.birth());
        IndexHit byBirth = lookUpIndex(t.dir() / "indext.dat", kIndexTRecord, birth);
        ASSERT_NE(byBirth.position, 0) << birth;
        EXPECT_EQ(list.readAthlete(byBirth.athlete).birth(), a.birth());
    }
    EXPECT_EQ(lookUpIndex(t.dir() / "indexq.dat", kIndexQRecord, "13001199001015").position, 0);
    EXPECT_EQ(lookUpIndex(t.dir() / "indexq.dat", kIndexQRecord, "99999").position, 0);
}

TEST(Master, EmptyIndexFindsNothingWithoutReadingAnEntryAndFaultsAreTold)
{
    TempTree t;
    // Count 0, but an entry that would match follows: it must not be read.
    std::string bytes(18, '\0');
    std::string entry = "13001200105011" + std::string("\x01\x00\x00\x00", 4);
    tolvtest::writeBytes(t.dir() / "indexq.dat", bytes + entry);
    EXPECT_EQ(lookUpIndex(t.dir() / "indexq.dat", kIndexQRecord, "13001200105011").position, 0);
    // A missing file, or a count past the entries the file holds, is no "not there".
    EXPECT_THROW(lookUpIndex(t.dir() / "missing.dat", kIndexQRecord, "1"), TolvError);
    bytes[0] = 2;
    tolvtest::writeBytes(t.dir() / "indexq.dat", bytes + entry);
    try {
        lookUpIndex(t.dir() / "indexq.dat", kIndexQRecord, "13001200105011");
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "登録データの索引が壊れています（件数 2 に対し、ファイルには 1 件）: " + (t.dir() / "indexq.dat").string());
    }
}

TEST(Master, BisectionFindsEveryKeyOfALargeIndex)
{
    TempTree t;
    // 100,000 entries (a large prefecture's list): every key found, keys between them not.
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 1; i <= 100000; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%08d", 2 * i);
        entries.emplace_back(key, i);
    }
    writeIndex(t.dir() / "big.dat", kIndexTRecord, kIndexTKey, entries);
    int found = 0, between = 0;
    for (const auto& [key, athlete] : entries) {
        const IndexHit hit = lookUpIndex(t.dir() / "big.dat", kIndexTRecord, key);
        found += hit.position == athlete && hit.athlete == athlete;
        if (athlete % 101 != 0) continue;
        char odd[16];
        std::snprintf(odd, sizeof odd, "%08d", 2 * athlete - 1);
        between += lookUpIndex(t.dir() / "big.dat", kIndexTRecord, odd).position != 0;
    }
    EXPECT_EQ(found, 100000);
    EXPECT_EQ(between, 0);
}

TEST(Master, TeamListIsScannedInOrderAndWrittenByteExact)
{
    TempTree t;
    std::vector<TeamRecord> teams(3);
    teams[0].setCode("13001");
    teams[1].setCode("13002");
    teams[1].setShortName("かわせみＳ");
    teams[1].setShortKana("ｶﾜｾﾐS");
    teams[2].setCode("13002");
    teams[2].setShortName("二番目");
    writeTeamList(t.dir() / "dantai.dat", teams);
    std::string bytes = readBytes(t.dir() / "dantai.dat");
    ASSERT_EQ(bytes.size(), 13u * 384u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\x03\x00", 2));
    EXPECT_EQ(bytes.substr(10 * 384, 5), "13001");

    TeamList list;
    list.openTeamList(t.dir() / "dantai.dat");
    EXPECT_EQ(list.count(), 3);
    auto hit = list.findTeam("13002");
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->shortName(), "かわせみＳ  ");
    EXPECT_EQ(hit->shortKana(), "ｶﾜｾﾐS ");
    EXPECT_FALSE(list.findTeam("13003"));
}

// The program's master writers against the fixture written from the format's offsets: the same
// bytes, so a field moved in the record classes shows here and not only in a round trip.
TEST(Master, WritersLayTheFieldsWhereTheFormatPutsThem)
{
    TempTree t;
    const auto& list = tolvtest::fixtureMale13();
    tolvtest::writeFixtureAthletes(t.dir() / "fixture", list);
    auto records = tolvtest::fixtureRecords(list);
    writeAthleteList(t.dir() / "kozin.dat", records);
    writeAthleteIndexes(t.dir(), records);
    for (const char* file : {"kozin.dat", "indexq.dat", "indext.dat"})
        EXPECT_EQ(readBytes(t.dir() / file), readBytes(t.dir() / "fixture" / file)) << file;

    AthleteList athletes;
    athletes.openAthleteList(t.dir() / "fixture" / "kozin.dat");
    ASSERT_EQ(athletes.count(), 4);
    const AthleteRecord yamada = athletes.readAthlete(1);
    EXPECT_EQ(yamada.Namae(), "山田　太郎      ");
    EXPECT_EQ(yamada.Kana(), "ﾔﾏﾀﾞ ﾀﾛｳ        ");
    EXPECT_EQ(yamada.birth(), 20010501);
    EXPECT_EQ(yamada.team(1), "13001");
    EXPECT_EQ(yamada.torobi(), 20080401);
    EXPECT_EQ(yamada.best(1, 1), 2990);

    std::vector<TeamRecord> teams(1);
    teams[0].setCode("13001");
    teams[0].setName("さくらＳＣクラブ");
    teams[0].setShortName("さくらＳＣ");
    teams[0].setShortKana("ｻｸﾗSC");
    writeTeamList(t.dir() / "dantai.dat", teams);
    tolvtest::writeFixtureTeams(t.dir() / "fixture" / "dantai.dat");
    const std::string fixture = readBytes(t.dir() / "fixture" / "dantai.dat");
    std::string written = readBytes(t.dir() / "dantai.dat");
    // The fixture holds a second team: compare the count's low byte apart, then the first team.
    ASSERT_EQ(fixture.size(), written.size() + 384);
    EXPECT_EQ(fixture[0], '\x02');
    EXPECT_EQ(written[0], '\x01');
    EXPECT_EQ(written.substr(1), fixture.substr(1, written.size() - 1));
}
