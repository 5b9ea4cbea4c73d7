#pragma once
// The values of the entry header's organising-body option (EntryHeader::botai) that change how
// teams are formed.

namespace tolv {

// The teams are the prefectures ("県"): a swimmer's team is the prefecture of the old number.
constexpr int kBotaiPrefecture = 1;

} // namespace tolv
