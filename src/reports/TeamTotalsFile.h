#pragma once
// The team totals file: <entry base name>.zed beside the entry file, 384-byte records, written by
// the tally and edited by the lists window (fee names, prices, quantities, amounts received).
//
// Record 1, the control record
//     0  i16         team count N
//     2  12 x 15     fee item names, items 0..14
//   182  i32 x 15    unit price of each fee item (yen)
//   242  i16 x 28    four groups of seven counters, kept as stored
//   298  86          filler, kept as stored
// Records 2..10 are unused. Team n (1 <= n <= N) is record n + 10:
//     0  5   team key            81  26  address line 1        176  i16 x 44 x 2  entries per slot
//     5  34  team name          107  26  address line 2                          [men, women]
//    39  12  short name         133  13  telephone             352  i32  amount received
//    51  6   scoreboard name    146  i16 x 15  quantity per     356  i16 x 4 x 2  reserved, 0
//    57  16  representative          fee item                  372  1    current-month flag
//    73  8   postal code                                        373  11   unused (NUL)
// Texts are CP932, left-justified and blank-padded; integers little-endian.
#include "platform/FileLock.h"
#include "storage/FixedRecord.h"
#include "storage/RecordFile.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace tolv {

constexpr std::size_t kZedRecordLength = 384;
constexpr int kFeeItems = 15;
constexpr int kZedCounters = 28;

class ZedControlRecord : public FixedRecord<kZedRecordLength> {
public:
    enum : std::size_t { kTeamCount = 0, kFeeNames = 2, kPrices = 182, kCounters = 242, kFiller = 298 };
    static constexpr std::size_t kFeeNameWidth = 12;

    std::int16_t teamCount() const { return i16(kTeamCount); }
    void setTeamCount(std::int16_t n) { setI16(kTeamCount, n); }
    std::string feeName(int k) const { return text(kFeeNames + kFeeNameWidth * std::size_t(k), kFeeNameWidth); }
    // Stores the name cut to the field (a longer edit keeps its first 12 bytes).
    void setFeeName(int k, const std::string& v) { setText(kFeeNames + kFeeNameWidth * std::size_t(k), kFeeNameWidth, v); }
    std::int32_t price(int k) const { return i32(kPrices + 4 * std::size_t(k)); }
    void setPrice(int k, std::int32_t v) { setI32(kPrices + 4 * std::size_t(k), v); }
    std::int16_t counter(int i) const { return i16(kCounters + 2 * std::size_t(i)); }
    void setCounter(int i, std::int16_t v) { setI16(kCounters + 2 * std::size_t(i), v); }

    // The control record of a new file: no teams, blank names, prices and counters 0.
    static ZedControlRecord fresh();
};

class TeamTotalRecord : public FixedRecord<kZedRecordLength> {
public:
    enum : std::size_t {
        kKey = 0, kName = 5, kShortName = 39, kScoreboard = 51, kRepresentative = 57, kPostal = 73,
        kAddress1 = 81, kAddress2 = 107, kPhone = 133, kQuantities = 146, kEntries = 176,
        kReceived = 352, kReserved = 356, kMonthFlag = 372
    };
    enum Side { Men = 0, Women = 1 };

    std::string key() const { return text(kKey, 5); }
    std::string keyBytes() const { return std::string(raw(kKey, 5)); }
    void setKeyBytes(const std::string& cp932) { setTextBytes(kKey, 5, cp932); }
    std::string name() const { return text(kName, 34); }
    void setName(const std::string& v) { setText(kName, 34, v); }
    std::string shortName() const { return text(kShortName, 12); }
    void setShortName(const std::string& v) { setText(kShortName, 12, v); }
    std::string scoreboard() const { return text(kScoreboard, 6); }
    void setScoreboard(const std::string& v) { setText(kScoreboard, 6, v); }
    std::string representative() const { return text(kRepresentative, 16); }
    void setRepresentative(const std::string& v) { setText(kRepresentative, 16, v); }
    std::string postal() const { return text(kPostal, 8); }
    void setPostal(const std::string& v) { setText(kPostal, 8, v); }
    std::string address1() const { return text(kAddress1, 26); }
    void setAddress1(const std::string& v) { setText(kAddress1, 26, v); }
    std::string address2() const { return text(kAddress2, 26); }
    void setAddress2(const std::string& v) { setText(kAddress2, 26, v); }
    std::string phone() const { return text(kPhone, 13); }
    void setPhone(const std::string& v) { setText(kPhone, 13, v); }
    std::int16_t quantity(int k) const { return i16(kQuantities + 2 * std::size_t(k)); }
    void setQuantity(int k, std::int16_t v) { setI16(kQuantities + 2 * std::size_t(k), v); }
    std::int16_t entries(int slot, Side side) const { return i16(entriesOffset(slot, side)); }
    void setEntries(int slot, Side side, std::int16_t v) { setI16(entriesOffset(slot, side), v); }
    std::int32_t received() const { return i32(kReceived); }
    void setReceived(std::int32_t v) { setI32(kReceived, v); }
    std::string monthFlag() const { return text(kMonthFlag, 1); }
    void setMonthFlag(const std::string& v) { setText(kMonthFlag, 1, v); }

    // A cleared team: every text blank, every number 0, the flag blank; the unused tail NUL.
    static TeamTotalRecord cleared();

private:
    static std::size_t entriesOffset(int slot, Side side) { return kEntries + 4 * std::size_t(slot) + 2 * std::size_t(side); }
};

// The totals file of an entry file: same folder, the name up to its first "." plus ".zed".
std::filesystem::path teamTotalsPath(const std::filesystem::path& entryFile);

// The file with its control record and one current team, as the lists window and the readers of
// other subsystems use it. Every write goes straight to disk.
class TeamTotalsFile {
public:
    // Write: read-write under the file's exclusive lock (the tally is refused meanwhile), created
    // when missing. Read: read-only under a shared lock; a missing, empty or damaged file is refused,
    // so a list is never printed from a file the tally did not finish.
    enum class Access { Write, Read };

    TeamTotalsFile() = default;
    TeamTotalsFile(const TeamTotalsFile&) = delete;
    TeamTotalsFile& operator=(const TeamTotalsFile&) = delete;

    // Closes an open file and opens `path` (created when missing). A file shorter than 11 bytes is
    // new: its control record is written fresh. Otherwise the control record is loaded; a team
    // count that is negative or beyond the records present is refused.
    void open(const std::filesystem::path& path, Access access = Access::Write);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    const std::filesystem::path& path() const { return file_.path(); }

    int teamCount() const { return control_.teamCount(); }
    ZedControlRecord& control() { return control_; }
    const ZedControlRecord& control() const { return control_; }
    TeamTotalRecord& team() { return team_; }
    const TeamTotalRecord& team() const { return team_; }

    // n != 0 loads the control record and team record n; n == 0 clears the current team.
    void readTeam(int n);
    // Writes the current team as record n + 10, then the control record.
    void writeTeam(int n);
    void writeControl();
    void clearTeam() { team_ = TeamTotalRecord::cleared(); }

    // Reads team n without touching the current team (for reports over all teams).
    TeamTotalRecord teamAt(int n) const;

private:
    FileLock lock_;
    Access access_ = Access::Write;
    RecordFile file_;
    ZedControlRecord control_;
    TeamTotalRecord team_ = TeamTotalRecord::cleared();
};

} // namespace tolv
