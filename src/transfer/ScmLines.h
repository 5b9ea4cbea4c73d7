#pragma once
// The lines of the SCM meet files: swimmer file ScmSwimmerdt.csv (link and media forms, 51
// columns), team file Scmdt.csv (85 columns) and relay file RELAYENT.csv (16 columns), shared by the
// SCM and SWM exports and the federation registration files.
#include "storage/Master.h"
#include "transfer/CsvLine.h"
#include "transfer/ExportData.h"
#include "transfer/FieldText.h"
#include "transfer/FileSet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolv::exchange {

inline constexpr std::size_t kScmSwimmerFields = 51;
inline constexpr std::size_t kScmTeamFields = 85;
inline constexpr std::size_t kRelayFields = 16;
inline constexpr std::size_t kScmSwimmersPerMedium = 450;

// The name form of a name: control characters blanked, then every ordinary blank followed by
// another ordinary blank becomes a full-width blank (a run of blanks ends in one ordinary blank).
std::string nameForm(const std::string& name);
// Characters 1-5 of the old number followed by 8-14: the 12-character registration number.
std::string registrationNumber(const SwimmerRecord& s);
// The birth date of the old number (characters 6-13) as YYYY/MM/DD.
std::string birthDateText(const SwimmerRecord& s);
// Sex code, birth date YYMMDD, the name form without any blank (the key of jpnnewsmer.csv).
std::string matchKey(const SwimmerRecord& s);
// 23 entry flags (individual slots 0-21, then "any relay") and the 24 time groups of 6 characters.
std::string entryFlags(const SwimmerRecord& s);
std::string entryTimeGroups(const SwimmerRecord& s, std::size_t n);

// The text fields of a swimmer as the swimmer lines use them, in CP932 (fieldBytes), and the
// columns made of them; read() is false when a field is no plain CP932 text.
struct SwimmerBytes {
    std::string bango, q, namae, kana, sei, shuFuku, grade, shubetu;
    std::string team, number, birth, nameInForm, name7, matchKey, familyLength;
    bool read(const SwimmerRecord& s);
    std::string_view kanaTrimmed() const; // trailing blanks removed
};

// One swimmer line. `k` is the swimmer's position 1..N; `n` its record number (for messages);
// `kijunBi` the reference date as stored (10 characters) and `timeOfDay` hh:mm:ss.
CsvLine scmSwimmerLinkLine(const SwimmerRecord& s, long long k, const std::string& kijunBi, const std::string& timeOfDay);
CsvLine scmSwimmerMediaLine(const SwimmerRecord& s, long long k, std::size_t n, const std::string& kijunBi,
                            const std::string& timeOfDay);

// The swimmer lines of a file (`file` names it in messages) written straight into its bytes: the
// text fields are copied as CP932, not decoded and encoded again. A swimmer whose fields are no
// plain CP932 text gets the line scmSwimmerLinkLine / scmSwimmerMediaLine builds, encoded: the
// same bytes, or the same error naming the swimmer.
class ScmSwimmerLines {
public:
    ScmSwimmerLines(bool media, std::string kijunBi, std::string timeOfDay, const char* file);
    void append(std::string& out, const SwimmerRecord& s, long long k, std::size_t n);

private:
    bool media_;
    std::string kijun_, time_;
    const char* file_;
    bool made_ = false; // the columns every line shares have a CP932 form
    std::string middle_, afterKey_, end_;
    SwimmerBytes b_;
    std::string shubetu_;
};

// The SWM floppy's RIZARUTO.csv line (13 columns; SwmFloppyExport.cpp) of swimmer n of the entry
// file, the k-th of its team, and the same lines written as the SCM lines are.
CsvLine rizarutoLine(const SwimmerRecord& s, long long k, std::size_t n);
class RizarutoLines {
public:
    void append(std::string& out, const SwimmerRecord& s, long long k, std::size_t n);

private:
    SwimmerBytes b_;
};

// Team kind code from a register team name (the last matching word wins; "9" when none).
std::string teamKindCode(const std::string& teamName);
// The 85-column team line of a register team.
CsvLine scmTeamLine(const TeamRecord& team, const std::string& kijunBi, const std::string& timeOfDay);

// The team lines of every team of the team totals file beside the entry file, each looked up in
// its prefecture's register: no line for a team missing from a non-empty register (named in
// `notes`) nor for any team of an empty register. A missing totals file or a register that cannot
// be opened is an error.
std::vector<std::string> teamFileLines(const fs::path& entryPath, const MasterSource& master, const std::string& kijunBi,
                                       const std::string& timeOfDay, std::vector<std::string>& notes);

// The relay lines: one per swimmer and relay slot 22-28 with 0 < time < 666666, numbered on. With
// `schoolLevel` (the SWM file) column 10 holds the first character of the grade code. Written as
// the swimmer lines are: copied as CP932, or built through fieldText when a field is no plain text.
class RelayLines {
public:
    RelayLines(const EntryHeader& header, bool schoolLevel);
    // The lines of swimmer n appended to `out`, numbered on from `r`.
    void append(std::string& out, const SwimmerRecord& s, std::size_t n, long long& r);
    // The same lines built through fieldText and encoded (what append falls back to).
    void appendAsText(std::string& out, const SwimmerRecord& s, std::size_t n, long long& r);

private:
    static bool hasRelay(const SwimmerRecord& s);

    bool schoolLevel_, prefectureBody_;
    std::string tcod_, course_, tcodBytes_;
    bool made_ = false;
    std::string q_, name_, kana_, sei_, grade_, teamCode_;
};

// The relay file of every swimmer as the next file of `set`.
void writeRelayFile(FileSetWriter& set, const fs::path& path, const std::string& header, const EntryData& data, bool schoolLevel);

} // namespace tolv::exchange
