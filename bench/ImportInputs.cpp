#include "ImportInputs.h"

#include "exchange/NitibanImport.h"
#include "merge/ReadingFormats.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <vector>

namespace tolvbench {

namespace fs = std::filesystem;
using namespace tolv;

namespace {

// Stroke digit and distance of each standard slot (0-28), as the import files code them.
struct Event {
    char stroke;
    int metres;
};
const Event kEvents[29] = {{'1', 25},  {'1', 50},  {'1', 100}, {'1', 200}, {'1', 400}, {'1', 800}, {'1', 1500}, {'2', 25},
                           {'2', 50},  {'2', 100}, {'2', 200}, {'3', 25},  {'3', 50},  {'3', 100}, {'3', 200},  {'4', 25},
                           {'4', 50},  {'4', 100}, {'4', 200}, {'5', 100}, {'5', 200}, {'5', 400}, {'7', 100},  {'7', 200},
                           {'7', 400}, {'6', 100}, {'6', 200}, {'6', 400}, {'6', 800}};
// The web entry files' distance digit of each slot (swent.txt and swteam.txt).
const char kWebDistance[29] = {'1', '2', '3', '4', '6', '7', '8', '1', '2', '3', '4', '1', '2', '3', '4',
                               '1', '2', '3', '4', '3', '4', '6', '3', '4', '5', '3', '4', '5', '6'};
// The results files' distance digit of each slot.
const char kResultsDistance[29] = {'1', '2', '3', '4', '5', '6', '7', '1', '2', '3', '4', '1', '2', '3', '4',
                                   '1', '2', '3', '4', '3', '4', '5', '3', '4', '5', '3', '4', '5', '6'};

bool isTime(std::int32_t v) { return v > 0 && v < 1000000 && v != kMarkEntered; }

// Field bytes of a record, NULs as blanks, trailing blanks dropped.
std::string field(const SwimmerRecord& s, Field f)
{
    std::string r(s.raw(f));
    std::replace(r.begin(), r.end(), '\0', ' ');
    r.erase(r.find_last_not_of(' ') + 1);
    return r;
}

// Bytes laid into a line at 1-based position `at`, blank-padded or cut to `width`.
void put(std::string& line, std::size_t at, std::size_t width, std::string text)
{
    text.resize(width, ' ');
    line.replace(at - 1, width, text);
}

std::string twoDigits(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v % 100);
    return b;
}

// The line with its sequence number right-aligned in `width` and the padding removed again: each
// line of the web files begins with its number unpadded.
std::string numbered(std::string line, std::size_t width, int seq)
{
    const std::string n = std::to_string(seq);
    put(line, 1, width, std::string(width - n.size(), ' ') + n);
    return line.substr(width - n.size());
}

std::string clock(std::int32_t v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%d:%02d.%02d", v / 10000, v / 100 % 100, v % 100);
    return b;
}

void writeText(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    replaceFile(file, text);
}

// The federation file's header and reserve records and then `records`, as an entry file.
std::string entryImage(const EntryStore& store, const std::vector<SwimmerRecord>& records)
{
    EntryHeader h = store.header();
    h.setTotal(static_cast<std::int32_t>(records.size()));
    std::string bytes;
    bytes.reserve((records.size() + 10) * kEntryRecordLength);
    bytes.append(h.bytes().data(), kEntryRecordLength);
    bytes.append(store.reserve().bytes().data(), kEntryRecordLength);
    bytes.append(8 * kEntryRecordLength, '\0');
    for (const SwimmerRecord& s : records) bytes.append(s.bytes().data(), kEntryRecordLength);
    return bytes;
}

void writeWeb(const std::vector<SwimmerRecord>& all, const fs::path& dir)
{
    std::string comp, ent, team;
    int relays = 0;
    // The sequence numbers have four digits: a web entry holds at most 9999 competitors and relays.
    for (std::size_t i = 0; i < all.size() && i < 9999; ++i) {
        const SwimmerRecord& s = all[i];
        const int seq = static_cast<int>(i) + 1;
        const std::string q = field(s, SwimmerRecord::kQBango) + std::string(14, ' ');
        std::string c(228, ' ');
        put(c, 10, 1, field(s, SwimmerRecord::kSei));
        put(c, 11, 20, field(s, SwimmerRecord::kNamae));
        put(c, 31, 16, field(s, SwimmerRecord::kKana));
        put(c, 64, 20, field(s, SwimmerRecord::kShozoku));
        put(c, 84, 6, field(s, SwimmerRecord::kShozokuKana));
        put(c, 207, 12, q.substr(0, 5) + q.substr(7, 7)); // the old number with a two-digit year
        put(c, 222, 7, field(s, SwimmerRecord::kBango));
        comp += numbered(c, 4, seq) + "\r\n";
        for (int slot = 0; slot < 29; ++slot) {
            const std::int32_t t = s.kiro(slot);
            if (!isTime(t)) continue;
            const std::string mm = twoDigits(t / 10000), ss = twoDigits(t / 100 % 100), hh = twoDigits(t % 100);
            if (slot < kIndividualSlots) {
                std::string e(25, ' ');
                put(e, 14, 1, std::string(1, kEvents[slot].stroke));
                put(e, 15, 1, std::string(1, kWebDistance[slot]));
                put(e, 18, 2, mm);
                put(e, 21, 2, ss);
                put(e, 24, 2, hh);
                ent += numbered(e, 5, seq) + "\r\n";
            } else if (relays < 9999) {
                std::string r(153, ' ');
                put(r, 16, 3, q.substr(2, 3));
                put(r, 99, 2, q.substr(0, 2));
                put(r, 122, 1, field(s, SwimmerRecord::kSei));
                put(r, 138, 1, std::string(1, kEvents[slot].stroke));
                put(r, 143, 1, std::string(1, kWebDistance[slot]));
                put(r, 146, 2, mm);
                put(r, 149, 2, ss);
                put(r, 152, 2, hh);
                team += numbered(r, 4, ++relays) + "\r\n";
            }
        }
    }
    writeText(dir / "swcomp.txt", comp);
    writeText(dir / "swent.txt", ent);
    writeText(dir / "swteam.txt", team);
}

void writeResults1(const std::vector<SwimmerRecord>& all, const fs::path& dir)
{
    std::string out;
    for (const SwimmerRecord& s : all) {
        int slot = 0;
        while (slot < 28 && !isTime(s.kiro(slot))) ++slot;
        std::vector<std::string> f(36);
        const std::string q = field(s, SwimmerRecord::kQBango) + std::string(14, ' ');
        const std::string grade = field(s, SwimmerRecord::kGakunen) + "  ";
        f[0] = field(s, SwimmerRecord::kSei);
        f[1] = std::string(1, kEvents[slot].stroke);
        f[2] = std::string(1, kResultsDistance[slot]);
        f[9] = field(s, SwimmerRecord::kShozoku);
        f[10] = field(s, SwimmerRecord::kBango);
        f[12] = field(s, SwimmerRecord::kNamae);
        f[13] = q.substr(5, 4) + "/" + q.substr(9, 2) + "/" + q.substr(11, 2);
        f[26] = grade.substr(0, 1);
        f[27] = grade.substr(1, 1);
        f[30] = q.substr(0, 5);
        f[35] = isTime(s.kiro(slot)) ? clock(s.kiro(slot)) : "";
        for (std::size_t i = 0; i < f.size(); ++i) out += (i ? "," : "") + f[i];
        out += "\r\n";
    }
    writeText(dir / "Results.Dat", out);
}

// One record per event of each swimmer, as a results file holds them, up to as many records as
// the federation file has swimmers (an entry file's limit).
void writeResults2(const EntryStore& store, const std::vector<SwimmerRecord>& all, const fs::path& dir)
{
    std::vector<SwimmerRecord> records;
    records.reserve(all.size());
    for (const SwimmerRecord& s : all) {
        bool any = false;
        for (int slot = 0; slot < 29 && records.size() < all.size(); ++slot) {
            if (s.kiro(slot) == 0) continue;
            SwimmerRecord one = s;
            for (int k = 0; k < kEventSlots; ++k)
                if (k != slot) one.setKiro(k, 0);
            records.push_back(one);
            any = true;
        }
        if (!any && records.size() < all.size()) records.push_back(s);
        if (records.size() >= all.size()) break;
    }
    writeText(dir / "results.$$$", entryImage(store, records));
}

void writeNitiban(const std::vector<SwimmerRecord>& all, const fs::path& dir)
{
    std::string out;
    for (std::size_t i = 0; i < all.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%07zu", 1000000 + i % 9000000);
        out += std::to_string(i + 1) + "," + toCp932(registrationMatchKey(all[i])) + "," + field(all[i], SwimmerRecord::kNamae) +
               "," + field(all[i], SwimmerRecord::kKana) + "," + number + "\r\n";
    }
    writeText(dir / "jpnnewsmer.csv", out);
}

void writeMcompd(const std::vector<SwimmerRecord>& all, const fs::path& dir)
{
    std::string out;
    for (std::size_t i = 0; i < all.size() && i < 4000; ++i) {
        const SwimmerRecord& s = all[i];
        const std::string q = field(s, SwimmerRecord::kQBango) + std::string(14, ' ');
        std::string r(256, ' ');
        put(r, 1, 12, q.substr(0, 5) + q.substr(7, 7));
        put(r, 13, 16, field(s, SwimmerRecord::kNamae));
        put(r, 29, 12, field(s, SwimmerRecord::kShozoku));
        put(r, 45, 6, field(s, SwimmerRecord::kKen));
        put(r, 77, 2, field(s, SwimmerRecord::kGakunen));
        int k = 0;
        for (int slot = 0; slot < 29 && k < 10; ++slot) {
            if (!isTime(s.kiro(slot))) continue;
            char code[8];
            std::snprintf(code, sizeof code, "%c%4d", kEvents[slot].stroke, kEvents[slot].metres);
            char time[16];
            std::snprintf(time, sizeof time, "%8s", clock(s.kiro(slot)).c_str());
            put(r, 79 + 14 * std::size_t(k), 14, std::string(code) + " " + time);
            ++k;
        }
        put(r, 221, 20, field(s, SwimmerRecord::kKana));
        put(r, 241, 1, field(s, SwimmerRecord::kSei));
        char occupied[8];
        std::snprintf(occupied, sizeof occupied, "%5zu", i + 1);
        put(r, 252, 5, occupied);
        out += r;
    }
    writeText(dir / "Mcompd.dat", out);
}

void writeClubs(const EntryStore& store, const std::vector<SwimmerRecord>& all, const fs::path& dir, const fs::path& yomiDat)
{
    merge::ReadingFormat f;
    f.name = kCsvFormat;
    f.fileName = "club.csv";
    f.titleRecords = 1;
    for (int i = 0; i < merge::kTargetFields; ++i) f.columns[std::size_t(i)] = {i + 1, false};
    if (!merge::findReadingFormat(merge::readReadingFormats(yomiDat), kCsvFormat)) {
        fs::create_directories(yomiDat.parent_path());
        merge::registerReadingFormat(yomiDat, f);
    }
    std::string title;
    for (int i = 0; i < merge::kTargetFields; ++i) title += (i ? ",c" : "c") + std::to_string(i + 1);
    const std::size_t n = all.size();
    for (int club = 0; club < kClubFiles; ++club) {
        const std::size_t from = n * std::size_t(club) / kClubFiles, to = n * std::size_t(club + 1) / kClubFiles;
        char name[32];
        std::snprintf(name, sizeof name, "club%03d", club + 1);
        std::string csv = title + "\r\n";
        const std::vector<SwimmerRecord> part(all.begin() + std::ptrdiff_t(from), all.begin() + std::ptrdiff_t(to));
        for (const SwimmerRecord& s : part) {
            csv += field(s, SwimmerRecord::kBango) + "," + field(s, SwimmerRecord::kQBango) + "," +
                   field(s, SwimmerRecord::kKana) + "," + field(s, SwimmerRecord::kNamae) + "," +
                   field(s, SwimmerRecord::kShozoku) + "," + field(s, SwimmerRecord::kShozokuKana);
            for (int slot = 0; slot < 29; ++slot) {
                const std::int32_t t = s.kiro(slot);
                csv += "," + (t != 0 ? std::to_string(t) : std::string());
            }
            csv += "\r\n";
        }
        writeText(dir / "clubs-csv" / (std::string(name) + ".csv"), csv);
        writeText(dir / "clubs-zep" / (std::string(name) + ".zep"), entryImage(store, part));
    }
}

} // namespace

void writeImportInputs(const fs::path& entry, const fs::path& dir, const fs::path& yomiDat)
{
    EntryStore store;
    store.openEntryFile(entry, EntryStore::Access::Read);
    const std::vector<SwimmerRecord> all = store.readAllSwimmers();
    writeWeb(all, dir / "web");
    writeResults1(all, dir / "results1");
    writeResults2(store, all, dir / "results2");
    writeNitiban(all, dir / "nitiban");
    writeMcompd(all, dir / "mcompd");
    // The entry files to merge leave out the records that repeat a swimmer number: a merge refuses
    // a file whose numbers repeat.
    std::vector<SwimmerRecord> sound;
    sound.reserve(all.size());
    std::unordered_set<std::string> numbers;
    for (const SwimmerRecord& s : all) {
        const std::string bango = field(s, SwimmerRecord::kBango);
        if (bango.empty() || numbers.insert(bango).second) sound.push_back(s);
    }
    writeText(dir / "source.zep", entryImage(store, sound));
    writeClubs(store, sound, dir, yomiDat);
    writeText(dir / "target" / "empty.zep", entryImage(store, {}));
}

} // namespace tolvbench
