#pragma once
// The birth date coded in a swimmer's old registration number, and the age it gives on the
// reference date.
#include "storage/Records.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolv {

// Old number characters 6-13: the birth date as eight digits YYYYMMDD.
std::string birthPart(const SwimmerRecord& s);
// The birth date as a whole number, or nothing when the part is blank or holds anything but digits
// (surrounding blanks allowed).
std::optional<std::int32_t> strictBirth(const SwimmerRecord& s);
// The birth date read leniently: the leading number of the part, 0 when there is none.
std::int32_t lenientBirth(const SwimmerRecord& s);

// The age on the reference date (yyyy/mm/dd) from the birth date, set in the record; a record
// without any birth date keeps its typed age.
void rewriteAgeOf(SwimmerRecord& s, const std::string& kijunBi);

} // namespace tolv
