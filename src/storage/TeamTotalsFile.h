#pragma once
// The team totals file: <entry base name>.zed beside the entry file, a counted file of 384-byte
// records, written by the tally and edited by the lists window (fee names, prices, quantities,
// amounts received). Record 1 is the control record, records 2..10 are unused, and team n is data
// record n. Texts are CP932, left-justified and blank-padded; integers little-endian.
#include "platform/FileLock.h"
#include "storage/CountedRecordFile.h"
#include "storage/FieldLayout.h"
#include "storage/FixedRecord.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tolv {

constexpr std::size_t kZedRecordLength = 384;
constexpr int kFeeItems = 15;
constexpr int kZedCounters = 28;

class ZedControlRecord : public FixedRecord<kZedRecordLength> {
public:
    static constexpr Field kTeamCount{0, 2};                           // i16 team count N
    static constexpr Field kFeeNames = kTeamCount.next(12, kFeeItems); // fee item names 0..14
    static constexpr Field kPrices = kFeeNames.next(4, kFeeItems);     // i32 unit price of each item (yen)
    static constexpr Field kCounters = kPrices.next(2, kZedCounters);  // i16, four groups of seven, kept
    static constexpr Field kFiller = kCounters.next(86);               // kept as stored

    std::int16_t teamCount() const { return i16(kTeamCount.offset); }
    void setTeamCount(std::int16_t n) { setI16(kTeamCount.offset, n); }
    std::string feeName(int k) const { return text(kFeeNames.at(std::size_t(k))); }
    // Stores the name cut to the field (a longer edit keeps its first 12 bytes).
    void setFeeName(int k, const std::string& v) { setText(kFeeNames.at(std::size_t(k)), v); }
    std::int32_t price(int k) const { return i32(kPrices.at(std::size_t(k)).offset); }
    void setPrice(int k, std::int32_t v) { setI32(kPrices.at(std::size_t(k)).offset, v); }
    std::int16_t counter(int i) const { return i16(kCounters.at(std::size_t(i)).offset); }
    void setCounter(int i, std::int16_t v) { setI16(kCounters.at(std::size_t(i)).offset, v); }

    // The control record of a new file: no teams, blank names, prices and counters 0.
    static ZedControlRecord fresh();
};
static_assert(tilesRecord(std::array{ZedControlRecord::kTeamCount, ZedControlRecord::kFeeNames, ZedControlRecord::kPrices,
                                     ZedControlRecord::kCounters, ZedControlRecord::kFiller},
                          kZedRecordLength));

class TeamTotalRecord : public FixedRecord<kZedRecordLength> {
public:
    static constexpr int kSlots = 44;
    static constexpr Field kKey{0, 5}; // team key
    static constexpr Field kName = kKey.next(34);
    static constexpr Field kShortName = kName.next(12);
    static constexpr Field kScoreboard = kShortName.next(6);
    static constexpr Field kRepresentative = kScoreboard.next(16);
    static constexpr Field kPostal = kRepresentative.next(8);
    static constexpr Field kAddress1 = kPostal.next(26);
    static constexpr Field kAddress2 = kAddress1.next(26);
    static constexpr Field kPhone = kAddress2.next(13);
    static constexpr Field kQuantities = kPhone.next(2, kFeeItems); // i16 quantity per fee item
    static constexpr Field kEntries = kQuantities.next(4, kSlots);  // per slot: i16 men, i16 women
    static constexpr Field kReceived = kEntries.next(4);            // i32 amount received
    static constexpr Field kReserved = kReceived.next(4, 4);        // i16 x 2 each, 0
    static constexpr Field kMonthFlag = kReserved.next(1);          // current-month flag
    static constexpr Field kUnused = kMonthFlag.next(11);           // NUL
    enum Side { Men = 0, Women = 1 };

    std::string key() const { return text(kKey); }
    std::string keyBytes() const { return std::string(raw(kKey)); }
    void setKeyBytes(const std::string& cp932) { setTextBytes(kKey, cp932); }
    std::string name() const { return text(kName); }
    void setName(const std::string& v) { setText(kName, v); }
    std::string shortName() const { return text(kShortName); }
    void setShortName(const std::string& v) { setText(kShortName, v); }
    std::string scoreboard() const { return text(kScoreboard); }
    void setScoreboard(const std::string& v) { setText(kScoreboard, v); }
    std::string representative() const { return text(kRepresentative); }
    void setRepresentative(const std::string& v) { setText(kRepresentative, v); }
    std::string postal() const { return text(kPostal); }
    void setPostal(const std::string& v) { setText(kPostal, v); }
    std::string address1() const { return text(kAddress1); }
    void setAddress1(const std::string& v) { setText(kAddress1, v); }
    std::string address2() const { return text(kAddress2); }
    void setAddress2(const std::string& v) { setText(kAddress2, v); }
    std::string phone() const { return text(kPhone); }
    void setPhone(const std::string& v) { setText(kPhone, v); }
    std::int16_t quantity(int k) const { return i16(kQuantities.at(std::size_t(k)).offset); }
    void setQuantity(int k, std::int16_t v) { setI16(kQuantities.at(std::size_t(k)).offset, v); }
    std::int16_t entries(int slot, Side side) const { return i16(entriesOffset(slot, side)); }
    void setEntries(int slot, Side side, std::int16_t v) { setI16(entriesOffset(slot, side), v); }
    std::int32_t received() const { return i32(kReceived.offset); }
    void setReceived(std::int32_t v) { setI32(kReceived.offset, v); }
    std::string monthFlag() const { return text(kMonthFlag); }
    void setMonthFlag(const std::string& v) { setText(kMonthFlag, v); }

    // A cleared team: every text blank, every number 0, the flag blank; the unused tail NUL.
    static TeamTotalRecord cleared();

private:
    static std::size_t entriesOffset(int slot, Side side)
    {
        return kEntries.at(std::size_t(slot)).offset + 2 * std::size_t(side);
    }
};
static_assert(tilesRecord(std::array{TeamTotalRecord::kKey, TeamTotalRecord::kName, TeamTotalRecord::kShortName,
                                     TeamTotalRecord::kScoreboard, TeamTotalRecord::kRepresentative, TeamTotalRecord::kPostal,
                                     TeamTotalRecord::kAddress1, TeamTotalRecord::kAddress2, TeamTotalRecord::kPhone,
                                     TeamTotalRecord::kQuantities, TeamTotalRecord::kEntries, TeamTotalRecord::kReceived,
                                     TeamTotalRecord::kReserved, TeamTotalRecord::kMonthFlag, TeamTotalRecord::kUnused},
                          kZedRecordLength));

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
    // Writes the current team as team n, then the control record.
    void writeTeam(int n);
    void writeControl();
    void clearTeam() { team_ = TeamTotalRecord::cleared(); }

    // Reads team n without touching the current team (for reports over all teams).
    TeamTotalRecord teamAt(int n) const;

private:
    FileLock lock_;
    Access access_ = Access::Write;
    CountedRecordFile file_;
    ZedControlRecord control_;
    TeamTotalRecord team_ = TeamTotalRecord::cleared();
};

} // namespace tolv
