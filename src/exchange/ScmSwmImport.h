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
// Swimmer line, 1-based columns (SCM: the media form of ScmSwimmerdt.csv, 51 columns; SWM: the
// 13 columns the SWM floppy export writes into RIZARUTO.csv, see docs/exports.md):
//                                                         SCM  SWM
//   number -> Bango                                         1    1
//   team code -> QBango 1-5, key of the team look-up        2    2
//   registration number: its last character is QBango 14    6    4
//     when its value is not 0, else "0" for sex "1" and "5" for any other sex
//   name, kana                                              7, 8 5, 6
//   sex                                                    10    7
//   birth date YYYY/MM/DD -> QBango 6-13                   11    8
//   grade code second, first character                 12, 13  9, 10
//   entry flags of slots 0-21 ("1")                        29   11
//   six characters per slot: the time, right-justified     30   12
// Team line: 1 team code, 6 affiliation (12 bytes), 7 affiliation kana (6 bytes).
// Relay line: 2 team code, 5 stroke ("7" medley, "6" free), 6 sex, 7 time m:ss.hh, 10 school
//   level (SWM only: when given, the first grade character must have its value), 11 distance
//   ("3" 100 m … "6" 800 m). The time goes to the first swimmer in record order with that team code
//   and sex (and school level).
#include "transfer/ImportSupport.h"

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
