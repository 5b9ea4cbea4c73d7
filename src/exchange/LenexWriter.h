#pragma once
// Lenex 3.0 export of an entry file, for meet managers that take entries as Lenex (.lef, zipped .lxf).
//
//   LENEX version=3.0
//     CONSTRUCTOR name, version / CONTACT
//     MEETS / MEET name=zigyo city=basho nation=JPN course=LCM|SCM
//       AGEDATE value=kijunBi type=DATE
//       SESSIONS / SESSION number=1 date=stBi
//         EVENTS / EVENT eventid=slot+1 number=1.. / SWIMSTYLE distance relaycount stroke
//                  (reserve events: stroke=UNKNOWN, code=80..94, name=category and name)
//       CLUBS / CLUB name shortname shortname.en code=team code nation=JPN   (one per team code)
//         ATHLETES / ATHLETE athleteid=n lastname firstname lastname.en firstname.en gender
//                            birthdate license   / ENTRIES / ENTRY eventid entrytime
//         RELAYS / RELAY number gender / ENTRIES / ENTRY eventid entrytime   (one per relay time)
#include "storage/Records.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolv {
class EntryStore;
}

namespace tolv::lenex {

struct ExportSummary {
    int clubs = 0;
    int athletes = 0;
    int entries = 0;              // individual entries of the athletes
    int relays = 0;
    std::vector<int> notAthletes;  // swimmer numbers without birth date or sex, not written as athletes
};

struct Document {
    std::string xml;  // UTF-8
    ExportSummary summary;
};

// The Lenex document of an entry file. Throws TolvError when the header has no first competition
// day that is a calendar date (the session needs one).
Document writeLenex(const EntryHeader& header, const ReserveEvents& reserve,
                    const std::vector<SwimmerRecord>& swimmers);

// An .lxf archive holding the document as its one entry `innerName`.
std::string zipLenex(const std::string& xml, const std::string& innerName);

struct ExportResult {
    std::filesystem::path file;
    ExportSummary summary;
};

// Reads the open entry file once and writes the document whole to `target` (temporary name, then
// rename); zipped when `zip` is set, the archive entry named like the target with ".lef".
ExportResult exportLenex(const EntryStore& store, const std::filesystem::path& target, bool zip);
// The default file name in a folder: the entry file's base name with ".lef" or ".lxf".
std::filesystem::path defaultExportPath(const std::filesystem::path& folder, const std::filesystem::path& entry,
                                        bool zip);
// What the user is told afterwards.
std::string describeExport(const ExportResult& result);

} // namespace tolv::lenex
