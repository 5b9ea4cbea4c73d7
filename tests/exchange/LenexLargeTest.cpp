// Lenex files of a generated federation (the document is written club by club, the zipped form
// compressed from pieces) and fault lines of documents parsed in place.
#include "FederationFile.h"
#include "LenexConformance.h"
#include "exchange/LenexContainer.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexWriter.h"
#include "platform/Error.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <sstream>

using namespace tolv;
namespace fs = std::filesystem;

TEST(LenexLarge, FilesHoldTheDocumentAsTheWholeTreePrintsIt)
{
    tolvtest::TempTree tree;
    const tolvbench::FederationFile f = tolvbench::writeFederation(tree.dir(), 3000, 7);
    EntryStore store;
    store.openEntryFile(f.entry, EntryStore::Access::Read);
    lenex::ExportOptions options;
    options.city = "Tokyo";
    const lenex::Document doc = lenex::writeLenex(store.header(), store.reserve(), store.readAllSwimmers(), options);
    EXPECT_EQ(tolvtest::lenexFaults(doc.xml), std::vector<std::string>{});
    ASSERT_GT(doc.xml.size(), std::size_t(1) << 20); // more than one piece of the zipped form
    EXPECT_EQ(doc.summary.clubs, f.teams);

    // The same tree parsed and printed whole gives the same bytes.
    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_buffer(doc.xml.data(), doc.xml.size(), pugi::parse_default | pugi::parse_declaration));
    std::ostringstream whole;
    parsed.save(whole, "  ", pugi::format_indent, pugi::encoding_utf8);
    EXPECT_EQ(whole.str(), doc.xml);

    for (bool zip : {false, true}) {
        const auto r = lenex::exportLenex(store, lenex::defaultExportPath(tree.dir(), f.entry, zip), zip, "Tokyo", tree.dir());
        const std::string bytes = tolvtest::readBytes(r.file);
        EXPECT_EQ(zip ? lenex::unpackLenex(bytes, "x") : bytes, doc.xml) << zip;
        EXPECT_EQ(r.summary.athletes, doc.summary.athletes);
        EXPECT_EQ(r.summary.notAthletes, doc.summary.notAthletes);
    }
}

TEST(LenexLarge, FederationRoundTripWritesTheSameDocument)
{
    // Export, import into an empty file, export again: every athlete, club and time comes back
    // (relays on their own swimmer), and the second document is the first.
    tolvtest::TempTree tree;
    const tolvbench::FederationFile f = tolvbench::writeFederation(tree.dir(), 1500, 3);
    lenex::ExportResult first;
    {
        EntryStore store;
        store.openEntryFile(f.entry, EntryStore::Access::Read);
        first = lenex::exportLenex(store, tree.dir() / "first.lef", false, "東京都江東区", tree.dir());
    }
    const fs::path back = tree.dir() / "BACK.zep";
    lenex::ExportResult second;
    {
        EntryStore store;
        store.openEntryFile(back);
        const lenex::ImportResult r = lenex::importLenex(store, first.file);
        EXPECT_TRUE(r.notTaken.empty());
        EXPECT_TRUE(r.folded.empty());
        second = lenex::exportLenex(store, tree.dir() / "second.lef", false, "", tree.dir());
    }
    EXPECT_GT(first.summary.athletes, 1000);
    EXPECT_GT(first.summary.relays, 50);
    EXPECT_EQ(second.summary.athletes, first.summary.athletes);
    EXPECT_EQ(second.summary.clubs, first.summary.clubs);
    EXPECT_EQ(second.summary.entries, first.summary.entries);
    EXPECT_EQ(second.summary.relays, first.summary.relays);
    const std::string a = tolvtest::readBytes(first.file), b = tolvtest::readBytes(second.file);
    EXPECT_EQ(tolvtest::lenexFaults(a), std::vector<std::string>{});
    EXPECT_TRUE(a == b) << "the documents differ from byte "
                        << std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
}

TEST(LenexLarge, FaultLinesCountTheFileAsRead)
{
    // Line feeds right after element names and inside attribute values, which parsing overwrites.
    const std::string lines[] = {
        R"(<?xml version="1.0" encoding="UTF-8"?>)",
        R"(<LENEX version="3.0"><MEETS>)",
        R"(<MEET)",
        R"(name="a)",
        R"(b" city="c"><SESSIONS><SESSION number="1" date="2008-11-14"><EVENTS>)",
        R"(<EVENT eventid="1" number="1"><SWIMSTYLE distance="50" relaycount="1" stroke="FREE" /></EVENT>)",
        R"(</EVENTS></SESSION></SESSIONS><CLUBS><CLUB)",
        R"(name="X" code="13001"><ATHLETES>)",
        R"(<ATHLETE athleteid="1" lastname="a" gender="M" birthdate="2001-01-01"><ENTRIES><ENTRY eventid="1" entrytime="1" /></ENTRIES></ATHLETE>)",
        R"(</ATHLETES></CLUB></CLUBS></MEET></MEETS></LENEX>)",
    };
    for (const char* eol : {"\n", "\r\n"}) {
        tolvtest::TempTree tree;
        std::string text;
        for (const std::string& l : lines) text += l + eol;
        tolvtest::writeBytes(tree.dir() / "bad.lef", text);
        EntryStore store;
        store.openEntryFile(tree.dir() / "T.zep");
        try {
            lenex::importLenex(store, tree.dir() / "bad.lef");
            ADD_FAILURE() << "accepted";
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find("9行目: entrytime"), std::string::npos) << e.what();
        }
    }
}
