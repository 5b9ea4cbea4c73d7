#include "exchange/LenexMemory.h"

#include "exchange/XmlText.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/PlainFile.h"
#include "platform/Utf8.h"

#include <cstdio>

namespace tolv::lenex {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        out.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
        if (tab == std::string::npos) return out;
        from = tab + 1;
    }
}

// Tabs and line ends inside a value would break the line form.
std::string flat(std::string s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s;
}

// The memory holds a line per club and per mixed relay of at most 100,000 swimmers: a file beyond
// this is not one the program wrote.
constexpr std::uint64_t kMaxMemoryBytes = 32ull << 20;

} // namespace

fs::path LenexMemory::pathFor(const fs::path& entryFile)
{
    fs::path p = entryFile;
    p += ".lenex";
    return p;
}

LenexMemory LenexMemory::read(const fs::path& entryFile)
{
    LenexMemory m;
    // Read line by line, never through a link, never a FIFO or a folder (refused with the reason).
    PlainFileReader in(pathFor(entryFile), kMaxMemoryBytes);
    for (std::string line; in.isOpen() && in.nextLine(line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Bookkeeping beside the entry file: a line holding bytes that are not UTF-8 keeps what it
        // can, each ill-formed sequence read as "?", and never blocks an import or an export.
        line = repairUtf8(line, "?");
        const std::vector<std::string> f = fields(line);
        if (f[0] == "city" && f.size() == 2) m.city = f[1];
        else if (f[0] == "nation" && f.size() == 2) m.nation = f[1];
        else if (f[0] == "club" && f.size() == 5 && !f[1].empty()) m.clubs.push_back({f[1], f[2], f[3], f[4]});
        else if (f[0] == "athlete" && f.size() == 9) m.athletes.push_back({f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
        else if (f[0] == "meet" && f.size() >= 3 && !f[2].empty() && f[1].size() == 1 && f[1][0] >= '0' && f[1][0] <= '9') {
            MeetElement e{f[1][0] - '0', f[2], {}};
            for (std::size_t i = 3; i < f.size(); ++i) {
                const std::size_t eq = f[i].find('=');
                if (eq != std::string::npos && eq > 0) e.attributes.emplace_back(f[i].substr(0, eq), f[i].substr(eq + 1));
            }
            m.meet.push_back(std::move(e));
        } else if (f[0] == "meetfile" && f.size() == 2) m.meetFile = f[1];
        else if (f[0] == "mixed" && f.size() == 3) {
            try {
                m.mixed.emplace(f[1], std::stoi(f[2]));
            } catch (const std::exception&) {
            }
        }
    }
    return m;
}

void LenexMemory::write(const fs::path& entryFile) const
{
    std::error_code ec;
    if (empty() && !fs::exists(pathFor(entryFile), ec)) return;
    std::string text = "# tolvsys: Lenex details of " + entryFile.filename().string() + "\n";
    if (!city.empty()) text += "city\t" + flat(city) + "\n";
    if (!nation.empty()) text += "nation\t" + flat(nation) + "\n";
    for (const LenexClub& c : clubs)
        text += "club\t" + flat(c.teamCode) + "\t" + flat(c.code) + "\t" + flat(c.nation) + "\t" + flat(c.name) + "\n";
    for (const auto& [qbango, slot] : mixed) text += "mixed\t" + flat(qbango) + "\t" + std::to_string(slot) + "\n";
    for (const LenexAthlete& a : athletes)
        text += "athlete\t" + flat(a.qbango) + "\t" + flat(a.namae) + "\t" + flat(a.lastname) + "\t" + flat(a.firstname) + "\t" +
                flat(a.lastnameEn) + "\t" + flat(a.firstnameEn) + "\t" + flat(a.license) + "\t" + flat(a.nation) + "\n";
    if (!meetFile.empty()) text += "meetfile\t" + flat(meetFile) + "\n";
    for (const MeetElement& e : meet) {
        text += "meet\t" + std::to_string(e.depth) + "\t" + flat(e.name);
        for (const auto& [key, value] : e.attributes) text += "\t" + flat(key) + "=" + flat(value);
        text += "\n";
    }
    replaceFile(pathFor(entryFile), text);
}

const LenexClub* LenexMemory::clubOfTeam(const std::string& teamCode) const
{
    for (const LenexClub& c : clubs)
        if (c.teamCode == teamCode) return &c;
    return nullptr;
}

const LenexClub* LenexMemory::clubOfLenex(const std::string& code, const std::string& name) const
{
    for (const LenexClub& c : clubs)
        if (c.code == code && c.name == name) return &c;
    return nullptr;
}

std::string LenexMemory::newTeamCode(const std::set<std::string>& taken) const
{
    for (int n = 1; n <= 9999; ++n) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "L%04d", n);
        if (!clubOfTeam(buf) && !taken.count(buf)) return buf;
    }
    return "L0000";
}

LenexSettings readLenexSettings(const fs::path& ctlFolder)
{
    LenexSettings s;
    const fs::path file = ctlFolder / "lenex.ini";
    // Two short settings: a file beyond this is not a settings file.
    PlainFileReader in(file, 1 << 16);
    std::string line;
    for (int number = 1; in.isOpen() && in.nextLine(line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = repairUtf8(line, "?");
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key != "registration" && key != "email") continue;
        // The values go into every Lenex file written: a character XML cannot hold stops here.
        const std::string problem = exchange::xmlCharacterProblem(value);
        if (!problem.empty())
            throw TolvError("lenex.ini の " + std::to_string(number) + " 行目に XML に書けない文字があります（" + problem +
                            "）: " + file.string());
        if (key == "registration") s.registration = value;
        else if (!value.empty()) s.email = value;
    }
    return s;
}

} // namespace tolv::lenex
