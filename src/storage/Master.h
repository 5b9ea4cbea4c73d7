#pragma once
// The registration master: team list dantai.dat, athlete list kozin.dat and the sorted index files.
// The two lists are counted files (record 1 begins with the count, data record n is record n + 10);
// texts are CP932, integers little-endian.
//
// index files: record 1 = i32 count; entry i = record i + 1 (IndexLayout)
#include "storage/CountedRecordFile.h"
#include "storage/FieldLayout.h"
#include "storage/FixedRecord.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolv {

// A team of dantai.dat (384-byte records; record 1 begins with the i16 team count).
class TeamRecord : public FixedRecord<384> {
public:
    static constexpr Field kCount{0, 2}; // in record 1
    static constexpr Field kCode{0, 5};
    static constexpr Field kName = kCode.next(34);
    static constexpr Field kShortName = kName.next(12);
    static constexpr Field kFurther1 = kShortName.next(15);
    static constexpr Field kShortKana = kFurther1.next(6);
    static constexpr Field kFlags = kShortKana.next(6);
    static constexpr Field kPerson = kFlags.next(16, 3); // one per contact block
    static constexpr Field kPostal = kPerson.next(8, 3);
    static constexpr Field kAddress = kPostal.next(26, 2 * 3); // two lines per contact block
    static constexpr Field kPhone = kAddress.next(13, 3);
    static constexpr Field kFurtherNumber = kPhone.next(4); // i32
    static constexpr Field kFurther2 = kFurtherNumber.next(35);

    std::string code() const { return text(kCode); }
    void setCode(const std::string& v) { setText(kCode, v); }
    std::string name() const { return text(kName); }
    void setName(const std::string& v) { setText(kName, v); }
    std::string shortName() const { return text(kShortName); }
    void setShortName(const std::string& v) { setText(kShortName, v); }
    std::string further1() const { return text(kFurther1); }
    void setFurther1(const std::string& v) { setText(kFurther1, v); }
    std::string shortKana() const { return text(kShortKana); }
    void setShortKana(const std::string& v) { setText(kShortKana, v); }
    std::string flags() const { return text(kFlags); }
    void setFlags(const std::string& v) { setText(kFlags, v); }
    std::string person(int i) const { return text(kPerson.at(std::size_t(i))); }
    void setPerson(int i, const std::string& v) { setText(kPerson.at(std::size_t(i)), v); }
    std::string postal(int i) const { return text(kPostal.at(std::size_t(i))); }
    void setPostal(int i, const std::string& v) { setText(kPostal.at(std::size_t(i)), v); }
    // Address line (0 or 1) of contact block i.
    static constexpr Field addressField(int i, int line) { return kAddress.at(2 * std::size_t(i) + std::size_t(line)); }
    std::string address(int i, int line) const { return text(addressField(i, line)); }
    void setAddress(int i, int line, const std::string& v) { setText(addressField(i, line), v); }
    std::string phone(int i) const { return text(kPhone.at(std::size_t(i))); }
    void setPhone(int i, const std::string& v) { setText(kPhone.at(std::size_t(i)), v); }
    std::int32_t furtherNumber() const { return i32(kFurtherNumber.offset); }
    void setFurtherNumber(std::int32_t v) { setI32(kFurtherNumber.offset, v); }
    std::string further2() const { return text(kFurther2); }
    void setFurther2(const std::string& v) { setText(kFurther2, v); }
};
static_assert(tilesRecord(std::array{TeamRecord::kCode, TeamRecord::kName, TeamRecord::kShortName, TeamRecord::kFurther1,
                                     TeamRecord::kShortKana, TeamRecord::kFlags, TeamRecord::kPerson, TeamRecord::kPostal,
                                     TeamRecord::kAddress, TeamRecord::kPhone, TeamRecord::kFurtherNumber, TeamRecord::kFurther2},
                          TeamRecord::size));

// An athlete of kozin.dat (1024-byte records; record 1 begins with the i32 athlete count).
class AthleteRecord : public FixedRecord<1024> {
public:
    static constexpr int kBestSlots = 22;
    static constexpr Field kCount{0, 4}; // in record 1
    static constexpr Field kBango{0, 7};
    static constexpr Field kNamae = kBango.next(16);
    static constexpr Field kKana = kNamae.next(16);
    static constexpr Field kBirth = kKana.next(4); // i32 yyyymmdd
    static constexpr Field kSexDigit = kBirth.next(1);
    static constexpr Field kGradeShift = kSexDigit.next(2); // i16
    static constexpr Field kShubetu = kGradeShift.next(6);
    static constexpr Field kTeams = kShubetu.next(5, 5); // team codes
    static constexpr Field kMainTeam = kTeams.next(72);  // main team block
    static constexpr Field kSecondTeam = kMainTeam.next(72);
    static constexpr Field kNumber1 = kSecondTeam.next(4);           // i32
    static constexpr Field kTorobi = kNumber1.next(4);               // i32
    static constexpr Field kNumber2 = kTorobi.next(4);               // i32
    static constexpr Field kBest = kNumber2.next(4, 2 * kBestSlots); // i32 per slot: long, short course
    static constexpr Field kBinary = kBest.next(352);
    static constexpr Field kEventChars = kBinary.next(44);
    static constexpr Field kUnused = kEventChars.next(219);

    std::string Bango() const { return text(kBango); }
    void setBango(const std::string& v) { setText(kBango, v); }
    std::string Namae() const { return text(kNamae); }
    void setNamae(const std::string& v) { setText(kNamae, v); }
    std::string Kana() const { return text(kKana); }
    void setKana(const std::string& v) { setText(kKana, v); }
    std::int32_t birth() const { return i32(kBirth.offset); }
    void setBirth(std::int32_t v) { setI32(kBirth.offset, v); }
    std::string sexDigit() const { return text(kSexDigit); }
    void setSexDigit(const std::string& v) { setText(kSexDigit, v); }
    std::int16_t gradeShift() const { return i16(kGradeShift.offset); }
    void setGradeShift(std::int16_t v) { setI16(kGradeShift.offset, v); }
    std::string shubetu() const { return text(kShubetu); }
    void setShubetu(const std::string& v) { setText(kShubetu, v); }
    std::string team(int i) const { return text(kTeams.at(std::size_t(i))); }
    void setTeam(int i, const std::string& v) { setText(kTeams.at(std::size_t(i)), v); }
    std::int32_t torobi() const { return i32(kTorobi.offset); }
    void setTorobi(std::int32_t v) { setI32(kTorobi.offset, v); }
    // Best time of individual slot 0..21 for course 0 (long) or 1 (short).
    static constexpr Field bestField(int slot, int course) { return kBest.at(2 * std::size_t(slot) + std::size_t(course)); }
    std::int32_t best(int slot, int course) const { return i32(bestField(slot, course).offset); }
    void setBest(int slot, int course, std::int32_t v) { setI32(bestField(slot, course).offset, v); }
};
static_assert(tilesRecord(std::array{AthleteRecord::kBango, AthleteRecord::kNamae, AthleteRecord::kKana, AthleteRecord::kBirth,
                                     AthleteRecord::kSexDigit, AthleteRecord::kGradeShift, AthleteRecord::kShubetu,
                                     AthleteRecord::kTeams, AthleteRecord::kMainTeam, AthleteRecord::kSecondTeam,
                                     AthleteRecord::kNumber1, AthleteRecord::kTorobi, AthleteRecord::kNumber2,
                                     AthleteRecord::kBest, AthleteRecord::kBinary, AthleteRecord::kEventChars,
                                     AthleteRecord::kUnused},
                          AthleteRecord::size));

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
    CountedRecordFile file_;
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
    CountedRecordFile file_;
    int count_ = 0;
};

struct IndexHit {
    int position = 0; // entry found, 0 when none
    int athlete = 0;  // athlete number of that entry
};

// An index entry: the key, then the i32 athlete number.
struct IndexLayout {
    Field key;
    Field athlete;
};
constexpr IndexLayout kIndexQ{Field{0, 14}, Field{0, 14}.next(4)}; // indexq.dat: composite number
constexpr IndexLayout kIndexT{Field{0, 9}, Field{0, 9}.next(4)};   // indext.dat: birth date and sex
constexpr std::size_t kIndexQRecord = 18, kIndexQKey = kIndexQ.key.width;
constexpr std::size_t kIndexTRecord = 13, kIndexTKey = kIndexT.key.width;
static_assert(tilesRecord(std::array{kIndexQ.key, kIndexQ.athlete}, kIndexQRecord));
static_assert(tilesRecord(std::array{kIndexT.key, kIndexT.athlete}, kIndexTRecord));

// Bisection over an index file to its end, prefix comparison of the entry key with `key` (CP932
// bytes compared in byte order). Nothing found is {0, 0}; a file that cannot be opened or read, or
// whose count runs past its entries, throws TolvError naming it.
IndexHit lookUpIndex(const std::filesystem::path& file, std::size_t recordLength, const std::string& key);

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
