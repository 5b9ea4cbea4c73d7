#pragma once
// Appending the swimmers of other files to an entry file: entry files of this system copied record
// for record, or comma-separated files of any origin read through a reading format. Optionally every
// appended swimmer whose old number the registration master knows is filled from the master.
//
// A source is read and checked whole before anything is written (prepareSource), and all prepared
// sources are appended with one whole-file replacement of the entry file (appendSources): an
// interruption leaves the file as it was or with every record and the new count.
#include "merge/CsvItems.h"
#include "merge/ReadingFormats.h"
#include "storage/Backups.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/Records.h"

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {
class AthleteLookup;
}

namespace tolv::merge {

// The kind of a selected file, by the last three characters of its path (case-sensitive).
enum class SourceKind { Entry, TeamTotals, Csv, Txt, Other };
struct SourceClass {
    SourceKind kind;
    std::string sys;  // lblSys: "tolvsys", "csv", "txt" or the last three characters
    std::string note; // lblChuui
};
SourceClass classifySource(const std::string& path);
// The same, with an entry file labelled by its structure check: a damaged or cut one is named as
// such and not "このまま結合できます"; data findings are named and do not stop the merge.
SourceClass describeSource(const std::filesystem::path& path);

// Five-character event code (stroke digit, distance in four digits) -> event number 1 … 29; 0 for
// any other text.
int eventNumberOfCode(std::string_view code);

// A time item (CP932) read by the one rule of typed times (parseTime): "1:05.23", "65.23", "10523",
// a result mark; blank is 0. Nothing when it is none of them ("12x4", "-5", "x:yy.zz").
std::optional<std::int32_t> timeOfItem(std::string_view item);

// Columns 1 … 69 of one record (index 0 unused), CP932 bytes.
using Columns = std::array<std::string, kSourceColumns + 1>;

// A comma-separated file cut into records of n items (n from its first line).
struct CsvRecords {
    int itemCount = 0;
    std::vector<std::vector<CsvItem>> records; // complete records only
    std::vector<CsvItem> rest;                 // items after the last complete record
};
CsvRecords cutCsvRecords(std::string_view bytes);

// The format's settings checked against the item count of the file; TolvError naming the problem.
void checkFormat(const ReadingFormat& format, int itemCount, const std::string& source);
// One record's items placed in the column table: item j in column j, or, in event-number mode, the
// pairs in first … last as a code and a time stored in column first + event number.
Columns placeItems(const std::vector<CsvItem>& items, const ReadingFormat& format);

// What the fields derived from the old number need.
struct Derivation {
    EntryHeader header;                    // reference date and competition kind of the entry file
    std::filesystem::path prefectureTable; // ken.ctl
    // Prefectures read so far, by code (ken.ctl is read once per prefecture): the request's, shared
    // by the sources of one merge, or the derivation's own.
    mutable std::map<int, std::optional<Prefecture>> ownPrefectures;
    std::map<int, std::optional<Prefecture>>* prefectures = &ownPrefectures;
    Derivation() = default;
    Derivation(const Derivation&) = delete;
    Derivation& operator=(const Derivation&) = delete;
};
// The swimmer record a placed record gives (sequence field 0). `line` names the record's line in
// messages.
SwimmerRecord swimmerFromColumns(const Columns& columns, const ReadingFormat& format, const Derivation& d,
                                 const std::string& where);

// The registration-master preference for one record: looked up by its old number unless the
// management-unit flags exclude its prefecture ("0"), through the same look-up as the entry window
// (AthleteLookup::byNumber, no choosing among athletes of the same birth date). When found, number,
// name, reading, prefecture, affiliation, grade, age, registration kind, categories and registration
// date come from the master; old number, sex code, times (with their marks) and the rest stay. A
// prefecture and sex whose master is not in the (local) registration folder finds nothing. Returns
// true when the master supplied data.
bool preferMaster(SwimmerRecord& s, AthleteLookup& lookup, const EntryHeader& header);

struct MergeRequest {
    const ReadingFormat* format = nullptr; // for sources read as comma-separated files
    AthleteLookup* preferMaster = nullptr; // set: registration-master preference
    std::filesystem::path prefectureTable; // ken.ctl, for the fields a comma-separated record derives
    // The prefectures of ken.ctl read so far, shared by the sources of one merge (a request is made
    // for each merge, so a table changed between merges is read again).
    mutable std::map<int, std::optional<Prefecture>> prefectures;
};

struct PreparedSource {
    std::filesystem::path path;
    std::vector<SwimmerRecord> swimmers;
    int itemCount = 0;  // comma-separated: items per record
    int fromMaster = 0; // swimmers the master filled
    long long size = 0; // the source's bytes, for the merge record
    std::string digest;
    // An earlier merge of the same bytes into the entry file (refused unless merged again on purpose).
    std::optional<MergedSource> mergedBefore;
    // The data findings of the source ("重複番号 2 件…"): listed after the merge, never
    // refused.
    std::string findings;
};

// Reads and checks one source against the open entry file; nothing is written. Refused: the entry
// file itself, a team totals file (".zed"/".ZED"), a file with damage (not a sound entry file of
// this system), a comma-separated file that does not fit the format (more than 69 items, columns
// outside 1 … 69, a record cut off at the end, a time that is not a time of the time coding).
PreparedSource prepareSource(const std::filesystem::path& source, const EntryStore& target, const MergeRequest& request);

// For a source merged before: the refusal (command line, pointing to --again) and the window's question.
std::string mergedBeforeMessage(const PreparedSource& p);
std::string mergedBeforeQuestion(const PreparedSource& p);

// Appends every prepared source in order with one whole-file replacement (automatic backup first)
// and records each in the entry file's merge record. Refused, with nothing written, when the
// swimmers would pass kMaxSwimmers: the message names the source that passes it.
void appendSources(EntryStore& target, const std::vector<PreparedSource>& sources);

// The lines that list the sources' data findings after a merge, one per source that has any.
std::vector<std::string> findingLines(const std::vector<PreparedSource>& sources);

// --- preview ---------------------------------------------------------------------------------------

// The records of a comma-separated file for the preview: n items each from the start of the file
// (title records included), a short last record as it is.
struct CsvPreview {
    int itemCount = 0;
    std::vector<std::vector<std::string>> records; // UTF-8
};
CsvPreview readCsvPreview(const std::filesystem::path& path);
// The target-field previews for one record: item n of the column reference, with "+" item n, an
// ideographic space and item n + 1 (for every field).
std::array<std::string, kTargetFields> previewTargets(const std::vector<std::string>& items,
                                                      const std::array<std::string, kTargetFields>& refs);
// The previews of a stored swimmer: number, old number, reading, name, affiliation, its kana and the
// times of slots 0 … 28 in their display form.
std::array<std::string, kTargetFields> previewSwimmer(const SwimmerRecord& s);

} // namespace tolv::merge
