#include "storage/HeaderEdit.h"

#include "platform/Clock.h"
#include "storage/Codes.h"

#include <algorithm>
#include <cctype>

namespace tolv {

bool setHeaderDate(EntryHeader& header, HeaderDate which, const std::string& typed)
{
    if (typed.size() != 8 || !std::all_of(typed.begin(), typed.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    int number = std::stoi(typed);
    if (!isValidDate(number)) return false;
    auto text = dateFromEightDigits(typed);
    if (!text) return false;
    switch (which) {
    case HeaderDate::First:
        header.setStBi(*text);
        for (int i = 0; i < kCompetitionDays; ++i) header.setDay(i, addDays(number, i));
        break;
    case HeaderDate::Last: header.setEnBi(*text); break;
    case HeaderDate::Reference: header.setKijunBi(*text); break;
    }
    return true;
}

} // namespace tolv
