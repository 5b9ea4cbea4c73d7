// Lenex files of a generated federation (the document is written club by club, the zipped form
// compressed from pieces) and fault lines of documents parsed in place.
#include "FederationFile.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexWriter.h"
#include "platform/Error.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <sstream>

using namespace tolv;
namespace fs = std::filesystem;

TEST(LenexLarge, FilesHoldTheDocumentAsTheWholeTreePrintsIt)
{
    tolvtest::TempTree tree;
    const tolvbench::FederationFile f = tolvbench::writeFederation(tree.dir(), 3000, 7);
    EntryStore store;
    store.openEntryFile(f.entry, EntryStore::Access::Read);
    const lenex::Document doc = lenex::writeLenex(store.header(), store.reserve(), store.readAllSwimmers());
    ASSERT_GT(doc.xml.size(), std::size_t(1) << 20);  // more than one piece of the zipped form
    EXPECT_EQ(doc.summary.clubs, f.teams);

    // The same tree parsed and printed whole gives the same bytes.
    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_buffer(doc.xml.data(), doc.xml.size(), pugi::parse_default | pugi::parse_declaration));
    std::ostringstream whole;
    parsed.save(whole, "  ", pugi::format_indent, pugi::encoding_utf8);
    EXPECT_EQ(whole.str(), doc.xml);

    for (bool zip : {false, true}) {
        const auto r = lenex::exportLenex(store, lenex::defaultExportPath(tree.dir(), f.entry, zip), zip);
        const std::string bytes = tolvtest::readBytes(r.file);
        EXPECT_EQ(zip ? lenex::unpackLenex(bytes, "x") : bytes, doc.xml) << zip;
        EXPECT_EQ(r.summary.athletes, doc.summary.athletes);
        EXPECT_EQ(r.summary.notAthletes, doc.summary.notAthletes);
    }
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
        R"(<ATHLETE athleteid="1" lastname="a" gender="Q" birthdate="2001-01-01" />)",
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
            EXPECT_NE(std::string(e.what()).find("9行目: ATHLETE の gender"), std::string::npos) << e.what();
        }
    }
}
