#include "storage/SwimmerBirth.h"

#include "storage/Codes.h"

namespace tolv {

std::string birthPart(const SwimmerRecord& s) { return SwimmerRecord::kQBangoBirth.of(s.padded(SwimmerRecord::kQBango)); }

std::optional<std::int32_t> strictBirth(const SwimmerRecord& s)
{
    std::string part = birthPart(s);
    std::size_t b = part.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    std::size_t e = part.find_last_not_of(' ');
    std::int32_t value = 0;
    for (std::size_t i = b; i <= e; ++i) {
        if (part[i] < '0' || part[i] > '9') return std::nullopt;
        value = value * 10 + (part[i] - '0'); // at most eight digits: no overflow
    }
    return value;
}

std::int32_t lenientBirth(const SwimmerRecord& s) { return static_cast<std::int32_t>(numericValue(birthPart(s))); }

void rewriteAgeOf(SwimmerRecord& s, const std::string& kijunBi)
{
    // Without any birth date the age would come out as the reference year itself; the typed
    // age is the better value then.
    const std::int32_t birth = lenientBirth(s);
    if (birth != 0) s.setNenrei(static_cast<std::int16_t>(ageOn(birth, kijunBi)));
}

} // namespace tolv
