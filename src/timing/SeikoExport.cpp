#include "timing/SeikoExport.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/FileReading.h"
#include "platform/Paths.h"
#include "storage/CsvDelimiters.h"
#include "storage/TextUtil.h"
#include "transfer/FileSet.h"
#include "transfer/Templates.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tolv::timing {

namespace fs = std::filesystem;

namespace {

using S = SwimmerRecord;

// A part of the old number as the file takes it: counted in bytes of the text.
std::string numberPart(const std::string& q, CharPart part) { return q.substr(part.first - 1, part.count); }

constexpr std::size_t kIndividualColumns = 37;
constexpr std::size_t kRelayColumns = 10;
constexpr int kFirstRelaySlot = kIndividualSlots; // 22

// Stroke digit and distance of the standard slots.
constexpr const char* kCodes[kStandardSlots] = {
    "10025", "10050", "10100", "10200", "10400", "10800", "11500", // freestyle
    "20025", "20050", "20100", "20200",                            // backstroke
    "30025", "30050", "30100", "30200",                            // breaststroke
    "40025", "40050", "40100", "40200",                            // butterfly
    "50100", "50200", "50400",                                     // individual medley
    "70100", "70200", "70400",                                     // medley relay
    "60100", "60200", "60400", "60800",                            // freestyle relay
};

// A text read as a number the way the class boxes are: leading blanks skipped, digits up to the
// first other character; nothing when there is no digit.
std::optional<long long> leadingNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return std::nullopt;
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
    long long v = 0;
    std::size_t start = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 15; ++i) v = v * 10 + (text[i] - '0');
    if (i == start) return std::nullopt;
    return negative ? -v : v;
}

std::string fitted(std::string text) { return cleanText(text, 1); }

// First and second character of the grade code, both empty when the first sorts above "4".
std::pair<std::string, std::string> gradeColumns(const std::string& grade)
{
    std::string g = grade;
    g.resize(2, ' ');
    if (static_cast<unsigned char>(g[0]) > '4') return {"", ""};
    return {g.substr(0, 1), g.substr(1, 1)};
}

bool exported(const SeikoOptions& o, int slot, std::int32_t time)
{
    return time != 0 && (o.everyone || o.events[static_cast<std::size_t>(slot)]);
}

std::string joined(const std::vector<std::string>& cols)
{
    std::string line;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (i) line += ',';
        line += fullWidthDelimiters(cols[i]); // one column each, whatever an older file holds
    }
    return line;
}

// The file with the lines appended, planned (nothing written yet).
std::pair<SeikoAppend, exchange::PlannedFile> planAppend(const fs::path& file, const fs::path& ctl, const char* templateName,
                                                         std::size_t items, const SeikoLines& lines, int counter)
{
    exchange::requireFolder(file.parent_path());
    SeikoAppend result;
    result.file = file;
    // A file not there yet is started with its header line.
    std::string bytes = readFileIfPresent(file).value_or(std::string());
    if (bytes.empty()) {
        exchange::installDefaultTemplates(ctl);
        bytes += toCp932(exchange::plainHeader(exchange::readTemplate(ctl, templateName, items)));
        result.header = true;
    }
    for (const std::string& line : lines.lines) {
        try {
            bytes += toCp932(line) + "\r\n";
        } catch (const TolvError& e) {
            throw TolvError(std::string(e.what()) + ": " + file.string());
        }
    }
    result.written = static_cast<int>(lines.lines.size());
    result.counter = counter + result.written;
    result.lost = lines.lost;
    exchange::PlannedFile planned;
    planned.path = file;
    planned.bytes = std::move(bytes);
    planned.lines = result.written;
    return {std::move(result), std::move(planned)};
}

SeikoAppend appendTo(const fs::path& file, const fs::path& ctl, const char* templateName, std::size_t items,
                     const SeikoLines& lines, int counter)
{
    auto [result, planned] = planAppend(file, ctl, templateName, items, lines, counter);
    replaceFile(file, planned.bytes);
    return result;
}

} // namespace

std::string seikoEventCode(int slot) { return slot >= 0 && slot < kStandardSlots ? kCodes[slot] : ""; }

std::string seikoTimeText(std::int32_t value)
{
    if (value == kMarkEntered) value = 595999;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06d", static_cast<int>(value % 1000000 + (value < 0 ? 1000000 : 0)));
    return std::string(digits, 4) + "." + std::string(digits + 4, 2);
}

std::string seikoClass(const SwimmerRecord& s, const SeikoOptions& o)
{
    long long value = o.classBy == ClassBy::Grade ? leadingNumber(s.gakunen()).value_or(0) : s.nenrei();
    for (int i = 0; i < kClassRows; ++i) {
        auto from = leadingNumber(o.classes[static_cast<std::size_t>(i)].from);
        auto to = leadingNumber(o.classes[static_cast<std::size_t>(i)].to);
        if (!from || !to) continue;
        if (*from <= value && value <= *to) {
            char c[4];
            std::snprintf(c, sizeof c, "%02d", i + 1);
            return c;
        }
    }
    return "";
}

SeikoLines seikoIndividualLines(const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o, int counter)
{
    SeikoLines out;
    for (std::size_t n = 0; n < swimmers.size(); ++n) {
        const SwimmerRecord& s = swimmers[n];
        std::vector<std::string> cols(kIndividualColumns);
        const std::string q = s.QBango();
        const std::string q14 = q + std::string(q.size() < S::kQBango.width ? S::kQBango.width - q.size() : 0, ' ');
        cols[0] = std::to_string(counter + static_cast<int>(out.lines.size()) + 1);
        cols[1] = numberPart(q14, S::kQBangoTeam) + numberPart(q14, S::kQBangoAfterCentury);
        cols[2] = s.sei();
        cols[3] = fitted(s.Namae());
        cols[4] = s.Kana();
        cols[5] = numberPart(q14, S::kQBangoBirth);
        auto [g1, g2] = gradeColumns(s.gakunen());
        cols[6] = g1;
        cols[7] = g2;
        cols[8] = seikoClass(s, o);
        cols[9] = s.Bango();
        cols[10] = fitted(s.Shozoku());
        cols[11] = s.ShozokuKana();
        cols[12] = fitted(s.ken());
        cols[13] = s.kenKana();
        cols[16] = "1";
        int events = 0;
        LostEvents lost;
        for (int slot = 0; slot < kIndividualSlots; ++slot) {
            const std::int32_t t = s.kiro(slot);
            if (!exported(o, slot, t)) continue;
            if (events == kEventsPerLine) {
                lost.eventSlots.push_back(slot);
                continue;
            }
            cols[17 + 2 * static_cast<std::size_t>(events)] = seikoEventCode(slot);
            cols[18 + 2 * static_cast<std::size_t>(events)] = seikoTimeText(t);
            ++events;
        }
        if ((!cols[8].empty() || o.everyone) && (events > 0 || o.everyone)) {
            out.lines.push_back(joined(cols));
            if (!lost.eventSlots.empty()) {
                lost.swimmer = static_cast<int>(n) + 1;
                lost.name = cleanedText(s.Namae(), 0);
                out.lost.push_back(lost);
            }
        }
    }
    return out;
}

SeikoLines seikoRelayLines(const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o, int counter)
{
    SeikoLines out;
    for (const SwimmerRecord& s : swimmers) {
        const std::string cls = seikoClass(s, o);
        if (cls.empty() && !o.everyone) continue;
        const std::string q = s.QBango() + std::string(S::kQBangoTeam.count, ' ');
        for (int slot = kFirstRelaySlot; slot < kStandardSlots; ++slot) {
            const std::int32_t t = s.kiro(slot);
            if (!exported(o, slot, t)) continue;
            std::vector<std::string> cols(kRelayColumns);
            cols[0] = std::to_string(counter + static_cast<int>(out.lines.size()) + 1);
            cols[1] = fitted(o.prefectureTeams ? s.ken() : s.Shozoku());
            cols[2] = o.prefectureTeams ? s.kenKana() : s.ShozokuKana();
            cols[4] = o.prefectureTeams ? numberPart(q, S::kQBangoPrefecture) + "000" : numberPart(q, S::kQBangoTeam);
            cols[5] = gradeColumns(s.gakunen()).first;
            cols[6] = cls;
            cols[7] = s.sei();
            cols[8] = seikoEventCode(slot);
            cols[9] = seikoTimeText(t);
            out.lines.push_back(joined(cols));
        }
    }
    return out;
}

SeikoAppend appendSeikoIndividuals(const fs::path& transfer, const fs::path& ctl, const std::vector<SwimmerRecord>& swimmers,
                                   const SeikoOptions& o, int counter)
{
    return appendTo(transfer / "csvcomp.csv", ctl, "SeikoInd.csv", kIndividualColumns, seikoIndividualLines(swimmers, o, counter),
                    counter);
}

SeikoAppend appendSeikoRelays(const fs::path& transfer, const fs::path& ctl, const std::vector<SwimmerRecord>& swimmers,
                              const SeikoOptions& o, int counter)
{
    return appendTo(transfer / "csvteam.csv", ctl, "SeikoRly.csv", kRelayColumns, seikoRelayLines(swimmers, o, counter), counter);
}

std::pair<SeikoAppend, SeikoAppend> appendSeikoBoth(const fs::path& transfer, const fs::path& ctl,
                                                    const std::vector<SwimmerRecord>& swimmers, const SeikoOptions& o,
                                                    int individualCounter, int relayCounter)
{
    auto [individuals, individualFile] = planAppend(transfer / "csvcomp.csv", ctl, "SeikoInd.csv", kIndividualColumns,
                                                    seikoIndividualLines(swimmers, o, individualCounter), individualCounter);
    auto [relays, relayFile] = planAppend(transfer / "csvteam.csv", ctl, "SeikoRly.csv", kRelayColumns,
                                          seikoRelayLines(swimmers, o, relayCounter), relayCounter);
    // One set: a kill leaves both files as they were or both with their lines, so a rerun never
    // appends the individual lines twice.
    std::vector<exchange::PlannedFile> set;
    set.push_back(std::move(individualFile));
    set.push_back(std::move(relayFile));
    exchange::ExportResult written;
    exchange::writeFileSet(std::move(set), written);
    return {std::move(individuals), std::move(relays)};
}

} // namespace tolv::timing
