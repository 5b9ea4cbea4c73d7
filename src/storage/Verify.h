#pragma once
// The structure check of an entry file (tolv verify, and the merge before it takes a source).
//
// What is checked, record by record:
//   file      at least records 1 and 2 (768 bytes); the header count `total` not negative, not
//             beyond kMaxSwimmers and not beyond the swimmer records the file holds
//   header    every text field CP932 text; reserve-event texts likewise
//   swimmer   every text field CP932 text; sei "0".."3", shuFuku "0".."5", card/daishi "0"/"1"
//             (each may also be blank); shubetu six "0"/"1" (or blank); nenrei 0..150;
//             every kiro 0, a time (at most 99:59.99, seconds below 60) or a result mark
//   numbers   a registration number `Bango` (not blank or zero) held by two swimmers
// Only the records counted by `total` are read, so a crafted count over a sparse file costs nothing.
#include <filesystem>
#include <string>
#include <vector>

namespace tolv {

struct VerifyFinding {
    int swimmer = 0;     // 0 for the file and its header records
    std::string field;   // record field name, empty for the file as a whole
    std::string message; // Japanese, complete
};

struct VerifyReport {
    std::string file;
    long long size = 0;
    long long total = 0;
    std::vector<VerifyFinding> problems;
    long long problemCount = 0;  // all problems found, also those beyond the kept list

    bool ok() const { return problemCount == 0; }
    // The lines tolv verify prints: the file, its size and count, each problem, and the verdict.
    std::vector<std::string> lines() const;
};

// The most problems kept in a report; the rest are counted only.
constexpr std::size_t kVerifyKeptProblems = 1000;

// Checks an entry file image (its whole bytes).
VerifyReport verifyEntryBytes(const std::string& bytes, const std::string& name);
// Checks the file on disk under its shared lock, reading only the records the header counts.
VerifyReport verifyEntryFile(const std::filesystem::path& path);
// For the merge: TolvError with the report's first lines unless the file verifies.
void requireVerifiedEntry(const std::filesystem::path& path);

} // namespace tolv
