#pragma once
// The registration master: team list dantai.dat, athlete list kozin.dat and the sorted index files.
//
// dantai.dat (384-byte records): record 1 = i16 team count; team n = record n + 10
//     0 code 5 | 5 name 34 | 39 shortName 12 | 51 further 15 | 66 shortKana 6 | 72 flags 6 |
//    78 person 16 x 3 | 126 postal 8 x 3 | 150 address 26 x 6 | 306 phone 13 x 3 | 345 i32 | 349 35
// kozin.dat (1024-byte records): record 1 = i32 athlete count; athlete n = record n + 10
//     0 Bango 7 | 7 Namae 16 | 23 Kana 16 | 39 i32 birth | 43 sexDigit 1 | 44 i16 gradeShift |
//    46 shubetu 6 | 52 teams 5 x 5 | 77 main team block 72 | 149 second block 72 | 221 i32 |
//   225 i32 torobi | 229 i32 | 233 best i32 x 22 x 2 | 409 binary 352 | 761 44 chars | 805 unused
// index files: record 1 = i32 count; entry i = record i + 1: key, then i32 athlete number
//   indexq.dat 18 bytes (key 14), indext.dat 13 bytes (key 9)
#include "storage/FixedRecord.h"
#include "storage/RecordFile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolv {

class TeamRecord : public FixedRecord<384> {
public:
    enum : std::size_t {
        kCode = 0, kName = 5, kShortName = 39, kFurther1 = 51, kShortKana = 66, kFlags = 72,
        kPerson = 78, kPostal = 126, kAddress = 150, kPhone = 306, kFurtherNumber = 345, kFurther2 = 349
    };
    std::string code() const { return text(kCode, 5); }
    void setCode(const std::string& v) { setText(kCode, 5, v); }
    std::string name() const { return text(kName, 34); }
    void setName(const std::string& v) { setText(kName, 34, v); }
    std::string shortName() const { return text(kShortName, 12); }
    void setShortName(const std::string& v) { setText(kShortName, 12, v); }
    std::string further1() const { return text(kFurther1, 15); }
    void setFurther1(const std::string& v) { setText(kFurther1, 15, v); }
    std::string shortKana() const { return text(kShortKana, 6); }
    void setShortKana(const std::string& v) { setText(kShortKana, 6, v); }
    std::string flags() const { return text(kFlags, 6); }
    void setFlags(const std::string& v) { setText(kFlags, 6, v); }
    std::string person(int i) const { return text(kPerson + 16 * std::size_t(i), 16); }
    void setPerson(int i, const std::string& v) { setText(kPerson + 16 * std::size_t(i), 16, v); }
    std::string postal(int i) const { return text(kPostal + 8 * std::size_t(i), 8); }
    void setPostal(int i, const std::string& v) { setText(kPostal + 8 * std::size_t(i), 8, v); }
    // Address line (0 or 1) of contact block i.
    std::string address(int i, int line) const { return text(kAddress + 52 * std::size_t(i) + 26 * std::size_t(line), 26); }
    void setAddress(int i, int line, const std::string& v) { setText(kAddress + 52 * std::size_t(i) + 26 * std::size_t(line), 26, v); }
    std::string phone(int i) const { return text(kPhone + 13 * std::size_t(i), 13); }
    void setPhone(int i, const std::string& v) { setText(kPhone + 13 * std::size_t(i), 13, v); }
    std::int32_t furtherNumber() const { return i32(kFurtherNumber); }
    void setFurtherNumber(std::int32_t v) { setI32(kFurtherNumber, v); }
    std::string further2() const { return text(kFurther2, 35); }
    void setFurther2(const std::string& v) { setText(kFurther2, 35, v); }
};

class AthleteRecord : public FixedRecord<1024> {
public:
    enum : std::size_t {
        kBango = 0, kNamae = 7, kKana = 23, kBirth = 39, kSexDigit = 43, kGradeShift = 44,
        kShubetu = 46, kTeams = 52, kMainTeam = 77, kSecondTeam = 149, kTorobi = 225, kBest = 233,
        kEventChars = 761
    };
    std::string Bango() const { return text(kBango, 7); }
    void setBango(const std::string& v) { setText(kBango, 7, v); }
    std::string Namae() const { return text(kNamae, 16); }
    void setNamae(const std::string& v) { setText(kNamae, 16, v); }
    std::string Kana() const { return text(kKana, 16); }
    void setKana(const std::string& v) { setText(kKana, 16, v); }
    std::int32_t birth() const { return i32(kBirth); }
    void setBirth(std::int32_t v) { setI32(kBirth, v); }
    std::string sexDigit() const { return text(kSexDigit, 1); }
    void setSexDigit(const std::string& v) { setText(kSexDigit, 1, v); }
    std::int16_t gradeShift() const { return i16(kGradeShift); }
    void setGradeShift(std::int16_t v) { setI16(kGradeShift, v); }
    std::string shubetu() const { return text(kShubetu, 6); }
    void setShubetu(const std::string& v) { setText(kShubetu, 6, v); }
    std::string team(int i) const { return text(kTeams + 5 * std::size_t(i), 5); }
    void setTeam(int i, const std::string& v) { setText(kTeams + 5 * std::size_t(i), 5, v); }
    std::int32_t torobi() const { return i32(kTorobi); }
    void setTorobi(std::int32_t v) { setI32(kTorobi, v); }
    // Best time of individual slot 0..21 for course 0 (long) or 1 (short).
    std::int32_t best(int slot, int course) const { return i32(kBest + 8 * std::size_t(slot) + 4 * std::size_t(course)); }
    void setBest(int slot, int course, std::int32_t v) { setI32(kBest + 8 * std::size_t(slot) + 4 * std::size_t(course), v); }
};

// dantai.dat
class TeamList {
public:
    // Opens the file and reads the team count (TolvError when it cannot be opened).
    void openTeamList(const std::filesystem::path& path);
    int count() const { return count_; }
    // Scans teams 1..count in order; the first whose code equals the five characters.
    std::optional<TeamRecord> findTeam(const std::string& code) const;
    TeamRecord readTeam(int n) const;
    // Teams 1..count in one read.
    std::vector<TeamRecord> readAllTeams() const;
    void close() { file_.close(); }

private:
    RecordFile file_;
    int count_ = 0;
};

// kozin.dat
class AthleteList {
public:
    void openAthleteList(const std::filesystem::path& path);
    int count() const { return count_; }
    AthleteRecord readAthlete(int n) const;
    bool isOpen() const { return file_.isOpen(); }
    void close() { file_.close(); }

private:
    RecordFile file_;
    int count_ = 0;
};

struct IndexHit {
    int position = 0;  // entry found, 0 when none
    int athlete = 0;   // athlete number of that entry
};

constexpr std::size_t kIndexQRecord = 18, kIndexQKey = 14;
constexpr std::size_t kIndexTRecord = 13, kIndexTKey = 9;

// Bisection over an index file, at most 16 probes, prefix comparison of the entry key with `key`
// (CP932 bytes compared in byte order). Any error gives nothing found.
IndexHit lookUpIndex(const std::filesystem::path& file, std::size_t recordLength,
                     const std::string& key);

// Writers, for the demo master and test fixtures.
void writeTeamList(const std::filesystem::path& path, const std::vector<TeamRecord>& teams);
void writeAthleteList(const std::filesystem::path& path, const std::vector<AthleteRecord>& athletes);
// Keys are CP932 bytes (fitted to the key width); entries are sorted by byte order of the key.
void writeIndex(const std::filesystem::path& path, std::size_t recordLength, std::size_t keyWidth,
                std::vector<std::pair<std::string, int>> entries);
// The composite number of an athlete for one of its teams: team code, birth date, sex digit.
std::string compositeNumber(const std::string& teamCode, int birth, const std::string& sexDigit);
// indexq.dat and indext.dat for an athlete list (every team code of each athlete is indexed).
void writeAthleteIndexes(const std::filesystem::path& folder, const std::vector<AthleteRecord>& athletes);

} // namespace tolv
