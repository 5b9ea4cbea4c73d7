#include "storage/AthleteLookup.h"

#include "platform/Error.h"
#include "storage/EntryStore.h"
#include "support/MasterFixture.h"
#include "support/EntrySnapshot.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::sj;
using tolvtest::TempTree;

namespace {

namespace fs = std::filesystem;

// CP932 bytes of a text padded with blanks to a field width.
std::string field(const std::string& utf8, std::size_t width)
{
    std::string b = sj(utf8);
    b.resize(width, ' ');
    return b;
}

EntryHeader header2008()
{
    EntryHeader h;
    h.setKijunBi("2008/10/16");
    h.setKubun(0);
    h.setCourse(1);
    return h;
}

struct LocalMaster {
    TempTree tree;
    fs::path root = tree.dir() / "registration";
    fs::path ctl = tree.dir() / "ctl";
    fs::path temp = tree.dir() / "temp";
    Session session;
    AthleteLookup lookup{session, root, ctl, temp};

    LocalMaster()
    {
        tolvtest::writeFixtureMaster(root);
        tolvtest::writeFixturePrefectures(ctl / "ken.ctl");
        lookup.loadUnitFlags();
    }
};

// A picker that records what it was shown and answers with a fixed button.
struct RecordingPicker {
    int button = 0;
    int calls = 0;
    SearchList shown;
    AthletePicker fn()
    {
        return [this](const SearchList& l) {
            ++calls;
            shown = l;
            return button;
        };
    }
};

} // namespace

TEST(CenturyCompletion, OverwritesTheCenturyFromTheReferenceYear)
{
    // Reference year 2008: "01" is below "08" -> 20, "95" and "08" are not -> 19.
    EXPECT_EQ(completeCentury("13001990105011", "2008/10/16"), "13001200105011");
    EXPECT_EQ(completeCentury("13001009503101", "2008/10/16"), "13001199503101");
    EXPECT_EQ(completeCentury("13001200801011", "2008/10/16"), "13001190801011");
    EXPECT_EQ(completeCentury("13001xx1505101", "2026/04/01"), "13001201505101");
    // Too short to carry a birth year, or no usable reference year: left as typed.
    EXPECT_EQ(completeCentury("13001", "2008/10/16"), "13001");
    EXPECT_EQ(completeCentury("13001990105011", ""), "13001990105011");
    EXPECT_EQ(completeCentury("13001990105011", "ab/10/16"), "13001990105011");
}

TEST(CenturyCompletion, PrefectureAndSexOfANumber)
{
    EXPECT_EQ(prefectureOfNumber("13001200105011"), 13);
    EXPECT_EQ(prefectureOfNumber("0x001"), 0);
    EXPECT_EQ(sexOfNumber("13001200105014"), 1);
    EXPECT_EQ(sexOfNumber("13001200105015"), 2);
    EXPECT_EQ(sexOfNumber("13001200105019"), 2);
    // Only the first 14 characters count.
    EXPECT_EQ(sexOfNumber("130012001050119"), 1);
}

TEST(AthleteLookup, CompositeNumberFillsEveryFieldOfTheRecord)
{
    LocalMaster m;
    RecordingPicker picker;
    SwimmerRecord before = EntryStore::emptySwimmer();
    before.setKiro(3, 12345); // times typed earlier stay
    LookupResult r = m.lookup.byNumber(before, "13001200105011", header2008(), picker.fn());
    ASSERT_TRUE(r.found);
    EXPECT_EQ(picker.calls, 0);
    const SwimmerRecord& s = r.record;
    EXPECT_EQ(s.raw(SwimmerRecord::kQBango), "13001200105011");
    EXPECT_EQ(s.raw(SwimmerRecord::kBango), "1300101");
    EXPECT_EQ(s.raw(SwimmerRecord::kNamae), field("山田　太郎", 16));
    EXPECT_EQ(s.raw(SwimmerRecord::kKana), field("ﾔﾏﾀﾞ ﾀﾛｳ", 16));
    EXPECT_EQ(s.torobi(), 20080401);
    EXPECT_EQ(s.raw(SwimmerRecord::kKen), field("東京都", 8));
    EXPECT_EQ(s.raw(SwimmerRecord::kKenKana), field("ﾄｳｷｮｳ", 6));
    EXPECT_EQ(s.raw(SwimmerRecord::kShozoku), field("さくらＳＣ", 12));
    EXPECT_EQ(s.raw(SwimmerRecord::kShozokuKana), field("ｻｸﾗSC", 6));
    EXPECT_EQ(s.gakunen(), "11"); // born 2001/05/01, reference 2008/10/16
    EXPECT_EQ(s.nenrei(), 7);
    EXPECT_EQ(s.sei(), "1");
    EXPECT_EQ(s.shuFuku(), "2"); // 13001 is the athlete's second team
    EXPECT_EQ(s.shubetu(), "101000");
    EXPECT_EQ(s.kiro(3), 12345);
    ASSERT_TRUE(r.athlete.has_value());
    EXPECT_EQ(r.athlete->best(1, 1), 2990);
    // The reserved tail and the marks are not touched.
    EXPECT_EQ(s.raw(371, 13), before.raw(371, 13));
    EXPECT_EQ(s.raw(SwimmerRecord::kMarkA), before.raw(SwimmerRecord::kMarkA));
    EXPECT_EQ(s.raw(SwimmerRecord::kMarkB), before.raw(SwimmerRecord::kMarkB));
    EXPECT_EQ(m.session.masterPrefecture, 13);
    EXPECT_EQ(m.session.masterSex, 1);
}

TEST(AthleteLookup, FemaleNumberReadsTheFemaleListAndGivesSexTwo)
{
    LocalMaster m;
    EntryHeader h = header2008();
    h.setKubun(1); // masters: born 1958/01/17 is 50 on 2008/10/16
    LookupResult r = m.lookup.byNumber(EntryStore::emptySwimmer(), "13002195801175", h, nullptr);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.Namae(), "高橋　花子      ");
    EXPECT_EQ(r.record.sei(), "2");
    EXPECT_EQ(r.record.gakunen(), "57");
    EXPECT_EQ(r.record.nenrei(), 50);
    EXPECT_EQ(r.record.shuFuku(), "1");
    EXPECT_EQ(r.record.Shozoku(), "みどり水泳  ");
}

TEST(AthleteLookup, UnknownNumberFallsBackToTheAthletesBornThatDay)
{
    LocalMaster m;
    RecordingPicker picker;
    picker.button = 2;
    // Sex digit 3 is in no index entry; the birth date 20010501 is.
    LookupResult r = m.lookup.byNumber(EntryStore::emptySwimmer(), "13001200105013", header2008(), picker.fn());
    EXPECT_EQ(picker.calls, 1);
    ASSERT_EQ(picker.shown.lines.size(), 2u);
    EXPECT_EQ(picker.shown.lines[0], "山田　太郎      ");
    EXPECT_EQ(picker.shown.lines[1], "鈴木　一郎      ");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.Bango(), "1300102");
    EXPECT_EQ(r.record.QBango(), "13001200105013");
    EXPECT_EQ(r.record.shuFuku(), "1");
    EXPECT_EQ(r.record.sei(), "1");
}

TEST(AthleteLookup, NothingPickedOrNothingFoundLeavesTheRecordButKeepsTheNumber)
{
    LocalMaster m;
    RecordingPicker picker; // answers 0
    SwimmerRecord before = EntryStore::emptySwimmer();
    before.setNamae("手入力");
    LookupResult r = m.lookup.byNumber(before, "13001200105013", header2008(), picker.fn());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(picker.calls, 1);
    SwimmerRecord expected = before;
    expected.setQBango("13001200105013");
    EXPECT_TRUE(r.record == expected);

    // An incomplete number is not looked up (its prefix would match some athlete of the team).
    r = m.lookup.byNumber(before, "13001", header2008(), picker.fn());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.record.QBango(), "13001         ");

    // Neither the number nor the birth date is known: nobody is asked.
    r = m.lookup.byNumber(before, "13001201212121", header2008(), picker.fn());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(picker.calls, 1);
    expected.setQBango("13001201212121");
    EXPECT_TRUE(r.record == expected);
}

TEST(AthleteLookup, PrefectureWithoutTeamListSkipsTeamAndBirthDateSearch)
{
    LocalMaster m;
    RecordingPicker picker;
    picker.button = 1;
    LookupResult r = m.lookup.byNumber(EntryStore::emptySwimmer(), "14001199907071", header2008(), picker.fn());
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.ken(), "神奈川県");
    EXPECT_EQ(r.record.Shozoku(), std::string(12, ' '));
    EXPECT_EQ(r.record.ShozokuKana(), std::string(6, ' '));
    // Same birth date, unknown sex digit: no birth-date search for this prefecture.
    r = m.lookup.byNumber(EntryStore::emptySwimmer(), "14001199907073", header2008(), picker.fn());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(picker.calls, 0);
}

TEST(AthleteLookup, MissingOrInconsistentMasterIsReported)
{
    LocalMaster m;
    // No ken15 folder at all.
    EXPECT_THROW(m.lookup.byNumber(EntryStore::emptySwimmer(), "15001200105011", header2008(), nullptr), TolvError);
    // An index entry pointing past the athlete list.
    writeIndex(m.root / "ken13" / "Otoko" / "indexq.dat", kIndexQRecord, kIndexQKey, {{"13001200105011", 9}});
    try {
        m.lookup.byNumber(EntryStore::emptySwimmer(), "13001200105011", header2008(), nullptr);
        FAIL() << "no error";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("選手リストにありません"), std::string::npos);
    }
}

TEST(SearchList, ByReadingListsFileOrderWithBirthDatesAndPicksByButton)
{
    LocalMaster m;
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setQBango("13001");
    s.setKana("ﾔﾏﾀﾞ ﾀﾛｳ");
    SearchList l = m.lookup.searchList(SearchMode::Reading, s);
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(l.lines[0], "山田　太郎      20010501");
    EXPECT_EQ(l.lines[1], "佐藤　次郎      19950310");
    EXPECT_EQ(l.pick(1), 1);
    EXPECT_EQ(l.pick(2), 3);
    EXPECT_EQ(l.pick(3), 0);
    EXPECT_EQ(l.pick(0), 0);
    EXPECT_EQ(l.pick(10), 0);

    // Both fields are compared whole: typed trailing blanks match the padded reading, a reading
    // with one more character does not.
    s.setKana("ﾔﾏﾀﾞ ﾀﾛｳ   ");
    EXPECT_EQ(m.lookup.searchList(SearchMode::Reading, s).lines.size(), 2u);
    s.setKana("ﾔﾏﾀﾞ ﾀﾛｳｳ");
    EXPECT_TRUE(m.lookup.searchList(SearchMode::Reading, s).lines.empty());

    // A prefecture whose flag is "0" lists nothing.
    s.setQBango("14001");
    s.setKana("ｳﾐﾉ ﾏｺﾄ");
    EXPECT_TRUE(m.lookup.searchList(SearchMode::Reading, s).lines.empty());
}

TEST(SearchList, KeepsAtMostTwentyOnePlacesAndOnlyNineArePickable)
{
    TempTree t;
    std::vector<AthleteRecord> many;
    for (int i = 0; i < 25; ++i) {
        AthleteRecord a;
        a.setNamae("同日" + std::to_string(i + 1));
        a.setBirth(i == 3 ? 20000102 : 20000101);
        many.push_back(a);
    }
    writeAthleteList(t.dir() / "kozin.dat", many);
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setQBango("13001200001011");
    SearchList l = fillSearchList(SearchMode::BirthDate, s, tolvtest::fixtureUnitFlags(), t.dir() / "kozin.dat");
    ASSERT_EQ(l.lines.size(), 21u);
    EXPECT_EQ(l.lines[0], "同日1" + std::string(11, ' '));
    EXPECT_EQ(l.places[2], 3);
    EXPECT_EQ(l.places[3], 5); // athlete 4 has another birth date
    EXPECT_EQ(l.places[20], 22);
    EXPECT_EQ(l.pick(9), 10);
    EXPECT_EQ(l.pick(10), 0);
}

TEST(AthleteLookup, ByReadingBuildsTheNumberFromTeamCodeBirthAndSexDigit)
{
    LocalMaster m;
    RecordingPicker picker;
    picker.button = 2;
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setQBango("13001");
    s.setKana("ﾔﾏﾀﾞ ﾀﾛｳ");
    LookupResult r = m.lookup.byReading(s, header2008(), picker.fn());
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.QBango(), "13001199503101");
    EXPECT_EQ(r.record.Namae(), "佐藤　次郎      ");
    EXPECT_EQ(r.record.gakunen(), "22"); // born 1995/03/10: school year 1994, junior high 2 in 2008
    EXPECT_EQ(r.record.nenrei(), 13);
    EXPECT_EQ(r.record.shuFuku(), "1");

    picker.button = 5; // an empty place
    r = m.lookup.byReading(s, header2008(), picker.fn());
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.record == s);
}

TEST(AthleteLookup, ByReadingSearchesBothSexesOrTheChosenOne)
{
    LocalMaster m;
    RecordingPicker picker;
    picker.button = 1;
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setQBango("13001");
    s.setKana("ﾀｶﾊｼ ﾊﾅｺ");
    // Nothing chosen: the female list is searched too, after a male search was the last one.
    m.session.masterSex = 1;
    LookupResult r = m.lookup.byReading(s, header2008(), picker.fn());
    ASSERT_TRUE(r.found);
    EXPECT_EQ(picker.shown.sexes[0], 2);
    EXPECT_EQ(r.record.QBango(), "13001195801175"); // the athlete's sex digit ends the number
    EXPECT_EQ(r.record.sei(), "2");
    EXPECT_EQ(m.session.masterSex, 2);

    // "男子" chosen: only the male list.
    s.setSei("1");
    picker.calls = 0;
    r = m.lookup.byReading(s, header2008(), picker.fn());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(picker.calls, 0); // nothing listed, nothing to pick

    // Both lists, male lines first.
    s.setSei("0");
    s.setKana("ﾔﾏﾀﾞ ﾀﾛｳ");
    picker.button = 2;
    r = m.lookup.byReading(s, header2008(), picker.fn());
    ASSERT_TRUE(r.found);
    EXPECT_EQ(picker.shown.lines.size(), 2u);
    EXPECT_EQ(picker.shown.sexes[1], 1);
    EXPECT_EQ(r.record.Bango(), "1300103");
}

namespace {

// A download address in a folder, reached through file:// addresses.
struct ServedMaster {
    TempTree tree;
    fs::path served = tree.dir() / "served";
    fs::path unitDir = served / "2008" / "tokyo";
    fs::path temp = tree.dir() / "temp";
    Session session;
    AthleteLookup lookup{session, tree.dir() / "unused-root", tree.dir() / "ctl", temp};

    ServedMaster()
    {
        tolvtest::writeFixtureMaster(unitDir, true);
        tolvtest::writeFixturePrefectures(tree.dir() / "ctl" / "ken.ctl");
        fs::create_directories(temp);
        fs::copy_file(unitDir / "kanriken.ctl", temp / "kanriken.ctl");
        session.mode = Session::Internet;
        session.downloadRoot = "file://" + served.string() + "/";
        session.year = "2008";
        session.unitName = "tokyo";
        lookup.loadUnitFlags();
    }
};

} // namespace

TEST(AthleteLookup, InternetModeFetchesTheMasterOfAnotherPrefectureOrSexOnDemand)
{
    ServedMaster m;
    EXPECT_EQ(m.lookup.unitFlagsPath(), m.temp / "kanriken.ctl");
    LookupResult r = m.lookup.byNumber(EntryStore::emptySwimmer(), "13001200105011", header2008(), nullptr);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.Shozoku(), "さくらＳＣ  ");
    EXPECT_EQ(tolvtest::readBytes(m.temp / "kozin.dat"), tolvtest::readBytes(m.unitDir / "ken13/otoko/kozin.dat"));
    EXPECT_EQ(m.lookup.masterLocation(), m.session.unitFolder() + "ken13/otoko/");

    // The same prefecture and sex again: no new transfer (the source may even be gone).
    fs::remove_all(m.unitDir / "ken13" / "otoko");
    r = m.lookup.byNumber(EntryStore::emptySwimmer(), "13001200105012", header2008(), nullptr);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.Bango(), "1300102");

    // Another sex: fetched.
    r = m.lookup.byNumber(EntryStore::emptySwimmer(), "13002195801175", header2008(), nullptr);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.Bango(), "1300501");
    EXPECT_EQ(m.session.masterSex, 2);
}

TEST(AthleteLookup, InternetModeReadingSearchFetchesEachSexInTurn)
{
    ServedMaster m;
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setQBango("13001");
    s.setKana("ﾀｶﾊｼ ﾊﾅｺ");
    LookupResult r = m.lookup.byReading(s, header2008(), [](const SearchList&) { return 1; });
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.record.Bango(), "1300501");
    // The master in temp is the picked athlete's.
    EXPECT_EQ(tolvtest::readBytes(m.temp / "kozin.dat"), tolvtest::readBytes(m.unitDir / "ken13/onna/kozin.dat"));
    EXPECT_EQ(m.session.masterSex, 2);
}

TEST(AthleteLookup, FailedDownloadLeavesTempAndSessionAsTheyWere)
{
    ServedMaster m;
    ASSERT_TRUE(m.lookup.byNumber(EntryStore::emptySwimmer(), "13002195801175", header2008(), nullptr).found);
    const std::string kozinBefore = tolvtest::readBytes(m.temp / "kozin.dat");
    // ken16 is not served.
    EXPECT_THROW(m.lookup.byNumber(EntryStore::emptySwimmer(), "16001200105011", header2008(), nullptr), TolvError);
    EXPECT_EQ(tolvtest::readBytes(m.temp / "kozin.dat"), kozinBefore);
    EXPECT_EQ(m.session.masterPrefecture, 13);
    EXPECT_EQ(m.session.masterSex, 2);
    // The files present still answer.
    EXPECT_TRUE(m.lookup.byNumber(EntryStore::emptySwimmer(), "13002195801175", header2008(), nullptr).found);
}

TEST(NewEntry, PresetTimeComesFromTheBestTimeOfTheCourse)
{
    AthleteRecord a = tolvtest::fixtureRecord(tolvtest::fixtureMale13()[0]);
    EXPECT_EQ(presetTime(a, 1, 0), "3050");
    EXPECT_EQ(presetTime(a, 1, 1), "2990");
    EXPECT_EQ(presetTime(a, 2, 1), "66"); // no best time
    a.setBest(21, 0, 51234);
    EXPECT_EQ(presetTime(a, 21, 0), "51234");
    a.setI32(AthleteRecord::kBest.end(), 4444); // bytes after the table are not a slot 22 time
    EXPECT_EQ(presetTime(a, 22, 0), "66");      // relays and reserve events
    EXPECT_EQ(presetTime(a, 40, 0), "66");
    EXPECT_EQ(presetTime(std::nullopt, 1, 0), "66");
}

TEST(NewEntry, TypedTimeTakesTheTextBeforeTheCaret)
{
    EXPECT_EQ(typedTime("66", 2), 666666);
    EXPECT_EQ(typedTime("66", 0), 666666);
    EXPECT_EQ(typedTime("10523", 3), 105);
    EXPECT_EQ(typedTime("10523", 5), 10523);
    EXPECT_EQ(typedTime("10523", 0), 10523); // caret at the start: the whole text
    EXPECT_EQ(typedTime("", 0), 0);
    EXPECT_EQ(typedTime("28.45", 5), 2845);
    EXPECT_EQ(typedTime("1:05.23", 7), 10523);
    EXPECT_FALSE(typedTime("28,45", 5).has_value());
    EXPECT_EQ(typedTime("666", 3), 666);
    EXPECT_FALSE(typedTime("-5", 2).has_value());
    EXPECT_FALSE(typedTime("99999999999", 11).has_value());
}

namespace {

void addSwimmers(EntryStore& store, int count)
{
    for (int n = 1; n <= count; ++n) {
        store.swimmer() = EntryStore::emptySwimmer();
        store.swimmer().setSeq(n);
        store.swimmer().setNamae("選手" + std::to_string(n));
        store.swimmer().setKiro(1, 3000 + n);
        store.header().setTotal(n);
        store.writeSwimmer(n);
    }
}

} // namespace

TEST(DeleteSwimmer, LastSwimmerMovesIntoTheGap)
{
    TempTree t;
    fs::path file = t.dir() / "del.zep";
    EntryStore store;
    store.openEntryFile(file);
    addSwimmers(store, 5);
    const SwimmerRecord fifth = store.swimmerAt(5);

    EXPECT_EQ(deleteSwimmer(store, 2), 2);
    EXPECT_EQ(store.swimmer().Namae(), "選手5           ");

    store.close();
    EntryStore reread;
    reread.openEntryFile(file);
    EXPECT_EQ(reread.header().total(), 4);
    SwimmerRecord moved = reread.swimmerAt(2);
    EXPECT_EQ(moved.seq(), 2);
    EXPECT_EQ(moved.raw(4, 380), fifth.raw(4, 380)); // everything but the number kept
    EXPECT_EQ(reread.swimmerAt(1).Namae(), "選手1           ");
    EXPECT_EQ(reread.swimmerAt(4).Namae(), "選手4           ");
}

TEST(DeleteSwimmer, LastAndOnlySwimmer)
{
    TempTree t;
    fs::path file = t.dir() / "del.zep";
    EntryStore store;
    store.openEntryFile(file);
    addSwimmers(store, 2);
    EXPECT_EQ(deleteSwimmer(store, 2), 1);
    EXPECT_EQ(store.swimmer().Namae(), "選手1           ");
    EXPECT_EQ(deleteSwimmer(store, 1), 0);
    EXPECT_EQ(store.swimmer().Namae(), std::string(16, ' '));
    EXPECT_EQ(tolvtest::readEntry(file).header.total(), 0);
    EXPECT_THROW(deleteSwimmer(store, 1), TolvError);
    EXPECT_THROW(deleteSwimmer(store, 0), TolvError);
}

TEST(SessionRules, FiscalYearFileNameAndFolders)
{
    EXPECT_EQ(fiscalYear({2009, 3, 31}), 2008);
    EXPECT_EQ(fiscalYear({2009, 1, 1}), 2008);
    EXPECT_EQ(fiscalYear({2009, 4, 1}), 2009);
    EXPECT_EQ(fiscalYear({2009, 12, 31}), 2009);
    EXPECT_EQ(withFileTypeExtension("abc", 0), "abc.zep");
    EXPECT_EQ(withFileTypeExtension("abc", 1), "abc.kek");
    EXPECT_EQ(withFileTypeExtension("abc", 2), "abc.tor");
    EXPECT_EQ(withFileTypeExtension("abc.txt", 0), "abc.txt");
    EXPECT_EQ(withFileTypeExtension("", 0), "");
    EXPECT_EQ(fileTypePattern(1), "*.kek");
    Session s;
    s.downloadRoot = "http://h/t";
    s.year = "2008";
    EXPECT_EQ(s.downloadFolder(), "http://h/t/2008/");
    EXPECT_EQ(s.unitFolder(), "http://h/t/2008/");
    s.unitName = "tokyo";
    EXPECT_EQ(s.unitFolder(), "http://h/t/2008/tokyo/");
}

TEST(NewEntry, RunWritesNothingUntilItEnds)
{
    TempTree t;
    fs::path file = t.dir() / "run.zep";
    EntryStore store;
    store.openEntryFile(file);
    addSwimmers(store, 2);
    const std::string before = tolvtest::readBytes(file);

    NewEntryRun run(store);
    EXPECT_EQ(run.number(), 3);
    EXPECT_EQ(store.swimmer().Namae(), std::string(16, ' ')); // the buffer starts empty
    run.record().setNamae("新人");
    ASSERT_TRUE(run.storeTime(9, "10523", 3));
    EXPECT_FALSE(run.storeTime(9, "-1", 2));
    EXPECT_FALSE(run.storeTime(44, "1", 1));
    EXPECT_EQ(run.preset(1), "66"); // nobody looked up
    // A header change meanwhile is written with the old count.
    store.header().setBasho("会場");
    store.saveHeader();
    EXPECT_EQ(tolvtest::readEntry(file).header.total(), 2);
    EXPECT_EQ(fs::file_size(file), before.size());

    run.finish();
    store.close();
    EntryStore after;
    after.openEntryFile(file);
    EXPECT_EQ(after.header().total(), 3);
    SwimmerRecord s = after.swimmerAt(3);
    EXPECT_EQ(s.seq(), 3);
    EXPECT_EQ(s.Namae(), "新人            ");
    EXPECT_EQ(s.kiro(9), 105);
    EXPECT_EQ(fs::file_size(file), 13u * 384u);
}
