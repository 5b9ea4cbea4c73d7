#pragma once
// Lenex 3.0 export of an entry file, for meet managers that take entries as Lenex (.lef, zipped .lxf).
//
//   LENEX version=3.0
//     CONSTRUCTOR name version registration / CONTACT name email
//     MEETS / MEET: the organiser's meet taken for the entry file as it was (its sessions and
//           events; see LenexMeet.h), every entry against the organiser's event it matches; else
//           the program's own:
//       MEET name=zigyo city nation course=LCM|SCM
//       FACILITY name=basho city nation
//       AGEDATE value=kijunBi type=DATE
//       SESSIONS / SESSION number date   (one per competition day stBi..enBi; the events in the first)
//         EVENTS / EVENT eventid=slot+1 number=1.. / SWIMSTYLE swimstyleid=slot+1 distance relaycount stroke
//                  (reserve events: the stroke and technique the name states, a relay by one
//                  swimmer's distance, else stroke=UNKNOWN; code=80..94, name=category and name)
//       CLUBS / CLUB name shortname shortname.en code nation   (one per team: the Lenex club it came
//                  from as the entry file's Lenex memory keeps it, else its team code; a nation only
//                  when known: the memory's, JPN for a team code of a prefecture 01..47)
//         ATHLETES / ATHLETE athleteid=n lastname firstname lastname.en firstname.en (Hepburn of
//                            the kana reading; the names, licence and nation a Lenex file gave
//                            where the memory keeps them) gender birthdate license / ENTRIES /
//                            ENTRY eventid entrytime
//         RELAYS / RELAY number gender agemax agemin agetotalmax agetotalmin (from the swimmers'
//                  ages; -1: not known) / ENTRIES / ENTRY eventid entrytime / RELAYPOSITIONS /
//                  RELAYPOSITION athleteid number   (one relay per team: the athletes of a club
//                  carrying the same relay slot and time, in record order; a relay team record
//                  is a team without positions)
#include "exchange/LenexMemory.h"
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
    int entries = 0; // individual entries of the athletes
    int relays = 0;
    std::vector<int> notAthletes;        // swimmer numbers without birth date or sex, not written as athletes
    bool againstMeet = false;            // entered against the organiser's meet taken for the entry file
    std::vector<std::string> notEntered; // "number name event（why）": no organiser's event, or several
};

struct Document {
    std::string xml; // UTF-8
    ExportSummary summary;
};

struct ExportOptions {
    std::string city;       // the meet's city (required by the format)
    LenexSettings settings; // constructor registration and contact e-mail
    LenexMemory memory;     // what earlier Lenex files left beside the entry file
};

// The document of an entry file. Throws TolvError when the header has no first competition
// day that is a calendar date (the session needs one) or no city is given.
Document writeLenex(const EntryHeader& header, const ReserveEvents& reserve, const std::vector<SwimmerRecord>& swimmers,
                    const ExportOptions& options);

// An .lxf archive holding the document as its one entry `innerName`.
std::string zipLenex(const std::string& xml, const std::string& innerName);

struct ExportResult {
    std::filesystem::path file;
    ExportSummary summary;
};

// Reads the open entry file once and writes the document whole to `target` (temporary name, then
// rename); zipped when `zip` is set, the archive entry named like the target with ".lef". The
// city is `city` when given (then kept in the entry file's Lenex memory), else the remembered one;
// the constructor details come from lenex.ini in `ctlFolder`.
ExportResult exportLenex(const EntryStore& store, const std::filesystem::path& target, bool zip, const std::string& city,
                         const std::filesystem::path& ctlFolder);
// The city the next export of an entry file writes when none is given (empty when none is kept).
std::string rememberedCity(const std::filesystem::path& entryFile);
// Whether an export of the entry file needs a city to be given: none is kept and no organiser's
// meet (which has its own) is taken.
bool cityNeeded(const std::filesystem::path& entryFile);
// The default file name in a folder: the entry file's base name with ".lef" or ".lxf".
std::filesystem::path defaultExportPath(const std::filesystem::path& folder, const std::filesystem::path& entry, bool zip);
// What the user is told afterwards.
std::string describeExport(const ExportResult& result);

} // namespace tolv::lenex
