#pragma once
// The entry window's rules for the header fields, shared with `tolv set-header`.
#include "storage/Records.h"

#include <string>

namespace tolv {

enum class HeaderDate { First, Last, Reference };

// Stores a typed date: exactly eight digits yyyymmdd forming a calendar date become "yyyy/mm/dd";
// the first day also sets the ten competition days (first day + 0 … 9 days, as YYYYMMDD).
// Anything else leaves the header unchanged and returns false.
bool setHeaderDate(EntryHeader& header, HeaderDate which, const std::string& typed);

} // namespace tolv
