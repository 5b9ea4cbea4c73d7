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
//   birth     an old number `QBango` whose characters 6-13 are not a calendar date YYYYMMDD
// Only the records counted by `total` are read, so a crafted count over a sparse file costs nothing.
//
// Two kinds of findings. Damage is structure only: the size, the count against the records, a
// record cut short, bytes a field's reader cannot decode; such a file is refused by the merge and
// opened only for looking. Data findings are values outside their coding (codes, ages, times such
// as 6543), duplicate numbers and birth dates that are not dates: the file is sound (the old
// program and other systems' imports stored such values), the data wants a look (the checks of
// the check menu); they are listed and never block editing, a merge or an undo.
#include <filesystem>
#include <string>
#include <vector>

namespace tolv {

enum class FindingKind { Damage, Data };

struct VerifyFinding {
    FindingKind kind = FindingKind::Damage;
    int swimmer = 0;     // 0 for the file and its header records
    std::string field;   // record field name, empty for the file as a whole
    std::string message; // Japanese, complete
};

struct VerifyReport {
    std::string file;
    long long size = 0;
    long long total = 0;
    std::vector<VerifyFinding> problems; // damage and data findings in the order found
    long long problemCount = 0;          // all findings, also those beyond the kept list
    long long damageCount = 0;
    long long duplicateCount = 0; // data findings: duplicate registration numbers
    long long birthCount = 0;     // data findings: old numbers without a calendar birth date
    long long valueCount = 0;     // data findings: codes, ages and times outside their coding

    long long dataCount() const { return problemCount - damageCount; }
    // No finding at all.
    bool ok() const { return problemCount == 0; }
    // No damage: a sound entry file, data findings or not.
    bool sound() const { return damageCount == 0; }
    // tolv verify's exit code: 0 sound, 3 sound with data findings, 1 damaged.
    int exitCode() const { return !sound() ? 1 : ok() ? 0 : 3; }
    // The lines tolv verify prints: the file, its size and count, each damage finding ("【損傷】"),
    // each data finding ("【データ】"), and the verdict.
    std::vector<std::string> lines() const;
    // The data findings in one line ("重複番号 2 件、…"), empty without any.
    std::string dataSummary() const;
};

// A stored time value of the time coding: 0 (none), a result mark, or a time of at most 99:59.99
// with seconds below 60. Every import and the merge refuse any other value, as verify does.
bool isTimeValue(long long value);
// The message for a value that is not a time.
std::string notATimeMessage(long long value);

// The most problems kept in a report; the rest are counted only.
constexpr std::size_t kVerifyKeptProblems = 1000;

// Checks an entry file image (its whole bytes).
VerifyReport verifyEntryBytes(const std::string& bytes, const std::string& name);
// Checks the file on disk under its shared lock, reading only the records the header counts.
VerifyReport verifyEntryFile(const std::filesystem::path& path);
// For the merge: TolvError with the first damage findings unless the file is sound; the report
// (with its data findings) otherwise.
VerifyReport requireVerifiedEntry(const std::filesystem::path& path);

} // namespace tolv
