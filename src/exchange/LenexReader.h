#pragma once
// Lenex 3 import: the athletes of a Lenex entries or results file (.lef, or .lxf zipped) become
// new swimmer records of the entry file.
//
//   MEET name, FACILITY/POOL name (else city), first and last SESSION date, AGEDATE, course
//           -> the header (zigyo, basho, stBi, enBi, kijunBi, course) of an entry file without
//           swimmers, or of one with swimmers when the user agrees
//   CLUB code (team code when it fits 5 bytes, else a code given per club and kept in the entry
//           file's Lenex memory), shortname/name -> Shozoku, shortname.en/name.en -> ShozokuKana
//   ATHLETE lastname + full-width blank + firstname -> Namae; lastname.en + blank + firstname.en
//           -> Kana (Hepburn back to half-width katakana where it is such Hepburn)
//           gender M/F -> sei 1/2; birthdate + gender -> QBango (team code, YYYYMMDD, sex digit 1/5)
//           license -> Bango (when it fits its 7 bytes); names folded or cut, readings of several
//           words, longer licences and a nation are kept in the Lenex memory for the export
//   one time per event slot: the best valid RESULT swimtime, else the best valid ENTRY entrytime;
//           NT and 00:00:00.00 are no time; an entry or a result without a time gives 参加;
//           results with a status (DSQ, DNS, DNF, WDR, SICK) and withdrawn, rejected or sick
//           entries are counted and listed, never stored as times
//   ATHLETE without a name, a birth date or a sex M/F: left out (the entry file cannot hold it) and
//           listed with its line and club; the rest of the file imports
//   RELAY ENTRY/RESULT -> the relay slot of every athlete of the positions of its own event (the
//           result's, else the entry's), found across every CLUB element of the same club; a relay
//           whose positions name none becomes a relay team record of its club (Namae リレー,
//           QBango the team code, sei 1/2/3 for M/F/X), as the entry file keeps relays of no one
//           swimmer
// Events are matched by SWIMSTYLE (stroke, distance, relaycount, whole-stroke technique) to the
// standard slots; other styles (KICK, PULL, …, distances without a slot, UNKNOWN) to a reserve
// event by code 80..94 and name or by name; entries and results of any other event are listed.
// Text without a CP932 form is folded to its base letters; control characters are dropped.
//
// The file's bytes and its .lxf archive: LenexContainer.h; the first pass over the bytes:
// LenexScan.h; the closing words to the user: LenexReport.h.
#include "exchange/LenexMemory.h"
#include "storage/Records.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {
class EntryStore;
}

namespace tolv::lenex {

// The meet of a Lenex file as it would land in the header.
struct MeetInfo {
    std::string name;
    std::string venue; // FACILITY name, else POOL name, else the city
    std::string city;
    std::string nation;
    std::int32_t firstDay = 0; // YYYYMMDD, 0 when the file has no session date
    std::int32_t lastDay = 0;
    std::int32_t ageDate = 0;
    std::string course; // LCM, SCM, …
};

struct ImportOptions {
    // Asked when the entry file already has swimmers: whether the meet replaces the header.
    // Without it the header of such a file stays; an entry file without swimmers always takes it.
    std::function<bool(const MeetInfo&)> takeHeader;
    // Asked (with the question to put) when the same bytes were imported into the entry file
    // before, as the merge record keeps them: whether to import them again. Without it, or when
    // it answers no, the import is refused.
    std::function<bool(const std::string& question)> again;
};

struct ImportResult {
    std::vector<SwimmerRecord> swimmers; // seq not yet set
    int times = 0;                       // slots holding a time (relays included)
    int entered = 0;                     // slots holding 参加 (entered without a time)
    int unknownEvents = 0;               // entries and results not taken (listed in notTaken)
    int relayTeams = 0;                  // relay team records made for relays without positions
    int licencesDropped = 0;             // licences longer than a registration number
    std::vector<std::string> folded;     // athletes whose name or club was folded to base letters
    std::vector<std::string> cut;        // athletes whose name or club was cut to its field
    std::vector<std::string> notTaken;   // "athlete: event" of entries and results not taken
    std::vector<std::string> statuses;   // "athlete: event STATUS"
    std::vector<std::string> leftOut;    // "N行目: club name（…がありません）" of athletes the entry
                                         // file cannot hold (no name, birth date or sex): left out
    std::vector<int> controlLines;       // lines where control characters were dropped
    std::vector<std::string> codedClubs; // clubs given a team code of their own
    MeetInfo meet;
    std::optional<EntryHeader> header;    // the header with the meet, when it was taken
    std::optional<ReserveEvents> reserve; // with the file's own reserve events (UNKNOWN styles
                                          // coded 80..94) in empty places, when the header was taken
    std::vector<std::string> headerNotes; // what did not fit the header
    LenexMemory memory;                   // the entry file's Lenex memory with this file's clubs
    int sessions = 0;                     // the meet taken (takeLenexMeet): its sessions and events
    int events = 0;
};

// Reads and checks a whole Lenex document against the entry file's header and reserve events.
// `existing` swimmers are already in the entry file (the limit counts them; with none the meet
// goes into the header). Throws TolvError naming `fileName` and the line of the first fault.
ImportResult readLenex(std::string_view xml, const std::string& fileName, const EntryHeader& header, const ReserveEvents& reserve,
                       const ImportOptions& options = {}, const LenexMemory& memory = {});

// Reads `file` whole, checks it, then appends its athletes to the open entry file in one step
// (backup, whole-file replace), with the meet's header when taken, and keeps the Lenex memory.
// Throws before anything is written when the file has a fault or no athletes.
ImportResult importLenex(EntryStore& store, const std::filesystem::path& file, const ImportOptions& options = {});

// The organiser's meet: the MEET of `file` (any Lenex file whose MEET has SESSIONS with EVENTS)
// kept in the entry file's Lenex memory in place of an earlier one (see LenexMeet.h), the header
// taken from it as the import takes it. Throws before anything is written when the file has a
// fault or no events. Only the meet, header and memory of the result are filled.
ImportResult readLenexMeet(std::string_view xml, const std::string& fileName, const EntryHeader& header,
                           const ReserveEvents& reserve, const ImportOptions& options = {}, const LenexMemory& memory = {});
ImportResult takeLenexMeet(EntryStore& store, const std::filesystem::path& file, const ImportOptions& options = {});

} // namespace tolv::lenex
