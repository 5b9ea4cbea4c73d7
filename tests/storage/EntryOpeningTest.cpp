#include "platform/Error.h"
#include "storage/EntryOpening.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tolv;
using Outcome = EntryOpening::Outcome;
namespace fs = std::filesystem;

namespace {

// A file of one swimmer aged `age`.
void writeEntry(const fs::path& file, int age)
{
    EntryStore store;
    store.openEntryFile(file);
    SwimmerRecord s = EntryStore::emptySwimmer();
    s.setSeq(1);
    s.setNamae("選手");
    s.setNenrei(static_cast<std::int16_t>(age));
    EntryHeader h = store.header();
    h.setTotal(1);
    store.writeSwimmer(1, s, h);
}

std::string errorOf(const EntryOpening& o)
{
    if (!o.error()) return {};
    try {
        std::rethrow_exception(o.error());
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace

// How the entry window opens its file, one condition of the file per row.
TEST(EntryOpening, EachConditionOfTheFileHasItsOutcome)
{
    struct Row {
        const char* name;
        // Prepares the file; what it returns is held while the file is opened.
        std::function<std::shared_ptr<EntryStore>(const fs::path&)> prepare;
        Outcome outcome;
        bool readOnly;
        bool opened;
        const char* noted; // part of the note, the error or the damage list
    };
    const Row rows[] = {
        {"missing file is created", [](const fs::path&) { return nullptr; }, Outcome::Opened, false, true, ""},
        {"sound file",
         [](const fs::path& f) {
             writeEntry(f, 12);
             return nullptr;
         },
         Outcome::Opened, false, true, ""},
        {"data findings are only noted",
         [](const fs::path& f) {
             writeEntry(f, 200);
             return nullptr;
         },
         Outcome::Opened, false, true, "データの指摘があります"},
        {"damage opens read-only",
         [](const fs::path& f) {
             writeEntry(f, 12);
             std::string bytes = tolvtest::readBytes(f);
             bytes.replace(16, 2, "\xFF\xFF"); // the competition name cannot be read
             tolvtest::writeBytes(f, bytes);
             return nullptr;
         },
         Outcome::Damaged, true, true, "・ヘッダ"},
        {"damage beyond reading",
         [](const fs::path& f) {
             writeEntry(f, 12);
             std::string bytes = tolvtest::readBytes(f);
             bytes.replace(16, 2, "\xFF\xFF");
             bytes[0] = 9; // a count past the records
             tolvtest::writeBytes(f, bytes);
             return nullptr;
         },
         Outcome::DamagedUnreadable, false, false, "壊れています"},
        {"another program reads it",
         [](const fs::path& f) {
             writeEntry(f, 12);
             auto reader = std::make_shared<EntryStore>();
             reader->openEntryFile(f, EntryStore::Access::Read);
             return reader;
         },
         Outcome::AskReadOnly, false, false, ""},
        {"another program writes it",
         [](const fs::path& f) {
             auto writer = std::make_shared<EntryStore>();
             writer->openEntryFile(f);
             return writer;
         },
         Outcome::Failed, false, false, ""},
        {"no such folder", [](const fs::path&) { return nullptr; }, Outcome::Failed, false, false, ""},
    };
    for (const Row& r : rows) {
        tolvtest::TempTree t;
        const fs::path file = std::string(r.name) == "no such folder" ? t.dir() / "none" / "club.zep" : t.dir() / "club.zep";
        const auto held = r.prepare(file);
        EntryStore store;
        EntryOpening opening(file);
        EXPECT_EQ(opening.open(store), r.outcome) << r.name;
        EXPECT_EQ(opening.readOnly(), r.readOnly) << r.name;
        EXPECT_EQ(store.isOpen(), r.opened) << r.name;
        const std::string said = opening.note() + errorOf(opening) + opening.damageList();
        EXPECT_NE(said.find(r.noted), std::string::npos) << r.name << ": " << said;
        const bool failed =
            r.outcome == Outcome::AskReadOnly || r.outcome == Outcome::Failed || r.outcome == Outcome::DamagedUnreadable;
        EXPECT_EQ(bool(opening.error()), failed) << r.name;
        if (r.outcome == Outcome::Damaged) {
            EXPECT_NE(opening.damagedMessage().find("読み取り専用で開きます"), std::string::npos);
        }
        if (r.outcome == Outcome::AskReadOnly) {
            opening.openReadOnly(store);
            EXPECT_TRUE(opening.readOnly());
            EXPECT_EQ(store.access(), EntryStore::Access::Read);
            EXPECT_EQ(store.header().total(), 1);
        }
        if (r.outcome == Outcome::Opened) {
            EXPECT_EQ(store.access(), EntryStore::Access::Write) << r.name;
            EXPECT_TRUE(fs::is_regular_file(file)) << r.name;
        }
    }
}
