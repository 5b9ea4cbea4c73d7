#include "storage/ControlFiles.h"
#include "storage/PrefectureTable.h"

#include "platform/Error.h"
#include "platform/Prompt.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
namespace fs = std::filesystem;
using tolvtest::readBytes;
using tolvtest::sj;
using tolvtest::writeBytes;

namespace {

class ControlFilesTest : public ::testing::Test {
protected:
    tolvtest::TempTree tree;
    fs::path ctl = tree.home() / "ctl";
};

TEST(QuotedCommaForm, WritesTextsQuotedNumbersBareAndEndsWithCrLf)
{
    EXPECT_EQ(controlLine({{"c:"}, {"c:\\"}, {"0", true}, {""}}), "\"c:\",\"c:\\\",0,\"\"\r\n");
    // A quote inside a value is doubled so the field still ends where it should.
    EXPECT_EQ(controlLine({{"a\"b"}}), "\"a\"\"b\"\r\n");
}

TEST(QuotedCommaForm, ReadsFieldsInOrderAcrossLines)
{
    const std::string text = "\"00000\",\"pw\"\r\n"
                             "  \"http://a/,b\" , bare text ,12\r\n"
                             "\r\n"
                             "\"say \"\"hi\"\"\",\"\"\n"
                             "last,\r\n";
    std::vector<std::string> want{"00000", "pw", "http://a/,b", "bare text", "12", "say \"hi\"", "", "last", ""};
    EXPECT_EQ(parseControlFields(text), want);
    EXPECT_TRUE(parseControlFields("").empty());
}

TEST_F(ControlFilesTest, FirstStartWritesEveryDefaultByteForByte)
{
    ASSERT_FALSE(fs::exists(tree.home()));
    ensureControlDefaults(ctl);
    EXPECT_EQ(readBytes(ctl / "dr_zep.ctl"), "\"c:\",\"c:\\\",0,\"\"\r\n");
    EXPECT_EQ(readBytes(ctl / "dr_tor.ctl"), "\"c:\",\"c:\\\"\r\n");
    EXPECT_EQ(readBytes(ctl / "dr_ten.ctl"), "\"c:\\\"\r\n");
    EXPECT_EQ(readBytes(ctl / "dr_web.ctl"), "\"00000\",\"0000000000\"\r\n\"http://localhost/tolvsys/\",1,0\r\n");
    EXPECT_EQ(loadWebControl(ctl).addresses, std::vector<std::string>{kDefaultDownloadAddress});
}

// Defaults are written only where there is nothing to lose: a missing or empty file. A file that
// is there but cannot be read or parsed keeps every byte, its defaults are used in memory, and the
// command says so once, naming it.
TEST_F(ControlFilesTest, DefaultsReplaceOnlyMissingOrEmptyFiles)
{
    const std::string zep = "\"c:\",\"c:\\\"\r\n";                  // too few fields
    const std::string web = "\"13001\",\"secret\",\"x\",one,0\r\n"; // count not a number
    const std::string ten = "\"d:\\\"\r\n\x82";                     // a lone lead byte at the end
    writeBytes(ctl / "dr_ten.ctl", ten);
    writeBytes(ctl / "dr_zep.ctl", zep);
    writeBytes(ctl / "dr_tor.ctl", "");
    writeBytes(ctl / "dr_web.ctl", web);
    ScriptedPrompt prompt;
    const std::string said = ensureControlDefaults(ctl, &prompt);
    EXPECT_EQ(readBytes(ctl / "dr_ten.ctl"), ten);
    EXPECT_EQ(readBytes(ctl / "dr_zep.ctl"), zep);
    EXPECT_EQ(readBytes(ctl / "dr_web.ctl"), web);
    EXPECT_EQ(readBytes(ctl / "dr_tor.ctl"), "\"c:\",\"c:\\\"\r\n");
    EXPECT_EQ(loadWebControl(ctl).clubCode, kDefaultClubCode);
    EXPECT_EQ(prompt.said, said + "\n");
    EXPECT_EQ(said, "設定ファイルを読めません。既定の設定で続けます（ファイルはそのまま残します）:\n" +
                        (ctl / "dr_ten.ctl").string() + "\n" + (ctl / "dr_zep.ctl").string() + "\n" +
                        (ctl / "dr_web.ctl").string());
    // Writers leave such a file too; a readable one is replaced as before.
    EXPECT_FALSE(writeWebControl(ctl, WebControl{}));
    EXPECT_EQ(readBytes(ctl / "dr_web.ctl"), web);
    EXPECT_TRUE(writeTorControl(ctl, TorControl{"d:", "d:\\"}));
    EXPECT_EQ(loadTorControl(ctl).drive, "d:");
}

TEST_F(ControlFilesTest, ControlFilesRoundTripInCp932)
{
    // 表 and ソ end in byte 0x5C, the separator: they must pass through untouched.
    ZepControl z{"d:", "d:\\表ソ申込\\", 2, "大会.tor"};
    writeZepControl(ctl, z);
    EXPECT_EQ(readBytes(ctl / "dr_zep.ctl"), "\"d:\",\"d:\\" + sj("表ソ申込") + "\\\",2,\"" + sj("大会.tor") + "\"\r\n");
    auto back = readZepControl(ctl);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->folder, z.folder);
    EXPECT_EQ(back->fileType, 2);
    EXPECT_EQ(back->fileName, z.fileName);

    WebControl w{"12345", "pa\"ss,wd", {"http://a.example/t/", "file:///srv/ｸﾗﾌﾞ/"}, 1};
    writeWebControl(ctl, w);
    EXPECT_EQ(readBytes(ctl / "dr_web.ctl"),
              "\"12345\",\"pa\"\"ss,wd\"\r\n\"http://a.example/t/\",\"file:///srv/" + sj("ｸﾗﾌﾞ") + "/\",2,1\r\n");
    auto wb = readWebControl(ctl);
    ASSERT_TRUE(wb);
    EXPECT_EQ(wb->password, w.password);
    EXPECT_EQ(wb->addresses, w.addresses);
    EXPECT_EQ(wb->chosen, 1);
    EXPECT_FALSE(fs::exists(ctl / "dr_web.ctl.tmp"));
}

TEST_F(ControlFilesTest, FolderFieldsGainTheirSeparatorWhenRead)
{
    writeBytes(ctl / "dr_zep.ctl", "\"c:\",\"c:\\data\",1,\"a.kek\"\r\n");
    writeBytes(ctl / "dr_tor.ctl", "\"c:\",\"c:\\\"\r\n");
    writeBytes(ctl / "dr_ten.ctl", "\"e:\\ten\"\r\n");
    EXPECT_EQ(readZepControl(ctl)->folder, "c:\\data\\");
    EXPECT_EQ(readTorControl(ctl)->folder, "c:\\");
    EXPECT_EQ(readTenControl(ctl)->folder, "e:\\ten\\");
}

TEST_F(ControlFilesTest, WebListTrustsTheAddressesPresentOverTheCount)
{
    writeBytes(ctl / "dr_web.ctl", "\"1\",\"2\"\r\n\"http://a/\",\"http://b/\",5,7\r\n");
    auto w = readWebControl(ctl);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->addresses, (std::vector<std::string>{"http://a/", "http://b/"}));
    EXPECT_EQ(w->chosen, 0); // position 7 is outside the list
}

TEST_F(ControlFilesTest, PrefectureTableRecordsAndReading)
{
    fs::path ken = ctl / "ken.ctl";
    writePrefectureTable(ken, shippedPrefectures());
    std::string bytes = readBytes(ken);
    ASSERT_EQ(bytes.size(), 47u * 20u);
    EXPECT_EQ(bytes.substr(0, 20), sj("北海道") + "  " + sj("ﾎｯｶｲﾄﾞ") + "      ");
    EXPECT_EQ(bytes.substr(13 * 20, 20), sj("神奈川県") + sj("ｶﾅｶﾞﾜ") + "       ");

    auto tokyo = readPrefecture(ken, 13);
    ASSERT_TRUE(tokyo);
    EXPECT_EQ(tokyo->name, "東京都  ");
    EXPECT_EQ(tokyo->reading, "ﾄｳｷｮｳ ");
    EXPECT_EQ(readPrefecture(ken, 47)->name, "沖縄県  ");
    EXPECT_FALSE(readPrefecture(ken, 0));
    EXPECT_FALSE(readPrefecture(ken, 48));
    EXPECT_FALSE(readPrefecture(ctl / "none.ctl", 1));

    // A downloaded table may pad with NULs; a record cut short is not a record.
    const std::string kyoto = sj("京都府") + std::string(2, '\0') + sj("ｷｮｳﾄ") + std::string(8, '\0');
    std::string padded = kyoto;
    for (int i = 1; i < 47; ++i) padded += std::string(20, ' ');
    writeBytes(ken, padded + "abc");
    EXPECT_EQ(readPrefecture(ken, 1)->name, "京都府");
    EXPECT_EQ(readPrefecture(ken, 1)->reading, "ｷｮｳﾄ");
    EXPECT_FALSE(readPrefecture(ken, 48));
}

// Fewer than 47 readable prefectures stop the reader, naming the file, whatever code is asked.
TEST_F(ControlFilesTest, ShortOrDamagedPrefectureTablesAreRefused)
{
    fs::path ken = ctl / "ken.ctl";
    writePrefectureTable(ken, shippedPrefectures());
    const std::string good = readBytes(ken);
    std::string damaged = good;
    damaged[20 * 30 + 1] = '\x7F';
    std::string badByte = good;
    badByte[20 * 46] = '\x82'; // a lead byte with a blank after it
    badByte[20 * 46 + 1] = ' ';
    for (const std::string& bytes : {std::string(), good.substr(0, 46 * 20), good.substr(0, 47 * 20 - 1), damaged, badByte}) {
        writeBytes(ken, bytes);
        try {
            readPrefecture(ken, 13);
            ADD_FAILURE() << bytes.size();
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find(ken.string()), std::string::npos) << e.what();
        }
    }
}

TEST(ShippedPrefectures, FitTheirFieldsAsHalfWidthKana)
{
    const auto& t = shippedPrefectures();
    ASSERT_EQ(t.size(), 47u);
    EXPECT_EQ(t[0].name, "北海道");
    EXPECT_EQ(t[12].name, "東京都");
    EXPECT_EQ(t[26].name, "大阪府");
    EXPECT_EQ(t[45].name, "鹿児島県");
    EXPECT_EQ(t[46].name, "沖縄県");
    for (const auto& p : t) {
        EXPECT_LE(sj(p.name).size(), 8u) << p.name;
        std::string r = sj(p.reading);
        ASSERT_FALSE(r.empty()) << p.name;
        EXPECT_LE(r.size(), 6u) << p.name;
        for (unsigned char c : r) EXPECT_TRUE(c >= 0xA1 && c <= 0xDF) << p.name;
        EXPECT_NE(static_cast<unsigned char>(r[0]), 0xDE) << p.name;
    }
}

TEST_F(ControlFilesTest, ShippedTableIsInstalledOnlyWhenMissing)
{
    EXPECT_TRUE(installShippedPrefectureTable(ctl));
    EXPECT_EQ(readPrefecture(ctl / "ken.ctl", 14)->name, "神奈川県");
    writeBytes(ctl / "ken.ctl", "downloaded");
    EXPECT_FALSE(installShippedPrefectureTable(ctl));
    EXPECT_EQ(readBytes(ctl / "ken.ctl"), "downloaded");
    // Made anew in capitals (a rename that changes only the case is not one on every system).
    fs::remove(ctl / "ken.ctl");
    writeBytes(ctl / "KEN.CTL", "downloaded");
    EXPECT_FALSE(installShippedPrefectureTable(ctl));
    EXPECT_EQ(tolvtest::namesLike(ctl, "ken.ctl"), std::vector<std::string>{"KEN.CTL"});
}

TEST_F(ControlFilesTest, UnitFlagsByPrefecture)
{
    fs::path k = tree.dir() / "kanriken.ctl";
    writeUnitFlags(k, "0100");
    EXPECT_EQ(readBytes(k), "0100" + std::string(76, ' '));
    std::string flags = readUnitFlags(k);
    EXPECT_FALSE(unitKeepsTeams(flags, 1));
    EXPECT_TRUE(unitKeepsTeams(flags, 2));
    EXPECT_FALSE(unitKeepsTeams(flags, 0));
    EXPECT_FALSE(unitKeepsTeams(flags, 81));
    EXPECT_EQ(readUnitFlags(tree.dir() / "none.ctl"), "");
    EXPECT_FALSE(unitKeepsTeams("", 13));
}

TEST_F(ControlFilesTest, UnitListAndPasswordPairs)
{
    fs::path list = tree.dir() / "torlist.dat";
    writeBytes(list, sj("東京都水泳") + "\r\n\r\n  kanagawa  \n\"saitama\"\r\nlast");
    EXPECT_EQ(readUnitList(list), (std::vector<std::string>{"東京都水泳", "kanagawa", "saitama", "last"}));
    EXPECT_TRUE(readUnitList(tree.dir() / "none.dat").empty());

    fs::path pass = tree.dir() / "pass.dat";
    writeBytes(pass, "\"13001\",\"secret\"\r\n\"13002\",\"" + sj("ﾊﾟｽ") + "\"\r\n\"13003\"\r\n");
    EXPECT_TRUE(passwordMatches(pass, "13001", "secret"));
    EXPECT_TRUE(passwordMatches(pass, "13002", "ﾊﾟｽ"));
    EXPECT_FALSE(passwordMatches(pass, "13001", "Secret"));
    EXPECT_FALSE(passwordMatches(pass, "13001", "ﾊﾟｽ"));    // club of one pair, password of another
    EXPECT_FALSE(passwordMatches(pass, "secret", "13002")); // pairs are not read shifted
    EXPECT_FALSE(passwordMatches(pass, "13003", ""));       // lone field is no pair
    EXPECT_FALSE(passwordMatches(tree.dir() / "none.dat", "13001", "secret"));
}

TEST_F(ControlFilesTest, CleanUpRemovesExactlyTheWorkingCopies)
{
    fs::path temp = tree.home() / "temp";
    // pass.dat never outlives the login; master sets kept for another prefecture or sex go too.
    const std::vector<std::string> listed{"dantai.dat",
                                          "KOZIN.DAT",
                                          "Basho.dat",
                                          "indexb.dat",
                                          "IndexK.dat",
                                          "indexn.dat",
                                          "IndexQ.dat",
                                          "indext.dat",
                                          "kanriken.ctl",
                                          "TorList.dat",
                                          "Pass.dat",
                                          "ken13.onna.kozin.dat",
                                          "ken07.otoko.indexq.dat"};
    const std::vector<std::string> kept{"kozin.dat.bak", "ken.ctl", "notes.txt", "ken13.onna.notes.txt", "ken13.x.kozin.dat"};
    for (const auto& n : listed) writeBytes(temp / n, "x");
    for (const auto& n : kept) writeBytes(temp / n, "x");
    fs::remove(temp / "indexn.dat"); // a missing one is skipped, the rest still go

    cleanTempFolder(temp);
    for (const auto& n : listed) EXPECT_FALSE(fs::exists(temp / n)) << n;
    for (const auto& n : kept) EXPECT_TRUE(fs::exists(temp / n)) << n;

    EXPECT_NO_THROW(cleanTempFolder(temp));
    EXPECT_NO_THROW(cleanTempFolder(tree.dir() / "no-such-folder"));
}

} // namespace
