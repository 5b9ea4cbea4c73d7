#pragma once
// Swimmers from the files of the SCM and SWM meet systems ("転入" → "ＳＣＭ", "ＳＷＭ").
//
// Files (CP932, comma-separated, one header line each, read line by line):
//   SCM  ScmSwimmerdt.csv (swimmers)  Scmdt.csv (teams)   ScmRelay.csv (relay times)
//   SWM  RIZARUTO.csv (swimmers)      Teamdt.csv (teams)  relayent.csv (relay times)
// Names are matched without regard to letter case. The SWM floppy export writes one RIZARUTO.csv
// per team into folders "SWM<team code>"; when the folder holds no RIZARUTO.csv itself, those of
// its SWM… folders are read in name order.
//
// Swimmer line (the media form of the SCM swimmer file; SWM uses the same columns), 1-based:
//    1 number -> Bango           2 team code -> QBango 1-5, team look-up
//    6 registration number: its last character is QBango 14 when its value is not 0, else
//      "0" for sex "1" and "5" for any other sex
//    7 name   8 kana   10 sex   11 birth date YYYY/MM/DD -> QBango 6-13
//   12, 13 grade code second and first character      29 entry flags of slots 0-21 ("1")
//   30 six characters per slot: the entry time as a right-justified whole number
// Team line: 1 team code, 6 affiliation (12 bytes), 7 affiliation kana (6 bytes).
// Relay line: 2 team code, 5 stroke ("7" medley, "6" free), 6 sex, 7 time m:ss.hh, 10 school
//   level (SWM only: when given, the first grade character must have its value), 11 distance
//   ("3" 100 m … "6" 800 m). The time goes to the first swimmer in record order with that team code
//   and sex (and school level).
#include "exchange/ImportSupport.h"

#include <filesystem>

namespace tolv {

class EntryStore;
class Prompt;

enum class MeetSystem { Scm, Swm };

// Reads and checks every file first, then appends the swimmers, stores the relay times, rewrites
// the age of every swimmer and commits the entry file in one step. A missing swimmer or team file
// throws the system's three-line message and changes nothing; a missing relay file is told with its
// three lines after the swimmers were appended. A swimmer whose team code is not in the team file
// gets blank affiliation fields and is named in the report. kenCtl: the prefecture table.
ImportReport importMeetSystem(EntryStore& store, MeetSystem system, const ImportFolder& folder, Prompt& prompt);
ImportReport importMeetSystem(EntryStore& store, MeetSystem system, const ImportFolder& folder, Prompt& prompt,
                              const std::filesystem::path& kenCtl);

} // namespace tolv
