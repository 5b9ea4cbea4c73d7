// yomi.dat byte for byte, and what register, modify and delete do to the list.
#include "merge/ReadingFormats.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::merge;
using tolvtest::readBytes;

namespace {

namespace fs = std::filesystem;

std::string le16(int v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }

ReadingFormat sample(const std::string& name)
{
    ReadingFormat f;
    f.name = name;
    f.fileName = "team.csv";
    f.titleRecords = 1;
    f.fixedPosition = false;
    f.eventNumber = true;
    f.rangeFirst = 8;
    f.rangeLast = 15;
    f.columns[0] = {1, false};
    f.columns[1] = {2, false};
    f.columns[3] = {3, true};
    return f;
}

// The record of sample(name), laid out field by field.
std::string sampleRecord(const std::string& name)
{
    std::string r = name + std::string(20 - name.size(), ' '); //   0 name
    r += "team.csv" + std::string(12, ' ');                    //  20 file name
    r += le16(1) + le16(0) + le16(-1) + le16(8) + le16(15);    //  40 title, fixed, event, first, last
    r += le16(1) + le16(2) + le16(0) + le16(103);              //  50 columns 0-3 ("3+" is 103)
    for (int i = 4; i < kTargetFields; ++i) r += le16(0);      //     columns 4-34
    r += std::string(8, '\0');                                 // 120 unused
    return r;
}

} // namespace

TEST(ReadingFormats, RegisterModifyDeleteKeepTheRecordsAsLaidOut)
{
    tolvtest::TempTree tree;
    const fs::path yomi = tree.dir() / "yomi.dat";
    EXPECT_TRUE(readReadingFormats(yomi).empty()); // missing file: no format

    // Register into an empty list: N = 1 and the format as record 2.
    registerReadingFormat(yomi, sample("A"));
    std::string header = le16(1) + std::string(126, '\0');
    EXPECT_EQ(readBytes(yomi), header + sampleRecord("A"));

    // A new format comes first; modify overwrites the selected one.
    registerReadingFormat(yomi, sample("B"));
    registerReadingFormat(yomi, sample("C"));
    ReadingFormat changed = sample("B2");
    changed.fixedPosition = true;
    changed.eventNumber = false;
    modifyReadingFormat(yomi, 1, changed);
    std::vector<ReadingFormat> list = readReadingFormats(yomi);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], sample("C"));
    EXPECT_EQ(list[1], changed);
    EXPECT_EQ(list[2], sample("A"));

    // Delete moves the later ones up and leaves the last record behind.
    deleteReadingFormat(yomi, 0);
    const std::string bytes = readBytes(yomi);
    ASSERT_EQ(bytes.size(), 4u * 128u);
    EXPECT_EQ(bytes.substr(0, 2), le16(2));
    EXPECT_EQ(bytes.substr(3 * 128), sampleRecord("A"));
    list = readReadingFormats(yomi);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "B2");
    EXPECT_EQ(list[1].name, "A");
    EXPECT_EQ(findReadingFormat(list, "A")->rangeLast, 15);
    EXPECT_FALSE(findReadingFormat(list, "C"));

    // Out of range positions, unusable names and a damaged file are refused, the file unchanged.
    EXPECT_THROW(modifyReadingFormat(yomi, 2, sample("X")), TolvError);
    EXPECT_THROW(deleteReadingFormat(yomi, -1), TolvError);
    EXPECT_THROW(registerReadingFormat(yomi, sample("")), TolvError);
    EXPECT_THROW(registerReadingFormat(yomi, sample("あいうえおかきくけこさ")), TolvError); // 22 bytes
    EXPECT_TRUE(readBytes(yomi) == bytes);
    tolvtest::writeBytes(yomi, le16(5) + std::string(254, '\0'));
    EXPECT_THROW(readReadingFormats(yomi), TolvError);
}

TEST(ReadingFormats, ColumnReferencesAsTypedStoredAndShown)
{
    struct Case {
        const char* typed;
        int column;
        bool join;
        int stored;
        const char* shown;
    };
    const Case cases[] = {
        {"3", 3, false, 3, "3"},  {"3+", 3, true, 103, "3+"}, {" 12 ", 12, false, 12, "12"},
        {"0", 0, false, 0, "0"},  {"", 0, false, 0, "0"},     {"-2", 0, false, 0, "0"},
        {"0+", 0, false, 0, "0"}, {"abc", 0, false, 0, "0"},  {"69+", 69, true, 169, "69+"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const ColumnRef r = parseColumnRef(c.typed);
        EXPECT_EQ(r, (ColumnRef{c.column, c.join}));
        EXPECT_EQ(storedColumnRef(r), c.stored);
        EXPECT_EQ(columnRefFromStored(static_cast<std::int16_t>(c.stored)), r);
        EXPECT_EQ(columnRefText(r), c.shown);
    }
}
