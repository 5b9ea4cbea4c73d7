#pragma once
// The meet file of another meet-management system, Mcompd.dat: records of 256 bytes, CP932 text,
// numbered from 1; at most the first 4000 are read. Byte offsets of one record:
//
//     0 12  registration number (12-character old number)     76  2  grade code
//    12 16  name                                                78 140 ten event entries of 14:
//    28 12  affiliation                                                 1-5 event code (stroke digit,
//    44  6  prefecture                                                  distance right-aligned in
//   220 20  kana reading (first 16 characters used)                     four), 7-14 time text;
//   240  1  sex code                                                    a blank first character
//   251  5  occupancy number: the record is used when it reads         means no entry
//           as a number other than 0
//
// Event codes: "1  25" … "11500" events 1-7, "2  25" … "2 200" 8-11, "3  25" … "3 200" 12-15,
// "4  25" … "4 200" 16-19, "5 100" "5 200" "5 400" 20-22, "7 100" "7 200" "7 400" 23-25,
// "6 100" … "6 800" 26-29; the time text keeps its digits only (1:05.23 -> 10523).
#include "transfer/ImportSupport.h"

#include <filesystem>
#include <string>

namespace tolv {

class EntryStore;

constexpr std::size_t kMcompdRecordLength = 256;
constexpr int kMcompdMaxRecords = 4000;

// Event number 1..29 of an Mcompd event code, nothing for a code not in the table.
std::optional<int> mcompdEvent(const std::string& code);

// Reads `folder`/Mcompd.dat whole, builds one swimmer per occupied record and appends them to the
// entry file in one step. A missing Mcompd.dat is reported and never created; a count that would
// pass the entry file's limit stops before anything is written.
ImportReport importMcompd(EntryStore& store, const std::filesystem::path& folder);

} // namespace tolv
