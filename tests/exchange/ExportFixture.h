#pragma once
// Fixtures for the export tests: entry data built in memory, a transfer folder, team totals file and
// team register on disk, a prompt that records the medium prompts, and the expected lines built
// column by column.
#include "exchange/Exports.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "reports/ReportFixture.h"
#include "storage/TeamTotalsFile.h"
#include "storage/Master.h"
#include "support/TestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace exporttest {

namespace fs = std::filesystem;
using reporttest::Swimmer;

// Column texts of an expected line: Q quoted, R raw; line() joins them and ends with CR LF.
inline std::string Q(const std::string& s) { return "\"" + s + "\""; }
inline std::string R(const std::string& s) { return s; }
inline std::string line(const std::vector<std::string>& columns)
{
    std::string s;
    for (std::size_t i = 0; i < columns.size(); ++i) s += (i ? "," : "") + columns[i];
    return s + "\r\n";
}
inline std::vector<std::string> repeat(int n, const std::string& column)
{
    return std::vector<std::string>(std::size_t(n), column);
}
inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline std::string blanks(std::size_t n) { return std::string(n, ' '); }

// A prompt that counts the medium prompts and can act on each (e.g. "insert" a fresh medium).
class MediaPrompt : public tolv::Prompt {
public:
    void tell(const std::string& message) override
    {
        said.push_back(message);
        if (onTell) onTell(said.size());
    }
    bool ask(const std::string& message) override
    {
        said.push_back(message);
        return true;
    }
    std::vector<std::string> said;
    std::function<void(std::size_t)> onTell;
};

class ExportFixture {
public:
    tolvtest::TempTree tree;
    fs::path transfer, registration;
    tolv::exchange::EntryData data;
    MediaPrompt prompt;

    ExportFixture()
    {
        tolv::setFixedNow({2005, 4, 1, 13, 5, 9});
        transfer = tree.dir() / "transfer";
        registration = tree.dir() / "registration";
        fs::create_directories(transfer);
        fs::create_directories(tree.dir() / "entry");
        data.entryPath = tree.dir() / "entry" / "club01.zep";
        data.header.setKijunBi("2005/04/01");
        data.header.setTcod("0513001");
    }
    ~ExportFixture() { tolv::resetClock(); }

    tolv::SwimmerRecord& add(const Swimmer& w, const std::string& shubetu = "100000")
    {
        data.swimmers.push_back(reporttest::swimmerRecord(int(data.swimmers.size()) + 1, w));
        data.swimmers.back().setShubetu(shubetu);
        return data.swimmers.back();
    }

    tolv::exchange::ExportTarget target()
    {
        tolv::exchange::ExportTarget t;
        t.transfer = transfer;
        t.ctl = tolv::ctlDir();
        t.master = tolv::MasterSource::local(registration);
        t.prompt = &prompt;
        t.when = tolv::now();
        return t;
    }
    tolv::exchange::ExportResult run(tolv::exchange::ExportFn fn) { return fn(data, target()); }

    // The team totals file beside the entry file with these team keys, and the register of
    // prefecture 13 with these teams.
    void writeTotals(const std::vector<std::string>& keys)
    {
        tolv::TeamTotalsFile z;
        z.open(tolv::teamTotalsPath(data.entryPath));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            z.clearTeam();
            z.team().setKeyBytes(tolv::toCp932(keys[i]));
            z.control().setTeamCount(std::int16_t(i + 1));
            z.writeTeam(int(i) + 1);
        }
    }
    void writeRegister(const std::vector<tolv::TeamRecord>& teams, int prefecture = 13)
    {
        fs::path dir = registration / ("ken" + std::to_string(prefecture));
        fs::create_directories(dir);
        tolv::writeTeamList(dir / "dantai.dat", teams);
    }

    // A file's lines, decoded; every line must end with CR LF.
    static std::vector<std::string> lines(const fs::path& p)
    {
        std::string text = tolv::fromCp932(tolvtest::readBytes(p));
        std::vector<std::string> out;
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find("\r\n", at);
            EXPECT_NE(end, std::string::npos) << p << ": last line without CR LF";
            if (end == std::string::npos) break;
            out.push_back(text.substr(at, end + 2 - at));
            at = end + 2;
        }
        return out;
    }
};

} // namespace exporttest
