#include "storage/DownloadLayout.h"

#include "platform/Error.h"
#include "storage/ControlFiles.h"
#include "storage/FileChecks.h"
#include "support/HttpServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace tolv;
namespace fs = std::filesystem;
using tolvtest::readBytes;
using tolvtest::sj;
using tolvtest::writeBytes;

namespace {

TEST(DownloadAddresses, FoldersAreBuiltWithOneSlashEach)
{
    EXPECT_EQ(yearFolder("http://h/tolv/", "2008"), "http://h/tolv/2008/");
    EXPECT_EQ(yearFolder("http://h/tolv", "2008"), "http://h/tolv/2008/");
    EXPECT_EQ(unitFolder("http://h/tolv/", "2008", "東京"), "http://h/tolv/2008/東京/");
    EXPECT_EQ(prefectureFolderName(7), "ken07");
    EXPECT_EQ(prefectureFolderName(47), "ken47");
    EXPECT_THROW(prefectureFolderName(0), TolvError);
    EXPECT_EQ(masterSexOfDigit('4'), MasterSex::Male);
    EXPECT_EQ(masterSexOfDigit('5'), MasterSex::Female);
    EXPECT_EQ(masterSexOfDigit('9'), MasterSex::Female);
}

// Addresses to fetch from carry the year and the unit percent-encoded; a part that is no plain
// folder name never becomes part of one.
TEST(DownloadAddresses, PartsArePercentEncodedAndMustBePlainFolderNames)
{
    EXPECT_EQ(unitUrl("http://h/tolv", "2008", "東京 A"), "http://h/tolv/2008/%E6%9D%B1%E4%BA%AC%20A/");
    EXPECT_EQ(unitUrl("http://h/tolv/", "2008", "a_b-c.d~"), "http://h/tolv/2008/a_b-c.d~/");
    EXPECT_EQ(yearUrl("http://h/", ""), "http://h/");
    for (const char* bad : {"..", ".", "%2e%2e", "x#y", "a/b", "a\\b", "q?x=1", " lead"}) {
        EXPECT_THROW(unitUrl("http://h/", "2008", bad), TolvError) << bad;
        EXPECT_THROW(yearUrl("http://h/", bad), TolvError) << bad;
    }
}

TEST(UnitListBody, NamesThatAreNoPlainFolderAreLeftOutAndTheRestStays)
{
    const std::string body =
        "tokyo\r\n..\r\n.\r\n%2e%2e\r\nx#y\r\n../../evil\r\n\r\n\"" + sj("東京 A") + "\"\r\nq?x\r\ntab\tname\r\n";
    UnitList list = parseUnitListBytes(body, "torlist.dat");
    EXPECT_EQ(list.units, (std::vector<std::string>{"tokyo", "東京 A"}));
    EXPECT_EQ(list.leftOut, (std::vector<std::string>{"2 行目「..」", "3 行目「.」", "4 行目「%2e%2e」", "5 行目「x#y」",
                                                      "6 行目「../../evil」", "9 行目「q?x」", "10 行目「tab?name」"}));
    // A body that is no list at all is refused whole.
    for (const std::string& no : {std::string("<!DOCTYPE html>\n<p>tokyo</p>\n"), std::string("..\r\n/\r\n"), std::string(),
                                  std::string("to\0kyo\r\n", 9)})
        EXPECT_THROW(parseUnitListBytes(no, "torlist.dat"), TolvError);
}

// A download area with one unit ("東京 A") of year 2008; every master file holds its own origin so
// a mix of two sets shows.
class ServedLayoutTest : public ::testing::Test {
protected:
    tolvtest::TempTree tree;
    fs::path area = tree.dir() / "area";
    fs::path temp = tree.home() / "temp";
    fs::path unitDir = area / "2008" / "東京 A";

    void SetUp() override
    {
        writeBytes(area / "ctl" / "ken.ctl", kenCtl());
        writeBytes(area / "2008" / "torlist.dat", sj("東京 A") + "\r\nkanagawa\r\n");
        writeBytes(unitDir / "pass.dat", "\"13001\",\"pw\"\r\n");
        writeBytes(unitDir / "kanriken.ctl", std::string(12, '0') + "1" + std::string(67, '0'));
        for (const char* set : {"ken13/otoko", "ken13/onna"})
            for (const auto& name : masterFileNames()) writeBytes(unitDir / set / name, origin(set, name));
    }

    // 47 prefecture records, the first one 東京都.
    static std::string kenCtl()
    {
        std::string rec = sj("東京都") + "  " + sj("ﾄｳｷｮｳ") + "       ";
        std::string out = rec;
        for (int i = 1; i < 47; ++i) out += std::string(20, ' ');
        return out;
    }

    // A file of the named kind whose one record carries its origin (checked formats are checked).
    static std::string origin(const std::string& set, const std::string& name)
    {
        const std::string tag = set + "/" + name;
        auto records = [&](std::size_t len, std::string first) {
            std::string out(11 * len, '\0');
            out.replace(0, first.size(), first);
            out.replace(10 * len, std::min(tag.size(), len), tag.substr(0, len));
            return out;
        };
        if (name == "dantai.dat") return records(384, std::string("\x01\0", 2));
        if (name == "kozin.dat") return records(1024, std::string("\x01\0\0\0", 4));
        const std::size_t len = name == "indexq.dat" ? 18 : name == "indext.dat" ? 13 : 0;
        if (len == 0) return tag + "\r\n";
        std::string out(2 * len, '\0');
        out[0] = 1;
        out.replace(len, len - 4, (tag + std::string(len, ' ')).substr(0, len - 4));
        out[2 * len - 4] = 1;
        return out;
    }

    // Server-side set: the named files only.
    void serveSet(const std::string& set, const std::vector<std::string>& names)
    {
        for (const auto& name : names) writeBytes(unitDir / set / name, origin(set, name));
    }

    void expectSetInTemp(const std::string& set, const std::vector<std::string>& names)
    {
        for (const auto& name : names) EXPECT_EQ(readBytes(temp / name), origin(set, name)) << name;
    }

    const std::vector<std::string> required{"dantai.dat", "kozin.dat", "indexq.dat", "indext.dat"};
};

TEST_F(ServedLayoutTest, ControlFilesComeFromTheirPlaces)
{
    tolvtest::HttpServer server(area);
    const std::string address = server.url();
    const std::string unit = unitFolder(address, "2008", "東京 A");

    EXPECT_EQ(readUnitList(downloadUnitList(address, "2008", temp)), (std::vector<std::string>{"東京 A", "kanagawa"}));
    EXPECT_TRUE(passwordMatches(downloadPasswordList(unit, temp), "13001", "pw"));
    EXPECT_TRUE(unitKeepsTeams(readUnitFlags(downloadUnitFlags(unit, temp)), 13));
    fs::path ctl = tree.home() / "ctl";
    EXPECT_EQ(downloadPrefectureTable(address, ctl), ctl / "ken.ctl");
    EXPECT_EQ(readPrefecture(ctl / "ken.ctl", 1)->name, "東京都  ");
}

// Served with status 200 but not the file asked for: each body is discarded and named, and the
// good copies from the last download stay.
TEST_F(ServedLayoutTest, BodiesOfTheWrongFormReplaceNothing)
{
    tolvtest::HttpServer server(area);
    const std::string address = server.url();
    const std::string unit = unitFolder(address, "2008", "東京 A");
    const fs::path ctl = tree.home() / "ctl";
    downloadUnitList(address, "2008", temp);
    downloadUnitFlags(unit, temp);
    downloadPrefectureTable(address, ctl);
    downloadMasterFiles(unit, 13, MasterSex::Male, temp);
    const std::vector<fs::path> kept{temp / "torlist.dat", temp / "kanriken.ctl", ctl / "ken.ctl",    temp / "dantai.dat",
                                     temp / "kozin.dat",   temp / "indexq.dat",   temp / "indext.dat"};
    std::vector<std::string> before;
    for (const fs::path& p : kept) before.push_back(readBytes(p));

    const std::string html = "<!DOCTYPE html>\n<html><body><h1>Error</h1>" + std::string(2000, ' ') + "</body></html>\n";
    std::string random(4096, '\0');
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 2654435761u) >> 13);
    struct Case {
        fs::path served;
        std::function<void()> fetch;
    };
    const std::vector<Case> cases{
        {area / "2008" / "torlist.dat", [&] { downloadUnitList(address, "2008", temp); }},
        {unitDir / "kanriken.ctl", [&] { downloadUnitFlags(unit, temp); }},
        {area / "ctl" / "ken.ctl", [&] { downloadPrefectureTable(address, ctl); }},
        {unitDir / "ken13/otoko/dantai.dat", [&] { downloadMasterFiles(unit, 13, MasterSex::Male, temp); }},
        {unitDir / "ken13/otoko/kozin.dat", [&] { downloadMasterFiles(unit, 13, MasterSex::Male, temp); }},
        {unitDir / "ken13/otoko/indexq.dat", [&] { downloadMasterFiles(unit, 13, MasterSex::Male, temp); }},
        {unitDir / "ken13/otoko/indext.dat", [&] { downloadMasterFiles(unit, 13, MasterSex::Male, temp); }},
    };
    for (const Case& c : cases) {
        const std::string good = readBytes(c.served);
        for (const std::string& body : {html, std::string(), random}) {
            writeBytes(c.served, body);
            try {
                c.fetch();
                ADD_FAILURE() << c.served << " accepted";
            } catch (const TolvError& e) {
                EXPECT_NE(std::string(e.what()).find(c.served.filename().string()), std::string::npos) << e.what();
            }
            for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(readBytes(kept[i]), before[i]) << kept[i];
        }
        writeBytes(c.served, good);
    }
    // pass.dat: the old list goes first by design, and a bad body does not take its place.
    writeBytes(unitDir / "pass.dat", html);
    EXPECT_THROW(downloadPasswordList(unit, temp), TolvError);
    EXPECT_FALSE(fs::exists(temp / "pass.dat"));
}

TEST_F(ServedLayoutTest, PasswordListOfAnotherUnitNeverSurvivesAFailedDownload)
{
    tolvtest::HttpServer server(area);
    writeBytes(temp / "pass.dat", "\"13001\",\"pw\"\r\n");
    EXPECT_THROW(downloadPasswordList(unitFolder(server.url(), "2008", "kanagawa"), temp), TolvError);
    EXPECT_FALSE(fs::exists(temp / "pass.dat"));
    EXPECT_FALSE(passwordMatches(temp / "pass.dat", "13001", "pw"));
}

// Both sexes of a prefecture are fetched once a run: the set not in use waits under its kept names
// and changes places with the one in use; the clean-up takes both.
TEST_F(ServedLayoutTest, MasterSetsFetchedInTheRunAreNotFetchedAgain)
{
    tolvtest::HttpServer server(area);
    const std::string unit = unitUrl(server.url(), "2008", "東京 A");
    useMasterFiles(unit, 13, MasterSex::Male, temp, true, 0, MasterSex::Male);
    useMasterFiles(unit, 13, MasterSex::Female, temp, true, 13, MasterSex::Male);
    expectSetInTemp("ken13/onna", masterFileNames());
    useMasterFiles(unit, 13, MasterSex::Male, temp, true, 13, MasterSex::Female);
    expectSetInTemp("ken13/otoko", masterFileNames());
    for (const auto& name : masterFileNames())
        EXPECT_EQ(readBytes(temp / (keptMasterPrefix(13, MasterSex::Female) + name)), origin("ken13/onna", name));
    useMasterFiles(unit, 13, MasterSex::Female, temp, true, 13, MasterSex::Male);
    expectSetInTemp("ken13/onna", masterFileNames());
    EXPECT_EQ(server.requestsFor("ken13/otoko/kozin.dat"), 1);
    EXPECT_EQ(server.requestsFor("ken13/onna/kozin.dat"), 1);

    writeBytes(temp / "pass.dat", "\"13001\",\"pw\"\r\n");
    cleanTempFolder(temp);
    EXPECT_TRUE(fs::is_empty(temp));
}

TEST_F(ServedLayoutTest, PasswordListIsOwnerOnlyAndGoneAfterTheCheck)
{
    tolvtest::HttpServer server(area);
    const std::string unit = unitUrl(server.url(), "2008", "東京 A");
    EXPECT_EQ(fs::status(downloadPasswordList(unit, temp)).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(clubLoginMatches(unit, temp, "13001", "pw"));
    EXPECT_FALSE(fs::exists(temp / "pass.dat"));
    EXPECT_FALSE(clubLoginMatches(unit, temp, "13001", "wrong"));
    EXPECT_FALSE(fs::exists(temp / "pass.dat"));
    writeBytes(temp / "pass.dat", "\"13001\",\"pw\"\r\n");
    EXPECT_THROW(clubLoginMatches(unitUrl(server.url(), "2008", "kanagawa"), temp, "13001", "pw"), TolvError);
    EXPECT_FALSE(fs::exists(temp / "pass.dat"));
}

TEST_F(ServedLayoutTest, MasterFilesOfAPrefectureAndSexReplaceTheSetInTemp)
{
    tolvtest::HttpServer server(area);
    const std::string unit = unitFolder(server.url(), "2008", "東京 A");
    downloadMasterFiles(unit, 13, MasterSex::Male, temp);
    expectSetInTemp("ken13/otoko", masterFileNames());

    writeBytes(temp / "KOZIN.DAT", "stale copy in another case");
    downloadMasterFiles(unit, 13, MasterSex::Female, temp);
    expectSetInTemp("ken13/onna", masterFileNames());
    EXPECT_FALSE(fs::exists(temp / "KOZIN.DAT"));
    EXPECT_FALSE(fs::exists(temp / "master.part"));
    EXPECT_EQ(downloadedMasterPaths(temp).athleteList, temp / "kozin.dat");
}

TEST_F(ServedLayoutTest, AFailedRequiredFileLeavesThePreviousSetWhole)
{
    tolvtest::HttpServer server(area);
    const std::string unit = unitFolder(server.url(), "2008", "東京 A");
    downloadMasterFiles(unit, 13, MasterSex::Male, temp);

    // Prefecture 14 lacks its birth-date index: dantai and kozin arrive, indext does not.
    serveSet("ken14/otoko", {"dantai.dat", "kozin.dat", "indexb.dat", "indexk.dat", "indexn.dat", "indexq.dat"});
    try {
        downloadMasterFiles(unit, 14, MasterSex::Male, temp);
        FAIL();
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("ken14/otoko/indext.dat"), std::string::npos) << e.what();
    }
    expectSetInTemp("ken13/otoko", masterFileNames());
    EXPECT_FALSE(fs::exists(temp / "master.part"));

    // Nothing served at all.
    const std::string dead = unitFolder("http://127.0.0.1:" + std::to_string(tolvtest::unusedPort()) + "/", "2008", "x");
    EXPECT_THROW(downloadMasterFiles(dead, 13, MasterSex::Female, temp), TolvError);
    expectSetInTemp("ken13/otoko", masterFileNames());
}

TEST_F(ServedLayoutTest, FilesNoLookUpReadsMayBeMissing)
{
    tolvtest::HttpServer server(area);
    const std::string unit = unitFolder(server.url(), "2008", "東京 A");
    downloadMasterFiles(unit, 13, MasterSex::Male, temp);

    // Without indexb/k/n the set still arrives, and the old prefecture's copies of them go.
    serveSet("ken15/onna", required);
    downloadMasterFiles(unit, 15, MasterSex::Female, temp);
    expectSetInTemp("ken15/onna", required);
    for (const char* n : {"indexb.dat", "indexk.dat", "indexn.dat"}) EXPECT_FALSE(fs::exists(temp / n)) << n;

    // A prefecture without a team list: dantai.dat is needed only when the unit keeps one.
    serveSet("ken16/otoko", {"kozin.dat", "indexq.dat", "indext.dat"});
    EXPECT_THROW(downloadMasterFiles(unit, 16, MasterSex::Male, temp), TolvError);
    expectSetInTemp("ken15/onna", required);
    downloadMasterFiles(unit, 16, MasterSex::Male, temp, false);
    expectSetInTemp("ken16/otoko", {"kozin.dat", "indexq.dat", "indext.dat"});
    EXPECT_FALSE(fs::exists(temp / "dantai.dat"));
}

TEST(LocalMaster, PathsMatchWithoutRegardToCase)
{
    tolvtest::TempTree tree;
    fs::path root = tree.dir() / "reg";
    writeBytes(root / "KEN13" / "DANTAI.DAT", "t");
    writeBytes(root / "KEN13" / "otoko" / "Kozin.dat", "k");
    writeBytes(root / "KEN13" / "otoko" / "INDEXQ.DAT", "q");
    MasterPaths m = localMasterPaths(root, 13, MasterSex::Male);
    EXPECT_EQ(m.teamList, root / "KEN13" / "DANTAI.DAT");
    EXPECT_EQ(m.athleteList, root / "KEN13" / "otoko" / "Kozin.dat");
    EXPECT_EQ(m.indexQ, root / "KEN13" / "otoko" / "INDEXQ.DAT");
    EXPECT_EQ(m.indexT, root / "KEN13" / "otoko" / "IndexT.dat");
    EXPECT_EQ(localMasterPaths(root, 13, MasterSex::Female).athleteList, root / "KEN13" / "Onna" / "kozin.dat");
    EXPECT_EQ(localMasterPaths(root, 2, MasterSex::Male).teamList, root / "ken02" / "dantai.dat");
}

TEST(LocalMaster, MissingFoldersAreCreatedBesideExistingOnes)
{
    tolvtest::TempTree tree;
    fs::path root = tree.dir() / "reg";
    fs::create_directories(root / "KEN13" / "otoko");
    createLocalMasterFolders(root, 13);
    createLocalMasterFolders(root, 5);
    std::vector<std::string> in13;
    for (const auto& e : fs::directory_iterator(root / "KEN13")) in13.push_back(e.path().filename().string());
    std::sort(in13.begin(), in13.end());
    EXPECT_EQ(in13, (std::vector<std::string>{"Onna", "otoko"}));
    EXPECT_FALSE(fs::exists(root / "ken13"));
    EXPECT_TRUE(fs::is_directory(root / "ken05" / "Otoko"));
    EXPECT_TRUE(fs::is_directory(root / "ken05" / "Onna"));
    EXPECT_THROW(createLocalMasterFolders(tree.dir() / "no-root", 5), TolvError);
    EXPECT_FALSE(fs::exists(tree.dir() / "no-root"));
}

} // namespace
