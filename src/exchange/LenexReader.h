#pragma once
// Lenex 3.0 import: the athletes of a Lenex entries or results file (.lef, or .lxf zipped) become
// new swimmer records of the entry file.
//
//   CLUB code (team code when 5 characters), shortname/name -> Shozoku, shortname.en/name.en -> ShozokuKana
//   ATHLETE lastname + full-width blank + firstname -> Namae; lastname.en + blank + firstname.en -> Kana
//           gender M/F -> sei 1/2; birthdate + gender -> QBango (team code, YYYYMMDD, sex digit 1/5)
//           license -> Bango (when it fits its 7 bytes)
//   ENTRY entrytime -> kiro of the event's slot ("NT" or none: 参加; withdrawn, rejected or sick
//           entries skipped); RESULT swimtime when the entry gave no time (the fastest result
//           without a status other than EXH)
//   RELAY ENTRY/RESULT -> the relay slot of the first athlete of its positions, else of the club's
//           first athlete of the relay's gender, whose slot is still empty
// Events are matched by SWIMSTYLE (stroke, distance, relaycount) to the standard slots, reserve
// events by code 80..94 and name; entries and results of any other event are counted, not guessed.
#include "storage/Records.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {
class EntryStore;
}

namespace tolv::lenex {

struct ImportResult {
    std::vector<SwimmerRecord> swimmers;  // seq not yet set
    int times = 0;                        // slots filled (relays included)
    int unknownEvents = 0;                // entries and results of events the entry file has not
    int relaysNotPlaced = 0;              // relay times with no athlete of their club to carry them
    int licencesDropped = 0;              // licences longer than a registration number
};

// The XML of a Lenex file: the bytes as they are, or the one .lef entry of an .lxf archive.
// Throws TolvError naming `fileName` when the archive cannot be read.
std::string unpackLenex(std::string_view bytes, const std::string& fileName);

// Reads and checks a whole Lenex document against the entry file's header and reserve events.
// Throws TolvError naming `fileName` and the line of the first fault; nothing is changed then.
ImportResult readLenex(std::string_view xml, const std::string& fileName, const EntryHeader& header,
                       const ReserveEvents& reserve);

// Reads `file` whole, checks it, then appends its athletes to the open entry file in one step
// (backup, whole-file replace). Throws before anything is written when the file has a fault or
// no athletes.
ImportResult importLenex(EntryStore& store, const std::filesystem::path& file);
std::string describeImport(const ImportResult& result, const std::filesystem::path& file);

} // namespace tolv::lenex
