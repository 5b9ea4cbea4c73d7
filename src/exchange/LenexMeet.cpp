#include "exchange/LenexMeet.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace tolv::lenex {
namespace {

constexpr int kMaxKeptDepth = 9;

bool skipped(const char* name)
{
    return std::strcmp(name, "CLUBS") == 0 || std::strcmp(name, "HEATS") == 0 || std::strcmp(name, "RANKINGS") == 0;
}

void flatten(const pugi::xml_node& n, int depth, std::vector<MeetElement>& out)
{
    MeetElement e{depth, n.name(), {}};
    for (pugi::xml_attribute a : n.attributes()) e.attributes.emplace_back(a.name(), a.value());
    out.push_back(std::move(e));
    if (depth == kMaxKeptDepth) return;
    for (pugi::xml_node c : n.children())
        if (c.type() == pugi::node_element && !skipped(c.name())) flatten(c, depth + 1, out);
}

int attributeInt(const pugi::xml_node& n, const char* name) { return n.attribute(name).as_int(-1); }

bool admits(const std::string& eventGender, const std::string& who, bool relay)
{
    if (eventGender.empty() || eventGender == "A") return true;
    if (eventGender == "X") return who == "X" || !relay;
    return eventGender == who;
}

bool holds(const AgeGroup& g, const Entrant& who, bool relay)
{
    if (g.handicap) return false;
    if (!g.gender.empty() && g.gender != "A" && !admits(g.gender, who.gender, relay)) return false;
    if (g.min < 0 && g.max < 0) return true;
    if (who.ages.empty()) return false;
    auto within = [&](int age) { return (g.min < 0 || age >= g.min) && (g.max < 0 || age <= g.max); };
    if (g.total) return within(std::accumulate(who.ages.begin(), who.ages.end(), 0));
    return std::all_of(who.ages.begin(), who.ages.end(), within);
}

} // namespace

std::vector<MeetElement> meetElements(const pugi::xml_node& meet)
{
    std::vector<MeetElement> out;
    flatten(meet, 0, out);
    return out;
}

pugi::xml_node appendMeet(pugi::xml_node parent, const std::vector<MeetElement>& meet)
{
    std::vector<pugi::xml_node> open{parent};
    pugi::xml_node first;
    for (const MeetElement& e : meet) {
        if (e.depth + 1 > static_cast<int>(open.size())) continue; // no parent kept for it
        open.resize(static_cast<std::size_t>(e.depth) + 1);
        pugi::xml_node n = open.back().append_child(e.name.c_str());
        for (const auto& [key, value] : e.attributes) n.append_attribute(key.c_str()) = value.c_str();
        open.push_back(n);
        if (!first) first = n;
    }
    return first;
}

std::vector<OrganiserEvent> entryEvents(const pugi::xml_node& meet)
{
    std::vector<OrganiserEvent> out;
    for (pugi::xml_node session : meet.child("SESSIONS").children("SESSION"))
        for (pugi::xml_node ev : session.child("EVENTS").children("EVENT")) {
            const std::string previous = ev.attribute("preveventid").value();
            if (!previous.empty() && previous != "-1") continue;
            const std::string round = ev.attribute("round").value();
            const bool firstRound = round.empty() || round == "TIM" || round == "PRE";
            if (!firstRound && round != "FIN" && round != "SEM" && round != "QUA") continue;
            pugi::xml_node style = ev.child("SWIMSTYLE");
            if (!ev.attribute("eventid") || !style) continue;
            OrganiserEvent e;
            e.eventid = ev.attribute("eventid").value();
            e.gender = ev.attribute("gender").value();
            e.style = SwimStyle{attributeInt(style, "distance"), attributeInt(style, "relaycount"),
                                style.attribute("stroke").value(), style.attribute("technique").value()};
            for (pugi::xml_node g : ev.child("AGEGROUPS").children("AGEGROUP"))
                e.ages.push_back(AgeGroup{attributeInt(g, "agemin"), attributeInt(g, "agemax"),
                                          std::string(g.attribute("calculate").value()) == "TOTAL", g.attribute("gender").value(),
                                          *g.attribute("handicap").value() != 0});
            e.firstRound = firstRound;
            out.push_back(std::move(e));
        }
    return out;
}

std::int32_t meetAgeDate(const pugi::xml_node& meet)
{
    std::int32_t first = 0;
    for (pugi::xml_node session : meet.child("SESSIONS").children("SESSION")) {
        const std::int32_t d = dateOfIso(session.attribute("date").value());
        if (d != 0 && (first == 0 || d < first)) first = d;
    }
    pugi::xml_node age = meet.child("AGEDATE");
    const std::int32_t value = dateOfIso(age.attribute("value").value());
    if (age && std::string(age.attribute("type").value()) == "YEAR") {
        const std::int32_t year = value != 0 ? value / 10000 : first / 10000;
        return year != 0 ? year * 10000 + 1231 : 0;
    }
    if (age && value != 0) return value;
    return first != 0 ? first / 10000 * 10000 + 1231 : 0;
}

int ageOnDate(std::int32_t birth, std::int32_t ageDate)
{
    return ageDate / 10000 - birth / 10000 - (ageDate % 10000 < birth % 10000 ? 1 : 0);
}

std::vector<const OrganiserEvent*> matchingEvents(const std::vector<OrganiserEvent>& events, const SwimStyle& style,
                                                  const Entrant& who)
{
    std::vector<const OrganiserEvent*> out;
    const bool relay = style.relaycount > 1;
    // The first rounds; finals no event leads to only where no first round matches.
    for (const bool firstRound : {true, false}) {
        for (const OrganiserEvent& e : events) {
            if (e.firstRound != firstRound || e.style.distance != style.distance || e.style.relaycount != style.relaycount ||
                e.style.stroke != style.stroke || e.style.technique != style.technique)
                continue;
            if (!admits(e.gender, who.gender, relay)) continue;
            if (!e.ages.empty() &&
                std::none_of(e.ages.begin(), e.ages.end(), [&](const AgeGroup& g) { return holds(g, who, relay); }))
                continue;
            out.push_back(&e);
        }
        if (!out.empty()) break;
    }
    return out;
}

} // namespace tolv::lenex
