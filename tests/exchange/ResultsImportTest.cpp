// Results(1) from Results.Dat and Results(2) combining results.$$$ into results.zep.
#include "exchange/ResultsImport.h"
#include "exchange/ImportFixture.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "support/EntrySnapshot.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace importtest;

namespace {

std::string result(const std::string& sex, const std::string& stroke, const std::string& distance, const std::string& name,
                   const std::string& time)
{
    return quoted(columns(100, {{1, sex},
                                {2, stroke},
                                {3, distance},
                                {10, "東京ＳＣ"},
                                {11, "0001234"},
                                {13, name},
                                {14, "1998/04/02"},
                                {27, "2"},
                                {28, "3"},
                                {31, "13001"},
                                {36, time}}));
}

} // namespace

TEST(ResultsImport, Results1ReplacesTheSwimmersAfterAsking)
{
    ImportBench b;
    for (int i = 0; i < 3; ++i) b.add({.namae = "旧" + std::to_string(i)});
    b.store.header().setTcod("T123456");
    b.store.header().setCourse(1);
    b.store.header().setBotai(2);
    b.store.header().setDay(0, 20050401);
    b.store.saveHeader();
    b.put("Results.Dat", result("1", "1", "7", "山田", "16:05.30") + result("2", "1", "8", "鈴木", "1:05.30"));

    ScriptedPrompt no(false);
    const std::string before = b.bytes();
    EXPECT_THROW(importResultsReplacing(b.store, b.folder(), no), ImportCancelled);
    EXPECT_TRUE(b.bytes() == before);
    EXPECT_NE(no.said.find("選手 3 人を、Results.Dat の記録 2 件で置き換えます"), std::string::npos);

    ScriptedPrompt yes(true);
    ImportReport r = importResultsReplacing(b.store, b.folder(), yes);
    const tolvtest::EntrySnapshot e = tolvtest::readEntry(b.path);
    ASSERT_EQ(e.header.total(), 2);
    EXPECT_EQ(e.header.course(), 0);
    EXPECT_EQ(e.header.tcod(), "       ");
    EXPECT_EQ(e.header.botai(), 0);
    EXPECT_EQ(e.header.day(0), 0);
    const SwimmerRecord& s = e.swimmerAt(1);
    EXPECT_EQ(s.kiro(6), 160530); // 1500 m freestyle
    EXPECT_EQ(s.markA(6), "1");
    EXPECT_EQ(s.QBango(), "13001199804020");
    EXPECT_EQ(s.Shozoku(), "東京ＳＣ    ");
    EXPECT_EQ(s.Bango(), "0001234");
    EXPECT_EQ(s.gakunen(), "23");
    EXPECT_EQ(s.shuFuku(), "3");
    EXPECT_EQ(s.shubetu(), "      ");
    const SwimmerRecord& t = e.swimmerAt(2);
    EXPECT_EQ(t.sei(), "2");
    EXPECT_EQ(t.QBango(), "13001199804025");
    for (int slot = 0; slot < kEventSlots; ++slot) EXPECT_EQ(t.kiro(slot), 0); // distance 8: no slot
    // The third old swimmer's bytes stay behind the new count.
    EXPECT_EQ(b.bytes().substr(12 * kEntryRecordLength, kEntryRecordLength),
              before.substr(12 * kEntryRecordLength, kEntryRecordLength));
    EXPECT_NE(r.message().find("Results.Dat 2 行目: 種目がありません"), std::string::npos) << r.message();

    // A malformed line leaves the file whole, even when the user agreed.
    b.put("Results.Dat", result("1", "1", "3", "山田", "1:05.30") + result("1", "1", "3", "鈴木", "1:05:30"));
    const std::string now = b.bytes();
    try {
        importResultsReplacing(b.store, b.folder(), yes);
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Results.Dat 2 行目: タイム", 0), 0u) << e.what();
    }
    EXPECT_TRUE(b.bytes() == now);

    // A write that fails at the end leaves the old file and the store's header as they were.
    b.put("Results.Dat", result("1", "1", "3", "山田", "1:05.30"));
    b.store.header().setCourse(1);
    b.store.saveHeader();
    const std::string held = b.bytes();
    AtomicFile::beforeRenameHook() = [](const std::filesystem::path&) { throw TolvError("disk full"); };
    EXPECT_THROW(importResultsReplacing(b.store, b.folder(), yes), TolvError);
    AtomicFile::beforeRenameHook() = nullptr;
    EXPECT_TRUE(b.bytes() == held);
    EXPECT_EQ(b.store.header().course(), 1);
    EXPECT_EQ(b.store.header().total(), 2);
}

TEST(ResultsImport, EventTable)
{
    EXPECT_EQ(resultsEventSlot("1", "7"), 6);
    EXPECT_EQ(resultsEventSlot("1", "8"), std::nullopt);
    EXPECT_EQ(resultsEventSlot("2", "4"), 10);
    EXPECT_EQ(resultsEventSlot("5", "5"), 21);
    EXPECT_EQ(resultsEventSlot("5", "2"), std::nullopt);
    EXPECT_EQ(resultsEventSlot("7", "3"), 22);
    EXPECT_EQ(resultsEventSlot("6", "6"), 28);
    EXPECT_EQ(resultsEventSlot("7", "6"), std::nullopt);
}

TEST(ResultsImport, Results2CombinesConsecutiveRecordsOfOnePerson)
{
    ImportBench b;
    auto person = [](const std::string& name, int slot, int time) {
        checktest::Swimmer s{.qbango = "13001199804021", .namae = name, .shuFuku = "3"};
        s.kiro[slot] = time;
        return s;
    };
    b.add(person("山田", 2, 10000));
    b.add(person("山田", 3, 20000)); // same person: combined
    b.add(person("鈴木", 2, 11000));
    b.add(person("山田", 4, 40000)); // separated by another: a new person
    b.store.reserve().setYobiName(0, "予備");
    b.store.saveHeader();
    b.store.close();
    std::filesystem::rename(b.path, b.dir() / "results.$$$");
    const std::string source = tolvtest::readBytes(b.dir() / "results.$$$");

    ImportReport r = combineResults(b.dir());
    const tolvtest::EntrySnapshot z = tolvtest::readEntry(b.dir() / "results.zep");
    ASSERT_EQ(z.header.total(), 3);
    EXPECT_EQ(z.swimmerAt(1).kiro(2), 10000);
    EXPECT_EQ(z.swimmerAt(1).kiro(3), 20000);
    EXPECT_EQ(z.swimmerAt(2).Namae(), "鈴木            ");
    EXPECT_EQ(z.swimmerAt(3).kiro(4), 40000);
    EXPECT_EQ(z.swimmerAt(3).kiro(2), 0);
    EXPECT_EQ(z.reserve.yobiName(0), "予備            ");
    EXPECT_EQ(tolvtest::readBytes(b.dir() / "results.zep").size(), 13 * kEntryRecordLength);
    EXPECT_TRUE(tolvtest::readBytes(b.dir() / "results.$$$") == source);
    EXPECT_NE(r.message().find("4 件を 3 人に"), std::string::npos);

    // No swimmers: a results.zep without swimmers, not one empty person.
    ImportBench e;
    e.store.close();
    std::filesystem::rename(e.path, e.dir() / "results.$$$");
    combineResults(e.dir());
    EXPECT_EQ(tolvtest::readEntry(e.dir() / "results.zep").header.total(), 0);
    EXPECT_EQ(tolvtest::readBytes(e.dir() / "results.zep").size(), 10 * kEntryRecordLength);

    EXPECT_THROW(combineResults(e.transfer), TolvError); // no results.$$$ there
}
