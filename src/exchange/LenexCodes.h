#pragma once
// What Lenex 3.0 (the swimming data-exchange XML) and the entry file share: the swim style of each
// standard event slot, swim times and dates.
//
// Lenex names a relay by the distance of one leg and the number of legs (4 x 50 m = distance 50,
// relaycount 4); the event table here names it by the whole distance ("200mリレー"), so the relay
// slots 22..28 are 4 x 25, 4 x 50, 4 x 100 (medley) and 4 x 25 … 4 x 200 (freestyle).
// Swim times are "HH:MM:SS.hh" or "NT" (no time); dates "YYYY-MM-DD".
#include "storage/Records.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolv::lenex {

struct SwimStyle {
    int distance = 0;           // metres per swimmer
    int relaycount = 1;         // 1 individual, 4 relay
    std::string stroke;         // FREE, BACK, BREAST, FLY, MEDLEY (UNKNOWN for reserve events of no stroke)
    std::string technique = {}; // empty for the whole stroke, else KICK, PULL, …
};

// The style of a standard slot 0..28; nothing for other slots.
std::optional<SwimStyle> styleOfSlot(int slot);
// The standard slot of a style; nothing when the entry file has no such event.
std::optional<int> slotOfStyle(const std::string& stroke, int distance, int relaycount);

// Times from and to the coded value minutes x 10000 + seconds x 100 + hundredths. Values at or
// above 60 minutes are the result marks ("参加", "棄権", …) and are written "NT", like negative ones.
constexpr std::int32_t kFirstMarkValue = 600000;
std::string swimTime(std::int32_t value);
// The coded value of "HH:MM:SS.hh"; nothing when the text has another form, seconds or minutes of
// 60 and more, or a whole time of 60 minutes or more (which the entry file cannot hold).
std::optional<std::int32_t> codedTime(const std::string& text);

// "yyyy/mm/dd" and YYYYMMDD to "YYYY-MM-DD" (empty when not a calendar date), and back.
std::string isoDate(std::int32_t yyyymmdd);
std::int32_t dateOfIso(const std::string& text); // 0 when not a calendar date

// A stored text field as attribute text: padding blanks dropped, control characters (which XML 1.0
// cannot carry) turned into blanks.
std::string clean(std::string field);

// A reserve event (0..14) as the SWIMSTYLE name carries it: category, a blank and the event name,
// or "(i)" when both are empty. The reader matches reserve events by this name and their code.
std::string reserveStyleName(const ReserveEvents& reserve, int i);
// The swim style a reserve event's name states ("25mバタフライキック": 25 m FLY KICK, "200mメドレー
// リレー": 4 x 50 m MEDLEY): nothing when it states no distance or neither a stroke nor a technique.
std::optional<SwimStyle> styleOfReserve(const ReserveEvents& reserve, int i);

} // namespace tolv::lenex
