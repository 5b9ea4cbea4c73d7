#pragma once
// Start lists for a Seiko timing system: individual entries appended to csvcomp.csv (37 columns)
// and relay entries to csvteam.csv (10 columns) in the transfer folder, without quotes. Each file
// gets its header (the items of the template SeikoInd.csv / SeikoRly.csv in the control folder,
// joined by commas) only while it is empty, so the files of many teams can be appended one after
// another; the running numbers continue from counters the caller keeps.
#include "storage/Codes.h"
#include "storage/Records.h"

#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tolv::timing {

enum class ClassBy { Open, Age, Grade };

// One class row: a value v belongs to it when from <= v <= to. A row with an empty bound applies
// to nothing.
struct ClassRow {
    std::string from;
    std::string to;
};

constexpr int kClassRows = 10;
constexpr int kEventsPerLine = 10;

struct SeikoOptions {
    bool everyone = true;                      // "全員"; false = "種目選択"
    std::array<bool, kStandardSlots> events{}; // the ticked events of "種目選択"
    ClassBy classBy = ClassBy::Open;
    std::array<ClassRow, kClassRows> classes{{{"1", "100"}}};
    bool prefectureTeams = false; // organising body "県": teams are prefectures
};

// The six-character code of a standard event slot 0..28 ("10025" … "60800").
std::string seikoEventCode(int slot);
// A stored time as "mmss.cc"; 666666 (参加) is written as 5959.99.
std::string seikoTimeText(std::int32_t value);
// The class "01" … "10" of a swimmer, or "" when no row applies.
std::string seikoClass(const SwimmerRecord& s, const SeikoOptions& o);

// A swimmer's individual events beyond the ten a line holds.
struct LostEvents {
    int swimmer = 0; // 1-based position in the file
    std::string name;
    std::vector<int> eventSlots;
};

struct SeikoLines {
    std::vector<std::string> lines; // UTF-8, without line ends
    std::vector<LostEvents> lost;
};

// The lines of every swimmer, numbered from counter + 1.
SeikoLines seikoIndividualLines(const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o, int counter);
SeikoLines seikoRelayLines(const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o, int counter);

struct SeikoAppend {
    std::filesystem::path file;
    int written = 0;     // lines appended now
    int counter = 0;     // the counter after them
    bool header = false; // the header was written (the file was empty)
    std::vector<LostEvents> lost;
};

// Appends to csvcomp.csv / csvteam.csv in `transfer`, the header from the template in `ctl` when the
// file is empty (the shipped template is installed there when the folder has none).
// The file is rewritten whole: a failure leaves it as it was.
SeikoAppend appendSeikoIndividuals(const std::filesystem::path& transfer, const std::filesystem::path& ctl,
                                   const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o, int counter);
SeikoAppend appendSeikoRelays(const std::filesystem::path& transfer, const std::filesystem::path& ctl,
                              const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o, int counter);
// Both at once, written as one set through the export journal: both files change or neither.
std::pair<SeikoAppend, SeikoAppend> appendSeikoBoth(const std::filesystem::path& transfer, const std::filesystem::path& ctl,
                                                    const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o,
                                                    int individualCounter, int relayCounter);

} // namespace tolv::timing
