#include "reports/Tally.h"

#include "platform/Cp932.h"
#include "platform/AtomicFile.h"
#include "platform/FileReading.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "reports/ReportText.h"
#include "storage/Backups.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/DownloadLayout.h"
#include "storage/EntryStore.h"
#include "storage/Master.h"
#include "storage/RecordFile.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>

namespace tolv::reports {

namespace fs = std::filesystem;

namespace {

// Names the tally gives fee items 0..7 when it creates a team.
const char* const kTallyFeeNames[8] = {"男子（主）", "その他",   "女子（主）", "その他",
                                       "個人男子",   "個人女子", "リレー男子", "リレー女子"};

constexpr std::int32_t kFirstUncountedTime = kMarkEntered + 1; // 666667: result marks and above

void add16(TeamTotalRecord& t, int item, long long n) { t.setQuantity(item, checked16(t.quantity(item) + n)); }

bool isRelaySlot(int slot, const ReserveEvents& reserve)
{
    if (slot < kIndividualSlots) return false;
    if (slot < kFirstReserveSlot) return true;
    return reserve.isRelay(slot - kFirstReserveSlot);
}

} // namespace

std::string teamKeyOf(const SwimmerRecord& s, int botai)
{
    std::string_view q = s.raw(SwimmerRecord::kQBango);
    constexpr std::size_t width = SwimmerRecord::kQBangoTeam.count;
    if (botai == kBotaiPrefecture) return fitBytes(SwimmerRecord::kQBangoPrefecture.of(q) + "000", width);
    return fitBytes(SwimmerRecord::kQBangoTeam.of(q), width);
}

TallyResult computeTally(const EntryStore& store, int botai, const ZedControlRecord& oldControl, const MasterSource& master)
{
    TallyResult r;
    r.control = oldControl;

    // Pass 1: teams in order of first appearance, person and per-event counts.
    std::unordered_map<std::string, std::size_t> teamOfKey;
    for (const SwimmerRecord& s : store.readAllSwimmers()) {
        std::string key = teamKeyOf(s, botai);
        auto found = teamOfKey.find(key);
        if (found == teamOfKey.end()) {
            checked16(static_cast<long long>(r.teams.size()) + 1);
            TeamTotalRecord t = TeamTotalRecord::cleared();
            t.setKeyBytes(key);
            // Copied texts drop NUL padding and are blank-padded like every text of the file.
            if (botai == kBotaiPrefecture) {
                t.setTextBytes(TeamTotalRecord::kShortName, s.textBytes(SwimmerRecord::kKen));
                t.setTextBytes(TeamTotalRecord::kScoreboard, s.textBytes(SwimmerRecord::kKenKana));
            } else {
                t.setTextBytes(TeamTotalRecord::kShortName, s.textBytes(SwimmerRecord::kShozoku));
                t.setTextBytes(TeamTotalRecord::kScoreboard, s.textBytes(SwimmerRecord::kShozokuKana));
            }
            for (int k = 0; k < 8; ++k) r.control.setFeeName(k, kTallyFeeNames[k]);
            r.teams.push_back(t);
            found = teamOfKey.emplace(std::move(key), r.teams.size() - 1).first;
        }
        TeamTotalRecord* team = &r.teams[found->second];

        const std::string sei = s.sei();
        const bool main = s.shuFuku() == "1";
        long long grade = numericValue(s.gakunen());
        if (grade < 75 || grade > 81) {
            if (sei == "1") add16(*team, main ? 0 : 1, 1);
            else if (sei == "2") add16(*team, main ? 2 : 3, 1);
            else add16(*team, 14, 1);
        }
        const auto side = sei == "2" ? TeamTotalRecord::Women : TeamTotalRecord::Men;
        for (int slot = 0; slot < kEventSlots; ++slot) {
            std::int32_t v = s.kiro(slot);
            if (v != 0 && v < kFirstUncountedTime) team->setEntries(slot, side, checked16(team->entries(slot, side) + 1LL));
        }
    }

    // Pass 2: master data and the individual / relay entry quantities.
    const std::string flags = r.teams.empty() ? std::string() : readUnitFlags(master.unitFlagsFile());
    const std::string kijun = store.header().kijunBi();
    const std::string kijunMonth = kijun.substr(0, 4) + (kijun.size() >= 7 ? kijun.substr(5, 2) : std::string());
    // Each team list is read whole once; a code found twice keeps its first team, as a scan would.
    using TeamsByCode = std::unordered_map<std::string, TeamRecord>;
    std::map<fs::path, std::optional<TeamsByCode>> lists;
    for (TeamTotalRecord& t : r.teams) {
        const std::string key = t.key();
        const int prefecture = static_cast<int>(numericValue(leftChars(key, 2)));
        if (numericValue(key) != 0 && prefecture >= 1 && prefecture <= 99 && unitKeepsTeams(flags, prefecture)) {
            fs::path file = master.teamListFile(prefecture);
            auto it = lists.find(file);
            if (it == lists.end()) {
                std::optional<TeamsByCode> byCode;
                try {
                    TeamList list;
                    list.openTeamList(file);
                    byCode.emplace();
                    for (TeamRecord& m : list.readAllTeams())
                        byCode->emplace(std::string(m.raw(TeamRecord::kCode)), std::move(m));
                } catch (const TolvError&) {
                    byCode.reset();
                    r.missingMasters.push_back(file);
                }
                it = lists.emplace(file, std::move(byCode)).first;
            }
            if (it->second) {
                auto found = it->second->find(fitBytes(toCp932(key), 5));
                if (found != it->second->end()) {
                    const TeamRecord* m = &found->second;
                    t.setTextBytes(TeamTotalRecord::kName, m->textBytes(TeamRecord::kName));
                    t.setTextBytes(TeamTotalRecord::kRepresentative, m->textBytes(TeamRecord::kPerson.at(0)));
                    t.setTextBytes(TeamTotalRecord::kPostal, m->textBytes(TeamRecord::kPostal.at(0)));
                    t.setTextBytes(TeamTotalRecord::kAddress1, m->textBytes(TeamRecord::addressField(0, 0)));
                    t.setTextBytes(TeamTotalRecord::kAddress2, m->textBytes(TeamRecord::addressField(0, 1)));
                    t.setTextBytes(TeamTotalRecord::kPhone, m->textBytes(TeamRecord::kPhone.at(0)));
                    std::string date = std::to_string(m->furtherNumber());
                    t.setMonthFlag(date.size() >= 6 && date.substr(0, 6) == kijunMonth ? "1" : "");
                }
            }
        }
        // Every individual slot is charged, the 25 m freestyle of slot 0 included.
        for (int slot = 0; slot < kEventSlots; ++slot) {
            int base = isRelaySlot(slot, store.reserve()) ? 6 : 4;
            add16(t, base, t.entries(slot, TeamTotalRecord::Men));
            add16(t, base + 1, t.entries(slot, TeamTotalRecord::Women));
        }
    }
    r.control.setTeamCount(checked16(static_cast<long long>(r.teams.size())));
    return r;
}

TallyResult runTally(const EntryStore& store, int botai, const MasterSource& master, Prompt* prompt)
{
    enforce(store.isOpen(), "申込ファイルが開かれていません");
    const fs::path path = teamTotalsPath(store.path());
    // Counted first, then written whole under the file's lock: an overflow, a full disk or a kill
    // leaves the old file as it was. Records beyond the new team count stay as they were.
    FileLock lock(path, FileLock::Kind::Exclusive);
    // A totals file not there yet is made now.
    std::string image = readFileIfPresent(path).value_or(std::string());
    ZedControlRecord old = ZedControlRecord::fresh();
    if (image.size() >= 11) {
        std::string first = image.substr(0, kZedRecordLength);
        first.resize(kZedRecordLength, '\0');
        std::copy_n(first.data(), kZedRecordLength, old.bytes().data());
    }
    TallyResult r = computeTally(store, botai, old, master);
    const std::size_t need = r.teams.empty()
                                 ? kZedRecordLength
                                 : CountedRecordFile::offsetOf(static_cast<long long>(r.teams.size()) + 1, kZedRecordLength);
    if (image.size() < need) image.resize(need, '\0');
    std::copy_n(r.control.bytes().data(), kZedRecordLength, image.data());
    for (std::size_t i = 0; i < r.teams.size(); ++i)
        std::copy_n(r.teams[i].bytes().data(), kZedRecordLength,
                    image.data() + CountedRecordFile::offsetOf(static_cast<long long>(i) + 1, kZedRecordLength));
    // The amounts and quantities typed in the lists window are reset: the file as it was is kept
    // as a backup, so that undo brings them back.
    makeBackup(store.path(), "tally");
    replaceFile(path, image);
    noteEntryWritten(store.path());
    if (prompt && !r.missingMasters.empty()) {
        std::string msg = "団体マスタを開けませんでした。団体名・住所は空白のままです。";
        for (const fs::path& p : r.missingMasters) msg += "\n" + p.string();
        prompt->tell(msg);
    }
    return r;
}

} // namespace tolv::reports
