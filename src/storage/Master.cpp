#include "storage/Master.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tolv {

void TeamList::openTeamList(const std::filesystem::path& path)
{
    file_ = CountedRecordFile(path, TeamRecord::size, RecordFile::Mode::ReadOnly);
    TeamRecord head;
    file_.read(1, head.bytes().data());
    // A count beyond the records present is cut to what the file holds.
    count_ = static_cast<int>(file_.check(head.i16(TeamRecord::kCount.offset)).usable());
}

TeamRecord TeamList::readTeam(int n) const
{
    TeamRecord r;
    file_.readData(n, r.bytes().data());
    return r;
}

std::vector<TeamRecord> TeamList::readAllTeams() const
{
    std::vector<TeamRecord> all(static_cast<std::size_t>(count_));
    const std::string bytes = file_.readDataRange(1, count_);
    for (std::size_t i = 0; i < all.size(); ++i)
        std::copy_n(bytes.data() + i * TeamRecord::size, TeamRecord::size, all[i].bytes().data());
    return all;
}

std::optional<TeamRecord> TeamList::findTeam(const std::string& code) const
{
    std::string want = fitBytes(toCp932(code), TeamRecord::kCode.width);
    for (int n = 1; n <= count_; ++n) {
        TeamRecord r = readTeam(n);
        if (r.raw(TeamRecord::kCode) == want) return r;
    }
    return std::nullopt;
}

void AthleteList::openAthleteList(const std::filesystem::path& path)
{
    file_ = CountedRecordFile(path, AthleteRecord::size, RecordFile::Mode::ReadOnly);
    AthleteRecord head;
    file_.read(1, head.bytes().data());
    count_ = static_cast<int>(file_.check(head.i32(AthleteRecord::kCount.offset)).usable());
}

AthleteRecord AthleteList::readAthlete(int n) const
{
    AthleteRecord r;
    file_.readData(n, r.bytes().data());
    return r;
}

IndexHit lookUpIndex(const std::filesystem::path& path, std::size_t recordLength, const std::string& key)
{
    // A file that cannot be opened or read is told as such (RecordFile names it and the reason),
    // never taken for an athlete who is not there.
    RecordFile f(path, recordLength, RecordFile::Mode::ReadOnly);
    std::string rec(recordLength, '\0');
    f.read(1, rec.data());
    std::int32_t count;
    std::memcpy(&count, rec.data(), 4);
    if (count <= 0) return {};
    const long long present = f.byteSize() / static_cast<long long>(recordLength) - 1;
    enforce(count <= present,
            "登録データの索引が壊れています（件数 " + std::to_string(count) + " に対し、ファイルには " +
                std::to_string(std::max(0LL, present)) + " 件）: " + path.string(),
            ErrorKind::Damaged);
    std::string want = toCp932(key);
    const std::size_t keyWidth = recordLength - 4;
    if (want.size() > keyWidth) want.resize(keyWidth);
    // Bisection to the end: lo and hi are the entries known to be below and above the key.
    long long lo = 0, hi = static_cast<long long>(count) + 1;
    while (hi - lo > 1) {
        const long long p = lo + (hi - lo) / 2;
        f.read(p + 1, rec.data());
        // string_view compares chars as unsigned via char_traits<char>::compare (memcmp).
        const int cmp = std::string_view(rec.data(), want.size()).compare(want);
        if (cmp == 0) {
            std::int32_t athlete;
            std::memcpy(&athlete, rec.data() + keyWidth, 4);
            return {static_cast<int>(p), athlete};
        }
        if (cmp > 0) hi = p;
        else lo = p;
    }
    return {};
}

namespace {
template <typename Rec> void writeRecords(const std::filesystem::path& path, const Rec& head, const std::vector<Rec>& recs)
{
    // Record 1, the unused records up to the first data record (zeros), then the records.
    AtomicFile out(path);
    out.write(std::string_view(head.bytes().data(), Rec::size));
    out.write(std::string(CountedRecordFile::offsetOf(1, Rec::size) - Rec::size, '\0'));
    for (const Rec& r : recs) out.write(std::string_view(r.bytes().data(), Rec::size));
    out.commit();
}
} // namespace

void writeTeamList(const std::filesystem::path& path, const std::vector<TeamRecord>& teams)
{
    enforce(teams.size() <= 32767, "団体数が多すぎます");
    TeamRecord head;
    head.setI16(TeamRecord::kCount.offset, static_cast<std::int16_t>(teams.size()));
    writeRecords(path, head, teams);
}

void writeAthleteList(const std::filesystem::path& path, const std::vector<AthleteRecord>& athletes)
{
    AthleteRecord head;
    head.setI32(AthleteRecord::kCount.offset, static_cast<std::int32_t>(athletes.size()));
    writeRecords(path, head, athletes);
}

void writeIndex(const std::filesystem::path& path, std::size_t recordLength, std::size_t keyWidth,
                std::vector<std::pair<std::string, int>> entries)
{
    for (auto& e : entries) e.first = fitBytes(e.first, keyWidth);
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out(recordLength, '\0');
    auto count = static_cast<std::int32_t>(entries.size());
    std::memcpy(out.data(), &count, 4);
    for (const auto& e : entries) {
        std::string rec(recordLength, '\0');
        std::memcpy(rec.data(), e.first.data(), keyWidth);
        auto n = static_cast<std::int32_t>(e.second);
        std::memcpy(rec.data() + recordLength - 4, &n, 4);
        out += rec;
    }
    replaceFile(path, out);
}

std::string compositeNumber(const std::string& teamCode, int birth, const std::string& sexDigit)
{
    char b[16];
    std::snprintf(b, sizeof b, "%8d", birth);
    return teamCode.substr(0, 5) + b + sexDigit.substr(0, 1);
}

void writeAthleteIndexes(const std::filesystem::path& folder, const std::vector<AthleteRecord>& athletes)
{
    std::vector<std::pair<std::string, int>> q, t;
    for (std::size_t i = 0; i < athletes.size(); ++i) {
        const AthleteRecord& a = athletes[i];
        int n = static_cast<int>(i) + 1;
        for (std::size_t k = 0; k < AthleteRecord::kTeams.count; ++k) {
            std::string team = a.textBytes(AthleteRecord::kTeams.at(k));
            if (team.size() < AthleteRecord::kTeams.width || team.find_first_not_of(' ') == std::string::npos) continue;
            q.emplace_back(compositeNumber(team, a.birth(), a.sexDigit()), n);
        }
        char b[16];
        std::snprintf(b, sizeof b, "%8d", a.birth());
        t.emplace_back(std::string(b) + a.sexDigit().substr(0, 1), n);
    }
    writeIndex(folder / "indexq.dat", kIndexQRecord, kIndexQKey, q);
    writeIndex(folder / "indext.dat", kIndexTRecord, kIndexTKey, t);
}

} // namespace tolv
