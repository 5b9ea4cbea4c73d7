#pragma once
// The organiser's meet: the MEET of a Lenex file (an invitation, or an entries or results file)
// with its sessions and events, kept for an entry file in its Lenex memory, so that the export
// writes that meet back as it was and enters every swimmer against the organiser's own events.
//
// An entry goes to the event that takes entries with the slot's swim style (stroke, distance,
// relay count, technique), a gender that admits the swimmer or team (M, F; X mixed relays, and
// individual events open to both; A or none: everyone) and an age group that holds the swimmer's
// age on the meet's age date (each swimmer's age, or the team's total for groups calculated TOTAL;
// -1 is open; groups of a handicap class hold no one, as the entry file has no classes). Events
// that take entries: timed finals and prelims (round TIM, PRE or none); only where none of those
// matches, finals, semi-finals and quarter-finals that no other event leads to (no preveventid).
// Fastest heats, swim-offs, time trials and re-swims are never entered. A slot that matches no
// event, or more than one, is not entered.
#include "exchange/LenexCodes.h"
#include "exchange/LenexMemory.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace tolv::lenex {

// The MEET element and what it holds, but clubs, heats and rankings (what athletes did, not how
// the meet is set out), in document order; elements deeper than nine levels are left out.
std::vector<MeetElement> meetElements(const pugi::xml_node& meet);
// The kept meet appended under `parent` as it was; its MEET node.
pugi::xml_node appendMeet(pugi::xml_node parent, const std::vector<MeetElement>& meet);

struct AgeGroup {
    int min = -1; // -1: open
    int max = -1;
    bool total = false; // a relay's ages summed
    std::string gender;
    bool handicap = false; // a handicap class's group
};

struct OrganiserEvent {
    std::string eventid;
    std::string gender; // M, F, X, A or empty
    SwimStyle style;
    std::vector<AgeGroup> ages; // none: every age
    bool firstRound = true;     // TIM, PRE or none; else a final round no event leads to
};

// The events of the meet that take entries, in document order.
std::vector<OrganiserEvent> entryEvents(const pugi::xml_node& meet);
// The meet's age date (YYYYMMDD): AGEDATE of type YEAR counts years (the last day of its year),
// other types give their date; without one, the last day of the first session's year. 0 when
// the meet has neither.
std::int32_t meetAgeDate(const pugi::xml_node& meet);
// Age in whole years on `ageDate` (both YYYYMMDD).
int ageOnDate(std::int32_t birth, std::int32_t ageDate);

// Who is entered: "M"/"F" for an athlete, "M"/"F"/"X" for a relay; the ages of the swimmers
// (empty when not known).
struct Entrant {
    std::string gender;
    std::vector<int> ages;
};
// The events an entry of `style` by `who` may go to.
std::vector<const OrganiserEvent*> matchingEvents(const std::vector<OrganiserEvent>& events, const SwimStyle& style,
                                                  const Entrant& who);

} // namespace tolv::lenex
