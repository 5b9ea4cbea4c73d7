#pragma once
// The inputs of every import and merge the benchmark times, made from a generated federation file
// so they grow with it. Where this system has an export of the format (SCM, SWM, Lenex) the
// benchmark uses the export instead; these are the formats it only reads.
//
//   <dir>/web/swcomp.txt swent.txt swteam.txt   every swimmer, its individual entries and relays
//   <dir>/results1/Results.Dat                  one result line per swimmer (its first event)
//   <dir>/results2/results.$$$                  one record per event of each swimmer, N records
//   <dir>/nitiban/jpnnewsmer.csv                a registration number for every swimmer
//   <dir>/mcompd/Mcompd.dat                     the first 4000 swimmers (all the import reads)
//   <dir>/source.zep                            the swimmers without repeated numbers (to merge)
//   <dir>/clubs-csv/clubNNN.csv                 200 comma-separated club files, one title line,
//                                               read through the reading format kCsvFormat that
//                                               is registered in <yomiDat>
//   <dir>/clubs-zep/clubNNN.zep                 the same 200 clubs as entry files (the clubs
//                                               are those of source.zep)
//   <dir>/target/empty.zep                      the federation file's header without swimmers:
//                                               what the appending imports and merges fill (a
//                                               file of N could not take N more at 100,000)
#include <filesystem>
#include <string>

namespace tolvbench {

inline constexpr const char* kCsvFormat = "ベンチ";
inline constexpr int kClubFiles = 200;

void writeImportInputs(const std::filesystem::path& entry, const std::filesystem::path& dir,
                       const std::filesystem::path& yomiDat);

} // namespace tolvbench
