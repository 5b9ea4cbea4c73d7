// tolv export FORMAT ENTRY: files listed on success; a failure exits 1 and leaves the folder alone.
#include "merge/CsvItems.h"
#include "platform/Paths.h"
#include "reports/ReportFixture.h"
#include "storage/ControlFiles.h"
#include "storage/Master.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace tolv;
using namespace reporttest;

namespace {

tolvtest::RunResult run(const std::vector<std::string>& args) { return tolvtest::runProgram(TOLV_BIN, args); }

} // namespace

TEST(CliExports, WritesIntoTheTransferFolderOfTheControlFile)
{
    EntryFile f;
    f.add(Swimmer{.qbango = "13001200105011", .kiro = {{1, 3000}, {22, 10000}}});
    f.add(Swimmer{.qbango = "13002199901015", .sei = "2"});
    f.store.close();
    const fs::path transfer = f.dir() / "transfer";
    fs::create_directories(transfer);
    ensureControlDefaults(ctlDir());
    writeTenControl(ctlDir(), TenControl{toStoredPath(transfer, true)});

    auto r = run({"export", "tolvzep", f.path().string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, (transfer / "meet.csv").string() + "\t2\n");

    // The SCM floppy with --to and --master, after a tally.
    const fs::path other = f.dir() / "other", master = f.dir() / "registration";
    fs::create_directories(other);
    fs::create_directories(master / "ken13");
    std::vector<TeamRecord> teams(1);
    teams[0].setCode("13001");
    writeTeamList(master / "ken13" / "dantai.dat", teams);
    ASSERT_EQ(run({"tally", f.path().string(), "--master", master.string()}).exitCode, 0);
    r = run({"export", "scm-media", f.path().string(), "--to", other.string(), "--master", master.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, (other / "ScmSwimmerdt.csv").string() + "\t2\n" + (other / "Scmdt.csv").string() + "\t1\n" +
                         (other / "RELAYENT.csv").string() + "\t1\n");
    EXPECT_NE(r.err.find("13002"), std::string::npos) << r.err; // not in the register: no team line

    // TOLVSYS_NOW fixes the time columns.
    setenv("TOLVSYS_NOW", "2005-04-01 13:05:09", 1);
    r = run({"export", "scm-link", f.path().string(), "--to", other.string(), "--master", master.string()});
    unsetenv("TOLVSYS_NOW");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(tolvtest::readBytes(other / "ScmSwimmerdt.csv").find(",#2008-04-01 13:05:09#,"), std::string::npos);
}

TEST(CliExports, FailureExitsOneAndLeavesTheFolderAsItWas)
{
    EntryFile f;
    f.add(Swimmer{.qbango = "13001200105011"});
    f.store.close();
    const fs::path transfer = f.dir() / "transfer";
    fs::create_directories(transfer);
    tolvtest::writeBytes(transfer / "Scmdt.csv", "kept");

    // No tally yet: the team file cannot be built.
    auto r = run({"export", "scm-link", f.path().string(), "--to", transfer.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("集計"), std::string::npos) << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(transfer), fs::directory_iterator()), 1);
    EXPECT_EQ(tolvtest::readBytes(transfer / "Scmdt.csv"), "kept");

    r = run({"export", "swm-dbase", f.path().string(), "--to", (f.dir() / "missing").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("転送先フォルダがありません"), std::string::npos) << r.err;

    EXPECT_EQ(run({"export", "nonsense", f.path().string()}).exitCode, 2);

    // A transfer folder that climbs out of drive C is refused, naming the control file.
    ensureControlDefaults(ctlDir());
    writeTenControl(ctlDir(), TenControl{"c:\\..\\..\\x\\"});
    r = run({"export", "tolvzep", f.path().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("dr_ten.ctl のフォルダ「c:\\..\\..\\x\\」はドライブのフォルダの外を指しているため使えません: " +
                         (ctlDir() / "dr_ten.ctl").string()),
              std::string::npos)
        << r.err;
}

namespace {

// Items per line of a comma-separated file, as a CSV parser reads it.
std::vector<std::size_t> columnsPerLine(const std::string& bytes)
{
    std::map<int, std::size_t> perLine;
    for (const merge::CsvItem& item : merge::splitCsvItems(bytes)) ++perLine[item.line];
    std::vector<std::size_t> out;
    for (const auto& [line, n] : perLine) out.push_back(n);
    return out;
}

// Every file an export run lists on stdout.
std::vector<fs::path> listedFiles(const std::string& out)
{
    std::vector<fs::path> files;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) files.emplace_back(line.substr(0, line.find('\t')));
    return files;
}

} // namespace

// An older file whose swimmer holds half-width commas and double quotes in every text field: every
// comma-separated export keeps its columns (the same as for a plain swimmer), writes them
// full-width and names the swimmer.
TEST(CliExports, EveryCsvExportKeepsItsColumnsForAnAwkwardSwimmer)
{
    tolvtest::TempTree t;
    const fs::path master = t.dir() / "registration";
    fs::create_directories(master / "ken13");
    std::vector<TeamRecord> teams(1);
    teams[0].setCode("13001");
    teams[0].setName("さくら,\"SC\"");
    writeTeamList(master / "ken13" / "dantai.dat", teams);
    auto exportAll = [&](const Swimmer& w, const fs::path& to) {
        EntryFile f;
        f.add(w);
        f.store.close();
        EXPECT_EQ(run({"tally", f.path().string(), "--master", master.string()}).exitCode, 0);
        std::map<std::string, std::pair<std::string, std::string>> out; // file name -> bytes, stderr
        for (const char* format : {"tolvzep", "qtolv", "swmkari", "interhigh", "scm-link", "scm-media", "swm-media"}) {
            const fs::path dir = to / format;
            fs::create_directories(dir);
            std::vector<std::string> args{"export", format, f.path().string(), "--to", dir.string()};
            if (std::string(format).find('-') != std::string::npos)
                args.insert(args.end(), {"--master", master.string()}); // the formats that take a master
            auto r = run(args);
            EXPECT_EQ(r.exitCode, 0) << format << ": " << r.err;
            for (const fs::path& file : listedFiles(r.out))
                out[std::string(format) + "/" + file.filename().string()] = {tolvtest::readBytes(file), r.err};
        }
        return out;
    };
    const Swimmer plain{.qbango = "13001200105011", .kiro = {{1, 3000}, {22, 10000}}};
    Swimmer awkward = plain;
    awkward.namae = "山田,\"太郎";
    awkward.kana = "ﾔﾏﾀﾞ,\"ﾀﾛｳ";
    awkward.shozoku = "A,B\"C";
    awkward.shozokuKana = ",\"";
    awkward.ken = "東京,\"";
    awkward.kenKana = "ﾄ,\"";
    awkward.bango = "13,\"01";
    const auto plainFiles = exportAll(plain, t.dir() / "plain");
    const auto awkwardFiles = exportAll(awkward, t.dir() / "awkward");
    ASSERT_EQ(awkwardFiles.size(), plainFiles.size());
    EXPECT_GE(plainFiles.size(), 10u);
    for (const auto& [name, written] : awkwardFiles) {
        const auto& [bytes, err] = written;
        EXPECT_EQ(columnsPerLine(bytes), columnsPerLine(plainFiles.at(name).first)) << name;
        EXPECT_EQ(bytes.find(toCp932("山田,")), std::string::npos) << name;
        if (bytes.find(toCp932("山田")) != std::string::npos) {
            EXPECT_NE(bytes.find(toCp932("山田，＂太郎")), std::string::npos) << name;
        }
        EXPECT_NE(err.find("半角の「,」「\"」を全角にして書き出した選手 1 人: 選手 1 山田,\"太郎"), std::string::npos)
            << name << ": " << err;
    }
}
