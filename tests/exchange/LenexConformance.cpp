#include "LenexConformance.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <map>
#include <set>

namespace tolvtest {
namespace {

// Data types: s String, si String international (ASCII 32..127), n Number (signed 32 bit),
// d Date YYYY-MM-DD, t Daytime HH:MM, st Swim time HH:MM:SS.ss or NT, e Enumeration (`values`),
// c Currency (a number), rt Reaction time (+/- and hundredths, "0", or empty).
struct Attribute {
    const char* name;
    const char* type;
    bool required;
    const char* values = nullptr; // enumerations: blank-separated; nullptr for the nation codes
};

struct Element {
    std::vector<Attribute> attributes;
    std::vector<std::pair<const char*, bool>> children; // element, required
};

// The FINA/World Aquatics codes of the nation table.
const char* const kNations =
    "AFG ALB ALG ASA AND ANG ANT ARG ARM ARU AUS AUT AZE BAH BRN BAN BAR BLR BEL BIZ BEN BER BHU BOL BIH BOT BRA "
    "IVB BRU BUL BUR BDI CAM CMR CAN CPV CAY CAF CHA CHI CHN TPE COL COM CGO COK CRC CRO CUB CYP CZE PRK COD DEN "
    "DJI DMA DOM ECU EGY ESA GEQ ERI EST ETH FRO FIJ FIN MKD FRA GAB GAM GEO GER GHA GIB GBR GRE GRN GUM GUA GUI "
    "GBS GUY HAI HON HKG HUN IRI ISL IND INA IRQ IRL ISR ITA CIV JAM JPN JOR KAZ KEN KIR KOR KUW KGZ LAO LAT LBN "
    "LES LBR LBA LIE LTU LUX MAC MAD MAW MAS MDV MLI MLT MHL MTN MRI MEX FSM MDA MON MNE MGL MAR MOZ MYA NAM NRU "
    "NEP NED AHO NZL NCA NIG NGR NMA NOR OMA PAK PLW PLE PAN PNG PAR PER PHI POL POR PUR QAT ROU RUS RWA STP LCA "
    "SAM SMR KSA SEN SRB SEY SLE SGP SVK SLO SOL SOM RSA ESP SRI SKN VIN SUD SUR SWZ SWE SUI SYR TAH TJK TAN THA "
    "TLS TOG TGA TRI TUN TUR TKM TUV UGA UKR UAE USA URU UZB VAN VEN VIE ISV YEM ZAM ZIM";
const char* const kCourses = "LCM SCM SCY SCM16 SCM20 SCM33 SCY20 SCY27 SCY33 SCY36 OPEN";
const char* const kStrokes =
    "APNEA BACK BIFINS MIXEDFINS BREAST DYNAMIC DYNAMIC_BIFINS DYNAMIC_NOFINS FLY FREE IMMERSION IMRELAY MEDLEY "
    "SPEED_APNEA SPEED_ENDURANCE STATIC SURFACE UNKNOWN";
const char* const kTiming = "AUTOMATIC SEMIAUTOMATIC MANUAL3 MANUAL2 MANUAL1";

const std::map<std::string, Element>& elements()
{
    static const std::map<std::string, Element> e = {
        {"LENEX",
         {{{"version", "s", true}, {"revision", "s", false}},
          {{"CONSTRUCTOR", true}, {"MEETS", false}, {"RECORDLISTS", false}, {"TIMESTANDARDLISTS", false}}}},
        {"CONSTRUCTOR", {{{"name", "s", false}, {"registration", "s", true}, {"version", "s", true}}, {{"CONTACT", true}}}},
        {"CONTACT",
         {{{"city", "s", false},
           {"country", "s", false},
           {"email", "s", false},
           {"fax", "s", false},
           {"internet", "s", false},
           {"name", "s", false},
           {"mobile", "s", false},
           {"phone", "s", false},
           {"state", "s", false},
           {"street", "s", false},
           {"street2", "s", false},
           {"zip", "s", false}},
          {}}},
        {"MEETS", {{}, {{"MEET", false}}}},
        {"MEET",
         {{{"altitude", "n", false},
           {"city", "s", true},
           {"city.en", "si", false},
           {"course", "e", false, kCourses},
           {"deadline", "d", false},
           {"deadlinetime", "t", false},
           {"entrystartdate", "d", false},
           {"entrytype", "e", false, "OPEN INVITATION"},
           {"hostclub", "s", false},
           {"hostclub.url", "s", false},
           {"maxentriesathlete", "n", false},
           {"maxentriesrelay", "n", false},
           {"name", "s", true},
           {"name.en", "si", false},
           {"nation", "e", true},
           {"number", "s", false},
           {"organizer", "s", false},
           {"organizer.url", "s", false},
           {"reservecount", "n", false},
           {"result.url", "s", false},
           {"startmethod", "e", false, "1 2"},
           {"swrid", "uid", false},
           {"timing", "e", false, kTiming},
           {"touchpadmode", "e", false, "ONESIDE BOTHSIDE"},
           {"type", "s", false},
           {"withdrawuntil", "d", false}},
          {{"AGEDATE", false},
           {"BANK", false},
           {"CLUBS", false},
           {"CONTACT", false},
           {"FACILITY", false},
           {"FEES", false},
           {"POINTTABLE", false},
           {"POOL", false},
           {"QUALIFY", false},
           {"SESSIONS", true}}}},
        {"AGEDATE", {{{"type", "e", true, "YEAR DATE POR CAN.FNQ LUX"}, {"value", "d", false}}, {}}},
        // The nation of a facility "should be the same as" the meet's: a nation code.
        {"FACILITY",
         {{{"city", "s", true},
           {"nation", "e", true},
           {"name", "s", false},
           {"state", "s", false},
           {"street", "s", false},
           {"street2", "s", false},
           {"zip", "s", false}},
          {}}},
        {"POOL",
         {{{"lanemax", "n", false},
           {"lanemin", "n", false},
           {"temperature", "n", false},
           {"type", "e", false, "INDOOR OUTDOOR LAKE OCEAN"}},
          {}}},
        {"SESSIONS", {{}, {{"SESSION", false}}}},
        {"SESSION",
         {{{"course", "e", false, kCourses},
           {"date", "d", true},
           {"daytime", "t", false},
           {"endtime", "t", false},
           {"maxentriesathlete", "n", false},
           {"maxentriesrelay", "n", false},
           {"name", "s", false},
           {"number", "n", true},
           {"officialmeeting", "t", false},
           {"remarksjudge", "s", false},
           {"teamleadermeeting", "t", false},
           {"timing", "e", false, kTiming},
           {"touchpadmode", "e", false, "ONESIDE BOTHSIDE"},
           {"warmupfrom", "t", false},
           {"warmupuntil", "t", false}},
          {{"EVENTS", true}, {"FEES", false}, {"JUDGES", false}, {"POOL", false}}}},
        {"EVENTS", {{}, {{"EVENT", false}}}},
        {"EVENT",
         {{{"daytime", "t", false},
           {"eventid", "n", true},
           {"gender", "e", false, "A M F X"},
           {"maxentries", "n", false},
           {"number", "n", true},
           {"order", "n", false},
           {"preveventid", "n", false},
           {"round", "e", false, "TIM FHT FIN SEM QUA PRE SOP SOS SOQ TIMETRIAL"},
           {"run", "n", false},
           {"timing", "e", false, kTiming},
           {"type", "s", false}},
          {{"AGEGROUPS", false}, {"FEE", false}, {"HEATS", false}, {"SWIMSTYLE", true}, {"TIMESTANDARDREFS", false}}}},
        {"SWIMSTYLE",
         {{{"code", "s", false},
           {"distance", "n", true},
           {"name", "s", false},
           {"relaycount", "n", true},
           {"stroke", "e", true, kStrokes},
           {"swimstyleid", "n", false},
           {"technique", "e", false, "DIVE GLIDE KICK PULL START TURN"}},
          {}}},
        // What an organiser's meet holds in its events (written back as it was taken).
        {"AGEGROUPS", {{}, {{"AGEGROUP", false}}}},
        {"AGEGROUP",
         {{{"agegroupid", "n", true},
           {"agemax", "n", true},
           {"agemin", "n", true},
           {"calculate", "e", false, "SINGLE TOTAL"},
           {"gender", "e", false, "A M F X"},
           {"handicap", "s", false},
           {"levelmax", "s", false},
           {"levelmin", "s", false},
           {"levels", "s", false},
           {"name", "s", false}},
          {{"RANKINGS", false}}}},
        {"FEE", {{{"currency", "s", false}, {"type", "s", false}, {"value", "n", false}}, {}}},
        {"TIMESTANDARDREFS", {{}, {{"TIMESTANDARDREF", false}}}},
        {"TIMESTANDARDREF", {{{"marker", "s", false}, {"timestandardlistid", "n", true}}, {{"FEE", false}}}},
        {"HEATS", {{}, {{"HEAT", false}}}},
        {"HEAT",
         {{{"agegroupid", "n", false},
           {"daytime", "t", false},
           {"final", "e", false, "A B C D"},
           {"heatid", "n", true},
           {"number", "n", true},
           {"order", "n", false},
           {"status", "e", false, "SCHEDULED SEEDED INOFFICIAL OFFICIAL"}},
          {}}},
        {"CLUBS", {{}, {{"CLUB", false}}}},
        {"CLUB",
         {{{"code", "s", false},
           {"name", "s", true},
           {"name.en", "si", false},
           {"nation", "e", false},
           {"number", "n", false},
           {"region", "s", false},
           {"shortname", "s", false},
           {"shortname.en", "si", false},
           {"swrid", "n", false},
           {"type", "e", false, "CLUB NATIONALTEAM REGIONALTEAM UNATTACHED"}},
          {{"ATHLETES", false}, {"CONTACT", false}, {"OFFICIALS", false}, {"RELAYS", false}}}},
        {"ATHLETES", {{}, {{"ATHLETE", false}}}},
        {"ATHLETE",
         {{{"athleteid", "n", true},
           {"birthdate", "d", true},
           {"firstname", "s", true},
           {"firstname.en", "si", false},
           {"gender", "e", true, "M F"},
           {"lastname", "s", true},
           {"lastname.en", "si", false},
           {"level", "s", false},
           {"license", "s", false},
           {"license_ipc", "n", false},
           {"nameprefix", "s", false},
           {"nation", "e", false},
           {"passport", "s", false},
           {"status", "e", false, "EXHIBITION FOREIGNER ROOKIE"},
           {"swrid", "n", false}},
          {{"ENTRIES", false}, {"HANDICAP", false}, {"RESULTS", false}}}},
        {"ENTRIES", {{}, {{"ENTRY", false}}}},
        {"ENTRY",
         {{{"agegroupid", "n", false},
           {"entrycourse", "e", false, kCourses},
           {"entrydistance", "n", false},
           {"entrytime", "st", false},
           {"eventid", "n", true},
           {"handicap", "s", false},
           {"heatid", "n", false},
           {"lane", "n", false},
           {"status", "e", false, "EXH RJC SICK WDR"}},
          {{"MEETINFO", false}, {"RELAYPOSITIONS", false}}}},
        {"RESULTS", {{}, {{"RESULT", false}}}},
        {"RESULT",
         {{{"comment", "s", false},
           {"eventid", "n", false},
           {"handicap", "s", false},
           {"heatid", "n", false},
           {"lane", "n", false},
           {"points", "n", false},
           {"reactiontime", "rt", false},
           {"resultid", "n", true},
           {"status", "e", false, "EXH DSQ DNS DNF SICK WDR"},
           {"swimdistance", "n", false},
           {"swimtime", "st", true}},
          {{"RELAYPOSITIONS", false}, {"SPLITS", false}}}},
        {"SPLITS", {{}, {{"SPLIT", false}}}},
        {"SPLIT", {{{"distance", "n", true}, {"swimtime", "st", true}}, {}}},
        {"RELAYS", {{}, {{"RELAY", false}}}},
        {"RELAY",
         {{{"agemax", "n", true},
           {"agemin", "n", true},
           {"agetotalmax", "n", true},
           {"agetotalmin", "n", true},
           {"gender", "e", true, "M F X"},
           {"handicap", "s", false},
           {"name", "s", false},
           {"number", "n", false}},
          {{"ENTRIES", false}, {"RESULTS", false}}}},
        {"RELAYPOSITIONS", {{}, {{"RELAYPOSITION", false}}}},
        {"RELAYPOSITION",
         {{{"athleteid", "n", false}, {"number", "n", true}, {"reactiontime", "rt", false}, {"status", "e", false, "DSQ DNF"}},
          {{"MEETINFO", false}}}},
        {"MEETINFO",
         {{{"approved", "s", false},
           {"city", "s", true},
           {"course", "e", false, kCourses},
           {"date", "d", true},
           {"daytime", "t", false},
           {"name", "s", false},
           {"nation", "e", true},
           {"qualificationtime", "st", false},
           {"state", "s", false},
           {"timing", "e", false, kTiming}},
          {}}},
    };
    return e;
}

bool digitsAt(const std::string& v, std::size_t at, std::size_t n)
{
    for (std::size_t i = at; i < at + n; ++i)
        if (i >= v.size() || v[i] < '0' || v[i] > '9') return false;
    return true;
}

bool isNumber(const std::string& v)
{
    if (v.empty() || v == "-") return false;
    for (std::size_t i = v[0] == '-' ? 1 : 0; i < v.size(); ++i)
        if (v[i] < '0' || v[i] > '9') return false;
    if (v.size() > 11) return false;
    const long long n = std::atoll(v.c_str());
    return n >= -2147483648LL && n <= 2147483647LL;
}

bool isDate(const std::string& v)
{
    if (v.size() != 10 || !digitsAt(v, 0, 4) || v[4] != '-' || !digitsAt(v, 5, 2) || v[7] != '-' || !digitsAt(v, 8, 2))
        return false;
    const int y = std::atoi(v.substr(0, 4).c_str()), m = std::atoi(v.substr(5, 2).c_str()), d = std::atoi(v.substr(8, 2).c_str());
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1 || d > days[m - 1]) return false;
    return !(m == 2 && d == 29 && !(y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)));
}

bool isSwimTime(const std::string& v)
{
    if (v == "NT") return true;
    return v.size() == 11 && digitsAt(v, 0, 2) && v[2] == ':' && digitsAt(v, 3, 2) && v[5] == ':' && digitsAt(v, 6, 2) &&
           v[8] == '.' && digitsAt(v, 9, 2) && v.substr(3, 2) < "60" && v.substr(6, 2) < "60";
}

bool inList(const std::string& v, const char* list)
{
    const std::string all = std::string(" ") + list + " ";
    return !v.empty() && v.find(' ') == std::string::npos && all.find(" " + v + " ") != std::string::npos;
}

std::string typeFault(const Attribute& a, const std::string& v)
{
    const std::string t = a.type;
    if (t == "si") {
        for (unsigned char c : v)
            if (c < 32 || c > 127) return "ASCII 32..127 以外の文字: " + v;
    } else if (t == "n" || t == "c") {
        if (!isNumber(v)) return "数でない: " + v;
    } else if (t == "d") {
        if (!isDate(v)) return "日付でない: " + v;
    } else if (t == "t") {
        if (!(v.size() == 5 && digitsAt(v, 0, 2) && v[2] == ':' && digitsAt(v, 3, 2) && v.substr(0, 2) <= "24" &&
              v.substr(3, 2) < "60"))
            return "時刻でない: " + v;
    } else if (t == "st") {
        if (!isSwimTime(v)) return "泳タイムでない: " + v;
    } else if (t == "e") {
        if (!inList(v, a.values ? a.values : kNations)) return "列挙にない値: " + v;
    } else if (t == "rt") {
        if (!(v.empty() || v == "0" || ((v[0] == '+' || v[0] == '-') && v.size() > 1 && digitsAt(v, 1, v.size() - 1))))
            return "反応時間でない: " + v;
    }
    return {};
}

class Checker {
public:
    std::vector<std::string> faults;

    void element(const pugi::xml_node& n, const std::string& path, bool inMeet, const std::string& parent)
    {
        const std::string name = n.name();
        auto it = elements().find(name);
        if (it == elements().end()) {
            add(path, "知らない要素");
            return;
        }
        const Element& spec = it->second;
        for (pugi::xml_attribute a : n.attributes()) {
            const Attribute* as = nullptr;
            for (const Attribute& x : spec.attributes)
                if (a.name() == std::string(x.name)) as = &x;
            if (!as) {
                add(path, std::string("知らない属性 ") + a.name());
                continue;
            }
            if (const std::string f = typeFault(*as, a.value()); !f.empty()) add(path, std::string("@") + a.name() + " " + f);
        }
        for (const Attribute& x : spec.attributes) {
            bool required = x.required;
            if (name == "CLUB" && std::string(x.name) == "name" && std::string(n.attribute("type").value()) == "UNATTACHED")
                required = false;
            if ((name == "RELAY" || (name == "ATHLETE" && std::string(x.name) == "athleteid")) && !inMeet) required = false;
            if (name == "CONTACT" && std::string(x.name) == "email") required = parent == "CONSTRUCTOR";
            if (name == "SWIMSTYLE" && std::string(n.attribute("stroke").value()) == "UNKNOWN" &&
                (std::string(x.name) == "name" || std::string(x.name) == "swimstyleid"))
                required = true;
            if (required && !n.attribute(x.name)) add(path, std::string("必須の属性 ") + x.name + " がない");
        }
        if (name == "MEET" && !n.attribute("course"))
            for (pugi::xml_node s : n.child("SESSIONS").children("SESSION"))
                if (!s.attribute("course")) add(path, "MEET にも SESSION にも course がない");
        std::map<std::string, int> seen;
        for (pugi::xml_node c : n.children()) {
            if (c.type() != pugi::node_element) continue;
            const std::string cn = c.name();
            const std::string cpath = path + "/" + cn + "[" + std::to_string(++seen[cn]) + "]";
            bool allowed = false;
            for (const auto& [child, req] : spec.children) allowed = allowed || cn == child;
            if (!allowed) {
                add(cpath, name + " の中に置けない要素");
                continue;
            }
            element(c, cpath, inMeet || name == "MEET", name);
        }
        for (const auto& [child, req] : spec.children) {
            const bool isCollection = spec.attributes.empty() && spec.children.size() == 1;
            if (req && !n.child(child)) add(path, std::string("必須の要素 ") + child + " がない");
            if (!isCollection && !req && seen[child] > 1) add(path, std::string(child) + " が2つ以上ある");
        }
    }

    void references(const pugi::xml_node& meet, const std::string& path)
    {
        std::set<std::string> events, athletes, heats, results;
        auto unique = [&](std::set<std::string>& ids, const pugi::xml_node& n, const char* attribute) {
            if (!n.attribute(attribute)) return;
            if (!ids.insert(n.attribute(attribute).value()).second)
                add(path, std::string(attribute) + " が重複: " + n.attribute(attribute).value());
        };
        for (const auto& x : meet.select_nodes(".//EVENT")) unique(events, x.node(), "eventid");
        for (const auto& x : meet.select_nodes(".//HEAT")) unique(heats, x.node(), "heatid");
        for (const auto& x : meet.select_nodes(".//ATHLETE")) unique(athletes, x.node(), "athleteid");
        for (const auto& x : meet.select_nodes(".//RESULT")) unique(results, x.node(), "resultid");
        for (const char* kind : {".//ENTRY", ".//RESULT"})
            for (const auto& x : meet.select_nodes(kind)) {
                const pugi::xml_node n = x.node();
                if (n.attribute("eventid") && !events.count(n.attribute("eventid").value()))
                    add(path, std::string(n.name()) + " の eventid に EVENT がない: " + n.attribute("eventid").value());
                if (n.attribute("heatid") && !heats.count(n.attribute("heatid").value()))
                    add(path, std::string(n.name()) + " の heatid に HEAT がない: " + n.attribute("heatid").value());
            }
        for (const auto& x : meet.select_nodes(".//RELAYPOSITION")) {
            const pugi::xml_node n = x.node();
            if (n.attribute("athleteid") && !athletes.count(n.attribute("athleteid").value()))
                add(path, std::string("RELAYPOSITION の athleteid に ATHLETE がない: ") + n.attribute("athleteid").value());
        }
    }

private:
    void add(const std::string& path, const std::string& what) { faults.push_back(path + ": " + what); }
};

} // namespace

std::vector<std::string> lenexFaults(std::string_view xml)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size());
    if (!r) return {std::string("XML でない: ") + r.description()};
    Checker c;
    pugi::xml_node root = doc.document_element();
    if (std::string(root.name()) != "LENEX") return {"根が LENEX でない"};
    c.element(root, "/LENEX", false, "");
    int i = 0;
    for (pugi::xml_node meet : root.child("MEETS").children("MEET"))
        c.references(meet, "/LENEX/MEETS/MEET[" + std::to_string(++i) + "]");
    return c.faults;
}

} // namespace tolvtest
