#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/NewEntryInput.h"
#include "storage/TimeInput.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using Kind = NewEntryInput::Reply::Kind;
using Step = NewEntryInput::Step;

// One new swimmer typed on the input line, Enter by Enter: codes, times, refusals and the end.
TEST(NewEntryInput, CodesAndTimesFollowEachOther)
{
    tolvtest::TempTree t;
    EntryStore store;
    store.openEntryFile(t.dir() / "club.zep");
    const int slot11 = *slotFromTypedCode("11"), slot12 = *slotFromTypedCode("12"), slot13 = *slotFromTypedCode("13");
    struct Row {
        std::string typed;
        int caret;
        Kind kind;
        std::string text; // preset or message
        Step after;
        int slot;
    };
    const Row rows[] = {
        {"1", 1, Kind::Wait, "", Step::Code, -1}, // not a whole code yet
        {"123", 3, Kind::Wait, "", Step::Code, -1},
        {"00", 2, Kind::UnknownCode, "種目コード「00」の種目はありません。", Step::Code, -1},
        {"11", 2, Kind::AskTime, "66", Step::Time, slot11},                           // no athlete: "66"
        {"abc", 3, Kind::TimeRefused, timeRefusedMessage("abc"), Step::Time, slot11}, // asked again
        {"99", 2, Kind::TimeStored, "", Step::Code, slot11},                          // a time here, not the end
        {"12", 2, Kind::AskTime, "66", Step::Time, slot12},
        {"66", 2, Kind::TimeStored, "", Step::Code, slot12}, // "参加"
        {"13", 2, Kind::AskTime, "66", Step::Time, slot13},
        {"10523", 3, Kind::TimeStored, "", Step::Code, slot13}, // read up to the caret
        {"99", 2, Kind::End, "", Step::Code, slot13},
    };
    NewEntryInput input(store);
    EXPECT_EQ(input.run().number(), 1);
    for (const Row& r : rows) {
        const NewEntryInput::Reply reply = input.enter(r.typed, r.caret);
        EXPECT_EQ(reply.kind, r.kind) << r.typed;
        EXPECT_EQ(reply.text, r.text) << r.typed;
        EXPECT_EQ(input.step(), r.after) << r.typed;
        EXPECT_EQ(input.slot(), r.slot) << r.typed;
    }
    EXPECT_EQ(input.run().record().kiro(slot11), *parseTime("99"));
    EXPECT_EQ(input.run().record().kiro(slot12), kMarkEntered);
    EXPECT_EQ(input.run().record().kiro(slot13), *parseTime("105"));
    // Nothing reaches the file before the run ends.
    EXPECT_EQ(store.header().total(), 0);
    EXPECT_EQ(tolvtest::readBytes(t.dir() / "club.zep").size(), 2u * kEntryRecordLength);
    input.run().finish();
    EXPECT_EQ(store.header().total(), 1);
    EXPECT_EQ(store.swimmerAt(1).kiro(slot12), kMarkEntered);
}
