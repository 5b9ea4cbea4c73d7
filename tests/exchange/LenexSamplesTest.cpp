// Lenex files written by other meet-management programs, read from the shared samples folder
// (TOLV_LENEX_SAMPLES, else ../shared/lenex-samples beside the repository; the tests skip where it
// is absent): each imports whole, and an entries file's meet taken, imported and written again
// enters every swimmer against the organiser's own events.
#include "exchange/LenexCodes.h"
#include "exchange/LenexContainer.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexWriter.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <tuple>

using namespace tolv;
namespace fs = std::filesystem;

namespace {

fs::path samplesFolder()
{
    if (const char* dir = std::getenv("TOLV_LENEX_SAMPLES"); dir && *dir) return dir;
    return (fs::path(TOLV_TEST_DIR) / ".." / ".." / "shared" / "lenex-samples").lexically_normal();
}

#define NEED_SAMPLES(dir)                                                                                                        \
    const fs::path dir = samplesFolder();                                                                                        \
    if (!fs::is_directory(dir)) GTEST_SKIP() << "no Lenex samples folder: " << dir.string()

std::string documentOf(const fs::path& file) { return lenex::unpackLenex(tolvtest::readBytes(file), file.string()); }

// The individual events the entry file has a slot for: stroke and distance.
bool standardIndividual(const std::string& stroke, int distance)
{
    static const std::map<std::string, std::set<int>> slots = {{"FREE", {25, 50, 100, 200, 400, 800, 1500}},
                                                               {"BACK", {25, 50, 100, 200}},
                                                               {"BREAST", {25, 50, 100, 200}},
                                                               {"FLY", {25, 50, 100, 200}},
                                                               {"MEDLEY", {100, 200, 400}}};
    auto it = slots.find(stroke);
    return it != slots.end() && it->second.count(distance);
}

struct Event {
    std::string stroke;
    int distance = 0;
    int relaycount = 1;
    std::string gender;
};

std::map<std::string, Event> eventsOf(const pugi::xml_document& doc)
{
    std::map<std::string, Event> out;
    for (const auto& x : doc.select_nodes("//EVENT")) {
        const pugi::xml_node style = x.node().child("SWIMSTYLE");
        out[x.node().attribute("eventid").value()] =
            Event{style.attribute("stroke").value(), style.attribute("distance").as_int(), style.attribute("relaycount").as_int(),
                  x.node().attribute("gender").value()};
    }
    return out;
}

bool holdable(const pugi::xml_node& a)
{
    static const std::regex date("[0-9]{4}-[0-9]{2}-[0-9]{2}");
    const std::string gender = a.attribute("gender").value();
    return std::string(a.attribute("lastname").value()).find_first_not_of(' ') != std::string::npos &&
           std::regex_match(a.attribute("birthdate").value(), date) && (gender == "M" || gender == "F");
}

std::string timeText(const char* t) { return *t == 0 || std::string(t) == "00:00:00.00" ? "NT" : t; }

} // namespace

TEST(LenexSamples, EveryAthleteFileImportsWithTheCountsItHolds)
{
    NEED_SAMPLES(dir);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".lef" && ext != ".lxf") continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string xml = documentOf(entry.path());

        // What the file holds, counted here: athletes the entry file can hold, and their
        // individual events of a standard slot (an entry without a status, or any result).
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(xml.c_str()));
        std::set<std::string> individual;
        for (const auto& [id, ev] : eventsOf(doc))
            if (ev.relaycount == 1 && standardIndividual(ev.stroke, ev.distance)) individual.insert(id);
        std::map<std::string, Event> events = eventsOf(doc);
        for (const auto& x : doc.select_nodes("//EVENT"))
            if (*x.node().child("SWIMSTYLE").attribute("technique").value())
                individual.erase(x.node().attribute("eventid").value());
        std::size_t athletes = 0, leftOut = 0, slots = 0;
        for (const auto& x : doc.select_nodes("//CLUB/ATHLETES/ATHLETE")) {
            if (!holdable(x.node())) {
                ++leftOut;
                continue;
            }
            ++athletes;
            std::set<std::pair<std::string, int>> styles;
            for (pugi::xml_node e : x.node().child("ENTRIES").children("ENTRY")) {
                const std::string status = e.attribute("status").value();
                const std::string id = e.attribute("eventid").value();
                if ((status.empty() || status == "EXH") && individual.count(id))
                    styles.emplace(events[id].stroke, events[id].distance);
            }
            for (pugi::xml_node r : x.node().child("RESULTS").children("RESULT"))
                if (const std::string id = r.attribute("eventid").value(); individual.count(id))
                    styles.emplace(events[id].stroke, events[id].distance);
            slots += styles.size();
        }

        tolvtest::TempTree tree;
        EntryStore store;
        store.openEntryFile(tree.dir() / "SAMPLE.zep");
        const lenex::ImportResult r = lenex::readLenex(xml, entry.path().string(), store.header(), store.reserve());
        EXPECT_EQ(r.swimmers.size() - static_cast<std::size_t>(r.relayTeams), athletes);
        EXPECT_EQ(r.leftOut.size(), leftOut);
        std::size_t got = 0;
        for (const SwimmerRecord& s : r.swimmers)
            for (int slot = 0; slot < kFirstReserveSlot; ++slot) got += !isRelaySlot(slot) && s.kiro(slot) != 0 ? 1 : 0;
        EXPECT_EQ(got, slots);
    }
    EXPECT_GT(files, 0) << dir.string();
}

TEST(LenexSamples, EntriesAgainstATakenMeetNameTheOrganisersEvents)
{
    NEED_SAMPLES(dir);
    for (const char* name : {"MeldungenStolle25.lef", "can-trials24-entries-splash.lxf", "dmsj25-relays-easywk.lxf"}) {
        SCOPED_TRACE(name);
        const fs::path file = dir / name;
        if (!fs::exists(file)) GTEST_SKIP() << "no " << file.string();
        tolvtest::TempTree tree;
        const fs::path entryFile = tree.dir() / "MEET.zep";
        const fs::path out = tree.dir() / "OUT.lef";
        lenex::ExportResult written;
        {
            EntryStore store;
            store.openEntryFile(entryFile);
            lenex::takeLenexMeet(store, file);
            lenex::importLenex(store, file);
            written = lenex::exportLenex(store, out, false, "", tree.dir());
        }
        EXPECT_TRUE(written.summary.againstMeet);

        pugi::xml_document original, exported;
        const std::string originalXml = documentOf(file);
        ASSERT_TRUE(original.load_string(originalXml.c_str()));
        ASSERT_TRUE(exported.load_file(out.c_str()));
        const std::map<std::string, Event> events = eventsOf(original);

        // Every entry of the original: athlete (birth date, gender), event style and gender, time.
        using Entry = std::tuple<std::string, std::string, std::string, int, std::string, std::string>;
        std::set<Entry> entries;
        std::set<std::tuple<std::string, std::string, std::string, std::string, std::string>> athletes;
        for (const auto& x : original.select_nodes("//CLUB/ATHLETES/ATHLETE")) {
            const pugi::xml_node a = x.node();
            athletes.emplace(a.attribute("lastname").value(), a.attribute("firstname").value(), a.attribute("birthdate").value(),
                             a.attribute("license").value(), a.attribute("nation").value());
            for (pugi::xml_node e : a.child("ENTRIES").children("ENTRY")) {
                const Event& ev = events.at(e.attribute("eventid").value());
                entries.emplace(a.attribute("birthdate").value(), a.attribute("gender").value(), ev.stroke, ev.distance,
                                ev.gender, timeText(e.attribute("entrytime").value()));
            }
        }
        std::size_t checked = 0;
        for (const auto& x : exported.select_nodes("//CLUB/ATHLETES/ATHLETE")) {
            const pugi::xml_node a = x.node();
            // Names, licence and nation as the original gave them.
            EXPECT_TRUE(
                athletes.count({a.attribute("lastname").value(), a.attribute("firstname").value(),
                                a.attribute("birthdate").value(), a.attribute("license").value(), a.attribute("nation").value()}))
                << a.attribute("lastname").value() << " " << a.attribute("firstname").value();
            for (pugi::xml_node e : a.child("ENTRIES").children("ENTRY")) {
                const auto ev = events.find(e.attribute("eventid").value());
                ASSERT_NE(ev, events.end()) << e.attribute("eventid").value();
                EXPECT_TRUE(entries.count({a.attribute("birthdate").value(), a.attribute("gender").value(), ev->second.stroke,
                                           ev->second.distance, ev->second.gender, e.attribute("entrytime").value()}))
                    << a.attribute("lastname").value() << " eventid " << ev->first << " " << e.attribute("entrytime").value();
                ++checked;
            }
        }
        EXPECT_EQ(checked, static_cast<std::size_t>(written.summary.entries));
        // What was left out is listed (here: swimmers of handicap-class events only, relay teams
        // without ages); in an entries file of ordinary events, nothing.
        if (std::string(name) == "MeldungenStolle25.lef") {
            EXPECT_TRUE(written.summary.notEntered.empty()) << lenex::describeExport(written);
        }
        // Relays: the organiser's relay event of the same style and gender.
        for (const auto& x : exported.select_nodes("//RELAY")) {
            const pugi::xml_node e = x.node().child("ENTRIES").child("ENTRY");
            const auto ev = events.find(e.attribute("eventid").value());
            ASSERT_NE(ev, events.end());
            EXPECT_GT(ev->second.relaycount, 1);
            const std::string gender = x.node().attribute("gender").value();
            EXPECT_TRUE(ev->second.gender.empty() || ev->second.gender == "A" || ev->second.gender == gender) << ev->first;
        }
    }
}
