#pragma once
// Looking swimmers up in the registration master and the rules of the new-entry run, shared by the
// entry window and `tolv add`.
//
// A composite registration number (QBango, 14 characters):
//   1-5 team code (1-2 prefecture code) | 6-13 birth date YYYYMMDD | 14 sex digit ("1".."4" male)
// The look-up searches indexq.dat with the whole number; without a match, and when the unit keeps
// a team list for the prefecture, indext.dat with the birth date, and then lets the user pick one of
// the athletes born that day (search list mode 1). Applying an athlete fills number, name, reading,
// registration date, prefecture, affiliation, grade, age, sex, registration kind and disciplines.
#include "storage/DownloadLayout.h"
#include "storage/Master.h"
#include "storage/Records.h"
#include "storage/Session.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolv {

class EntryStore;

// Century completion of a typed number: characters 6-7 are overwritten from the reference date's
// year - its first two digits when characters 8-9 compare below its last two (as text), else those
// two digits minus 1. A number of fewer than 9 characters, or a reference date without a four-digit
// year, is returned unchanged.
std::string completeCentury(const std::string& typed, const std::string& kijunBi);

// Prefecture code of a number (numeric value of its first two characters).
int prefectureOfNumber(const std::string& number);
// Sex class of a number's 14th character: 1 male ("1".."4" or missing), 2 female ("5" and above).
int sexOfNumber(const std::string& number);

// The candidate list of the search dialog.
enum class SearchMode { BirthDate = 1, Reading = 2 };

class SearchList {
public:
    static constexpr int kPlaces = 21;  // lines kept (athlete numbers of the listed lines)
    static constexpr int kPickable = 9; // lines that buttons 1..9 can pick

    std::vector<std::string> lines;    // what the list shows, one line per athlete
    std::array<int, kPlaces> places{}; // athlete number of each listed line
    std::array<int, kPlaces> sexes{};  // athlete list of each line: 1 male, 2 female, 0 the only one

    // Athlete number for pick button i (1..9); 0 for an empty place or another i.
    int pick(int button) const;
    // The athlete list (sex) of the line pick button i names; 0 for the only list or another i.
    int sexOf(int button) const;
};

// Fills the list from an athlete list: nothing when the unit keeps no team list for the prefecture
// of the current swimmer's number; mode 1 lists athletes whose birth equals the number's characters
// 6-13 (line = name, 16 bytes), mode 2 athletes whose Kana equals the swimmer's Kana byte for byte,
// all 16 bytes (line = name, 16 bytes, followed by the birth date digits). File order, at most 21.
SearchList fillSearchList(SearchMode mode, const SwimmerRecord& current, const std::string& unitFlags,
                          const std::filesystem::path& athleteList);
// Adds the matches of one more athlete list (tagged with its sex) until the 21 places are full.
void appendToSearchList(SearchList& list, SearchMode mode, const SwimmerRecord& current, const std::filesystem::path& athleteList,
                        int sex);

// Applies athlete `a` found for `number` to a copy of `current`:
//   Bango, Namae, Kana, torobi from the athlete; ken, kenKana from the prefecture table (empty for
//   prefecture 0); Shozoku, ShozokuKana from the team of the number's first five characters when the
//   unit keeps a team list for the prefecture (empty otherwise); gakunen and nenrei from the number's
//   birth date and the header; sei from the sex digit; shuFuku the 1-based position of the team code
//   among the athlete's teams ("0" when absent); shubetu from the athlete; QBango = the number.
// `teams` is the team list to search (only opened when the unit keeps one).
struct ApplySources {
    std::filesystem::path prefectureTable; // ken.ctl
    std::string unitFlags;                 // kanriken.ctl characters
    std::filesystem::path teamList;        // dantai.dat
};
SwimmerRecord appliedAthlete(const SwimmerRecord& current, const AthleteRecord& a, const std::string& number,
                             const EntryHeader& header, const ApplySources& sources);

// The outcome of a look-up: the record to show (the unchanged record with the typed number stored
// when nothing was found) and the athlete applied.
struct LookupResult {
    bool found = false;
    SwimmerRecord record;
    std::optional<AthleteRecord> athlete;
};

// Chooses one line of a search list (the search dialog in the window): returns the pick button
// 1 … 9, 0 for none.
using AthletePicker = std::function<int(const SearchList&)>;

// The registration master as the mode says: in place under the registration root (local), or the
// working copies in the temp folder, downloaded on demand (internet).
class AthleteLookup {
public:
    AthleteLookup(Session& session, std::filesystem::path registrationRoot, std::filesystem::path ctlDir,
                  std::filesystem::path tempDir);

    Session& session() { return session_; }
    const std::filesystem::path& registrationRoot() const { return root_; }

    // kanriken.ctl: temp in internet mode, the registration root in local mode.
    std::filesystem::path unitFlagsPath() const;
    // Reads the unit flags (empty when the file is missing) and keeps them.
    void loadUnitFlags();
    const std::string& unitFlags() const { return flags_; }
    void setUnitFlags(std::string flags) { flags_ = std::move(flags); }
    std::filesystem::path prefectureTablePath() const;

    // Paths of the master files for a prefecture and sex (1 male, 2 female).
    MasterPaths masterPaths(int prefecture, int sex) const;
    // The master of the number, or the one last used for what the number leaves open.
    MasterPaths currentMasterPaths(const std::string& number) const;
    // Internet mode: fetches the master of that prefecture and sex unless it is already present.
    // Local mode: nothing to fetch. TolvError when a download fails (temp left as it was).
    void ensureMaster(int prefecture, int sex);
    // Where the master in use lies, for the information line: the registration root, or the
    // download folder of the prefecture and sex in use.
    std::string masterLocation() const;

    // The look-up of a completed composite number (new entry); a number of fewer than 14
    // characters is not looked up. `pick` is asked only when the birth-date index knows the birth
    // date. TolvError when a master file cannot be read or
    // fetched; the caller's record is then left as it was.
    LookupResult byNumber(const SwimmerRecord& current, const std::string& number, const EntryHeader& header,
                          const AthletePicker& pick);
    // The search by reading: the current record carries the typed Kana, the number typed so far and
    // the sex chosen (sei "1" or "2" searches that sex's athlete list, anything else both, male
    // lines first). The picked athlete's sex digit ends the number; its list becomes the master
    // in use.
    LookupResult byReading(const SwimmerRecord& current, const EntryHeader& header, const AthletePicker& pick);

    // The search list as the dialog shows it for the current record.
    SearchList searchList(SearchMode mode, const SwimmerRecord& current) const;

private:
    AthleteRecord readAthlete(const MasterPaths& paths, int prefecture, int athlete) const;
    ApplySources sources(const MasterPaths& paths) const;

    Session& session_;
    std::filesystem::path root_, ctl_, temp_;
    std::string flags_;
};

// --- the new-entry run -------------------------------------------------------------------------

// The preset of the input line after an event code: the looked-up athlete's best time for the slot
// and the header's course (slots below 22), else 0; a preset of 0 becomes "66".
std::string presetTime(const std::optional<AthleteRecord>& athlete, int slot, int course);

// The time typed for a slot: "66" is 666666 ("参加"); otherwise the numeric value of the text
// before the caret (caret counted in characters), of the whole text when the caret is at its start.
// Nothing when the value is negative or beyond the 32-bit range.
std::optional<std::int32_t> typedTime(const std::string& text, int caret);

// One new swimmer as the entry window's new-entry run makes it: the store's draft swimmer is the
// record in the making; the store takes it (and the header's new count) only when the run ends and
// both are written, so nothing half-made ever reaches the file (a header written meanwhile carries
// the old count).
class NewEntryRun {
public:
    // Clears the buffer; the new swimmer's number is the count + 1.
    explicit NewEntryRun(EntryStore& store);

    int number() const { return number_; }
    SwimmerRecord& record();
    const SwimmerRecord& record() const;
    // The athlete of the last successful look-up, for the time presets.
    const std::optional<AthleteRecord>& athlete() const { return athlete_; }
    // Takes the outcome of a look-up into the record.
    void take(const LookupResult& r);
    // The preset of the input line for an event slot.
    std::string preset(int slot) const;
    // Stores a typed time in a slot; false when the text gives no storable time.
    bool storeTime(int slot, const std::string& text, int caret);
    // Ends the run: number and count set, the record and the header written, the store's buffer
    // holding the record. When the write fails the run goes on with its record as it was.
    void finish();

private:
    EntryStore& store_;
    int number_;
    std::optional<AthleteRecord> athlete_;
};

// Deletes swimmer `shown`: the last swimmer moves into its place (renumbered), the count drops by
// one, and the number of the swimmer to show next is returned (0 when none is left). The store's
// buffer holds that swimmer afterwards. TolvError when `shown` is no swimmer of the file.
int deleteSwimmer(EntryStore& store, int shown);

} // namespace tolv
