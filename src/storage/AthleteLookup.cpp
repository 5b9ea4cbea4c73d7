#include "storage/AthleteLookup.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/TimeInput.h"

#include <climits>
#include <cstdio>

namespace tolv {
namespace {

namespace fs = std::filesystem;

// Characters [from, from + count) of a text, counted in code points (0-based).
std::string chars(const std::string& text, std::size_t from, std::size_t count)
{
    std::u32string u = toUtf32(text);
    if (from >= u.size()) return std::string();
    return fromUtf32(std::u32string_view(u).substr(from, count));
}
std::string chars(const std::string& text, CharPart part) { return chars(text, part.first - 1, part.count); }

// The number as the record keeps it: at most 14 characters.
std::string fourteen(const std::string& number) { return chars(number, 0, SwimmerRecord::kQBango.width); }

MasterSex sexEnum(int sex) { return sex == 2 ? MasterSex::Female : MasterSex::Male; }

std::int32_t birthOfNumber(const std::string& number)
{
    long long v = numericValue(chars(number, SwimmerRecord::kQBangoBirth));
    return (v < 0 || v > INT32_MAX) ? 0 : static_cast<std::int32_t>(v);
}

} // namespace

std::string completeCentury(const std::string& typed, const std::string& kijunBi)
{
    std::u32string number = toUtf32(typed);
    std::u32string reference = toUtf32(kijunBi);
    constexpr CharPart centuryPart = SwimmerRecord::kQBangoCentury, yearPart = SwimmerRecord::kQBangoYearTail;
    if (number.size() < yearPart.first - 1 + yearPart.count || reference.size() < 4) return typed;
    for (std::size_t i = 0; i < 4; ++i)
        if (reference[i] < U'0' || reference[i] > U'9') return typed;
    std::u32string yearTail = reference.substr(2, 2);
    std::u32string birthTail = number.substr(yearPart.first - 1, yearPart.count);
    int century = (reference[0] - U'0') * 10 + (reference[1] - U'0');
    if (!(birthTail < yearTail)) century = century > 0 ? century - 1 : 0;
    number[centuryPart.first - 1] = static_cast<char32_t>(U'0' + century / 10);
    number[centuryPart.first] = static_cast<char32_t>(U'0' + century % 10);
    return fromUtf32(number);
}

int prefectureOfNumber(const std::string& number)
{
    long long v = numericValue(chars(number, SwimmerRecord::kQBangoPrefecture));
    return v < 0 || v > 99 ? 0 : static_cast<int>(v);
}

int sexOfNumber(const std::string& number)
{
    std::u32string u = toUtf32(fourteen(number));
    if (u.empty()) return 1;
    return u.back() < U'5' ? 1 : 2;
}

int SearchList::pick(int button) const
{
    if (button < 1 || button > kPickable) return 0;
    return places[static_cast<std::size_t>(button - 1)];
}

int SearchList::sexOf(int button) const
{
    if (button < 1 || button > kPickable) return 0;
    return sexes[static_cast<std::size_t>(button - 1)];
}

SearchList fillSearchList(SearchMode mode, const SwimmerRecord& current, const std::string& unitFlags,
                          const fs::path& athleteList)
{
    SearchList list;
    if (!unitKeepsTeams(unitFlags, prefectureOfNumber(current.QBango()))) return list;
    appendToSearchList(list, mode, current, athleteList, 0);
    return list;
}

void appendToSearchList(SearchList& list, SearchMode mode, const SwimmerRecord& current, const fs::path& athleteList, int sex)
{
    if (list.lines.size() >= SearchList::kPlaces) return;
    AthleteList athletes;
    athletes.openAthleteList(athleteList);
    const long long birth = numericValue(chars(current.QBango(), SwimmerRecord::kQBangoBirth));
    const std::string_view kana = current.raw(SwimmerRecord::kKana);
    for (int j = 1; j <= athletes.count() && list.lines.size() < SearchList::kPlaces; ++j) {
        AthleteRecord a = athletes.readAthlete(j);
        std::string line;
        if (mode == SearchMode::BirthDate) {
            if (birth != a.birth()) continue;
            line = a.text(AthleteRecord::kNamae);
        } else {
            if (a.raw(AthleteRecord::kKana) != kana) continue;
            line = a.text(AthleteRecord::kNamae) + std::to_string(a.birth());
        }
        list.places[list.lines.size()] = j;
        list.sexes[list.lines.size()] = sex;
        list.lines.push_back(line);
    }
}

SwimmerRecord appliedAthlete(const SwimmerRecord& current, const AthleteRecord& a, const std::string& number,
                             const EntryHeader& header, const ApplySources& sources)
{
    SwimmerRecord s = current;
    const std::string num = fourteen(number);
    s.setQBango(num);

    // Same-width fields are copied byte for byte.
    s.setTextBytes(SwimmerRecord::kBango, a.raw(AthleteRecord::kBango));
    s.setTextBytes(SwimmerRecord::kNamae, a.raw(AthleteRecord::kNamae));
    s.setTextBytes(SwimmerRecord::kKana, a.raw(AthleteRecord::kKana));
    s.setTorobi(a.torobi());

    const int prefecture = prefectureOfNumber(num);
    std::optional<Prefecture> pref;
    if (prefecture > 0) pref = readPrefecture(sources.prefectureTable, prefecture);
    s.setTextBytes(SwimmerRecord::kKen, pref ? toCp932(pref->name) : std::string());
    s.setTextBytes(SwimmerRecord::kKenKana, pref ? toCp932(pref->reading) : std::string());

    const std::string teamCode = toCp932(chars(num, SwimmerRecord::kQBangoTeam));
    std::string shortName, shortKana;
    if (unitKeepsTeams(sources.unitFlags, prefecture)) {
        TeamList teams;
        teams.openTeamList(sources.teamList);
        if (auto t = teams.findTeam(chars(num, SwimmerRecord::kQBangoTeam))) {
            shortName = std::string(t->raw(TeamRecord::kShortName));
            shortKana = std::string(t->raw(TeamRecord::kShortKana));
        }
    }
    s.setTextBytes(SwimmerRecord::kShozoku, shortName);
    s.setTextBytes(SwimmerRecord::kShozokuKana, shortKana);

    const std::int32_t birth = birthOfNumber(num);
    s.setGakunen(gradeCode(birth, a.gradeShift(), header.kijunBi(), header.kubun()));
    s.setNenrei(static_cast<std::int16_t>(ageOn(birth, header.kijunBi())));

    s.setSei(sexOfNumber(num) == 1 ? "1" : "2");
    int position = 0;
    for (int i = 0; i < 5 && position == 0; ++i)
        if (teamCode.size() == 5 && a.raw(AthleteRecord::kTeams.at(std::size_t(i))) == teamCode) position = i + 1;
    s.setShuFuku(std::to_string(position));
    s.setTextBytes(SwimmerRecord::kShubetu, a.raw(AthleteRecord::kShubetu));
    return s;
}

// --- AthleteLookup ------------------------------------------------------------------------------

AthleteLookup::AthleteLookup(Session& session, fs::path registrationRoot, fs::path ctlDir, fs::path tempDir)
    : session_(session), root_(std::move(registrationRoot)), ctl_(std::move(ctlDir)), temp_(std::move(tempDir))
{
}

fs::path AthleteLookup::unitFlagsPath() const
{
    return session_.internet() ? temp_ / "kanriken.ctl" : findNoCase(root_, "kanriken.ctl");
}

fs::path AthleteLookup::prefectureTablePath() const { return findNoCase(ctl_, "ken.ctl"); }

void AthleteLookup::loadUnitFlags() { flags_ = readUnitFlags(unitFlagsPath()); }

MasterPaths AthleteLookup::masterPaths(int prefecture, int sex) const
{
    if (session_.internet()) return downloadedMasterPaths(temp_);
    return localMasterPaths(root_, prefecture, sexEnum(sex));
}

MasterPaths AthleteLookup::currentMasterPaths(const std::string& number) const
{
    int prefecture = prefectureOfNumber(number);
    if (prefecture <= 0) prefecture = session_.masterPrefecture;
    std::u32string u = toUtf32(fourteen(number));
    int sex = session_.masterSex ? session_.masterSex : 1;
    if (u.size() == 14 && u.back() != U' ') sex = sexOfNumber(number);
    if (session_.internet()) return downloadedMasterPaths(temp_);
    return localMasterPaths(root_, prefecture, sexEnum(sex));
}

void AthleteLookup::ensureMaster(int prefecture, int sex)
{
    if (!session_.internet()) return;
    if (session_.masterPrefecture == prefecture && session_.masterSex == sex) return;
    // A master fetched earlier in the run waits in temp; the one in use joins it.
    useMasterFiles(session_.unitUrl(), prefecture, sexEnum(sex), temp_, unitKeepsTeams(flags_, prefecture),
                   session_.masterPrefecture, sexEnum(session_.masterSex ? session_.masterSex : 1));
    session_.masterPrefecture = prefecture;
    session_.masterSex = sex;
}

std::string AthleteLookup::masterLocation() const
{
    if (!session_.internet()) return toStoredPath(root_, true);
    if (session_.masterPrefecture <= 0) return session_.unitFolder();
    return session_.unitFolder() + prefectureFolderName(session_.masterPrefecture) + "/" +
           sexFolderName(sexEnum(session_.masterSex), false) + "/";
}

ApplySources AthleteLookup::sources(const MasterPaths& paths) const
{
    return ApplySources{prefectureTablePath(), flags_, paths.teamList};
}

AthleteRecord AthleteLookup::readAthlete(const MasterPaths& paths, int prefecture, int athlete) const
{
    AthleteList list;
    try {
        list.openAthleteList(paths.athleteList);
    } catch (const TolvError&) {
        // A local root without this prefecture's folders gets them, as the first open of the
        // athlete list does; the list itself is still missing then, which is reported.
        if (session_.internet() || prefecture <= 0) throw;
        createLocalMasterFolders(root_, prefecture);
        list.openAthleteList(paths.athleteList);
    }
    enforce(athlete >= 1 && athlete <= list.count(), "索引の選手番号 " + std::to_string(athlete) + " は選手リストにありません（" +
                                                         std::to_string(list.count()) + " 人）: " + paths.athleteList.string());
    return list.readAthlete(athlete);
}

LookupResult AthleteLookup::byNumber(const SwimmerRecord& current, const std::string& number, const EntryHeader& header,
                                     const AthletePicker& pick)
{
    const std::string num = fourteen(number);
    LookupResult result;
    result.record = current;
    result.record.setQBango(num);
    // An incomplete number would find, by the prefix comparison of the index, whichever athlete
    // the bisection meets first: it is looked up only when complete.
    if (toUtf32(num).size() < 14) return result;
    const int prefecture = prefectureOfNumber(num);
    const int sex = sexOfNumber(num);
    ensureMaster(prefecture, sex);
    const MasterPaths paths = masterPaths(prefecture, sex);
    enforce(fs::exists(paths.indexQ), "登録データがありません: " + paths.indexQ.string());

    int athlete = 0;
    IndexHit hit = lookUpIndex(paths.indexQ, kIndexQRecord, num);
    if (hit.position > 0) {
        athlete = hit.athlete;
    } else if (unitKeepsTeams(flags_, prefecture)) {
        IndexHit byBirth = lookUpIndex(paths.indexT, kIndexTRecord, chars(num, SwimmerRecord::kQBangoBirth));
        if (byBirth.position > 0) {
            SearchList list = fillSearchList(SearchMode::BirthDate, result.record, flags_, paths.athleteList);
            athlete = pick ? list.pick(pick(list)) : 0;
        }
    }
    if (athlete == 0) return result;

    AthleteRecord a = readAthlete(paths, prefecture, athlete);
    result.record = appliedAthlete(result.record, a, num, header, sources(paths));
    result.athlete = a;
    result.found = true;
    session_.masterPrefecture = prefecture;
    session_.masterSex = sex;
    return result;
}

static std::vector<int> readingSexes(const SwimmerRecord& current)
{
    // The sex chosen in the sex box narrows the search; "混合" or none searches both lists.
    const int chosen = SwimmerRecord::digitValue(current.sei());
    if (chosen == 1 || chosen == 2) return {chosen};
    return {1, 2};
}

LookupResult AthleteLookup::byReading(const SwimmerRecord& current, const EntryHeader& header, const AthletePicker& pick)
{
    const std::string typed = current.QBango();
    const int prefecture = prefectureOfNumber(typed);
    LookupResult result;
    result.record = current;
    // Without a team list for the prefecture nothing is listed: no master file is needed.
    if (!unitKeepsTeams(flags_, prefecture)) return result;

    // The athlete lists of both sexes (or of the chosen one), male lines first. In internet mode
    // the temp folder holds one sex at a time: each is fetched in turn.
    SearchList list;
    for (int sex : readingSexes(current)) {
        ensureMaster(prefecture, sex);
        const MasterPaths paths = masterPaths(prefecture, sex);
        if (!fs::exists(paths.athleteList)) continue; // a sex without registered athletes
        appendToSearchList(list, SearchMode::Reading, current, paths.athleteList, sex);
    }
    const int line = (!list.lines.empty() && pick) ? pick(list) : 0;
    const int athlete = list.pick(line);
    if (athlete == 0) return result;

    const int sex = list.sexOf(line);
    ensureMaster(prefecture, sex);
    const MasterPaths paths = masterPaths(prefecture, sex);
    AthleteRecord a = readAthlete(paths, prefecture, athlete);
    std::string number = compositeNumber(chars(typed, SwimmerRecord::kQBangoTeam), a.birth(), a.sexDigit());
    result.record = appliedAthlete(current, a, number, header, sources(paths));
    result.athlete = a;
    result.found = true;
    session_.masterPrefecture = prefecture;
    session_.masterSex = sex;
    return result;
}

SearchList AthleteLookup::searchList(SearchMode mode, const SwimmerRecord& current) const
{
    const std::string typed = current.QBango();
    if (!unitKeepsTeams(flags_, prefectureOfNumber(typed))) return SearchList();
    const MasterPaths paths =
        mode == SearchMode::BirthDate ? masterPaths(prefectureOfNumber(typed), sexOfNumber(typed)) : currentMasterPaths(typed);
    return fillSearchList(mode, current, flags_, paths.athleteList);
}

// --- the new-entry run -------------------------------------------------------------------------

std::string presetTime(const std::optional<AthleteRecord>& athlete, int slot, int course)
{
    std::int32_t best = 0;
    if (athlete && slot >= 0 && slot < kIndividualSlots) best = athlete->best(slot, course == 1 ? 1 : 0);
    return best == 0 ? "66" : std::to_string(best);
}

std::optional<std::int32_t> typedTime(const std::string& text, int caret)
{
    if (text == "66") return kMarkEntered;
    std::string part = caret <= 0 ? text : chars(text, 0, static_cast<std::size_t>(caret));
    return parseTime(part);
}

NewEntryRun::NewEntryRun(EntryStore& store) : store_(store), number_(store.header().total() + 1) { store_.readSwimmer(0); }

SwimmerRecord& NewEntryRun::record() { return store_.swimmer(); }
const SwimmerRecord& NewEntryRun::record() const { return store_.swimmer(); }

void NewEntryRun::take(const LookupResult& r)
{
    store_.swimmer() = r.record;
    if (r.found) athlete_ = r.athlete;
}

std::string NewEntryRun::preset(int slot) const { return presetTime(athlete_, slot, store_.header().course()); }

bool NewEntryRun::storeTime(int slot, const std::string& text, int caret)
{
    if (slot < 0 || slot >= kEventSlots) return false;
    auto t = typedTime(text, caret);
    if (!t) return false;
    store_.swimmer().setKiro(slot, *t);
    return true;
}

void NewEntryRun::finish()
{
    SwimmerRecord s = store_.swimmer();
    s.setSeq(number_);
    EntryHeader h = store_.header();
    h.setTotal(number_);
    store_.writeSwimmer(number_, s, h);
    // What the buffer shows is the record as read back, as for any other swimmer.
    store_.readSwimmer(number_);
}

int deleteSwimmer(EntryStore& store, int shown)
{
    const int total = store.header().total();
    enforce(shown >= 1 && shown <= total, "削除する選手がありません: " + std::to_string(shown));
    EntryHeader h = store.header();
    h.setTotal(total - 1);
    if (shown == total) {
        store.writeHeader(h, store.reserve());
        store.readSwimmer(total - 1);
        return total - 1;
    }
    // The last swimmer takes the deleted one's place and number; the count and the moved record
    // reach the disk in one write, and the store adopts them after it.
    SwimmerRecord last = store.swimmerAt(total);
    EntryStore::readIntoBuffer(last);
    last.setSeq(shown);
    store.writeSwimmer(shown, last, h);
    store.readSwimmer(shown);
    return shown;
}

} // namespace tolv
