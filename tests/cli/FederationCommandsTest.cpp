// tolv export seiko: the window's two appends from the command line, options and refusals.
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;
using tolvtest::writeBytes;

TEST(CliSeiko, AppendsWithEventAndClassOptions)
{
    tolvtest::TempTree t;
    const auto file = t.dir() / "club.zep", to = t.dir() / "out", ctl = t.home() / "ctl";
    {
        EntryStore s;
        s.openEntryFile(file);
        s.readSwimmer(0);
        s.swimmer().setSeq(1), s.swimmer().setQBango("13001200105011"), s.swimmer().setNenrei(12);
        s.swimmer().setKiro(0, 3510), s.swimmer().setKiro(2, 10523), s.swimmer().setKiro(12, 4000);
        s.header().setTotal(1);
        s.writeSwimmer(1);
    }
    std::filesystem::create_directories(to);
    std::filesystem::create_directories(ctl);
    std::string ind, rly;
    for (int i = 1; i <= 37; ++i) ind += "C" + std::to_string(i) + (i < 37 ? "," : "\r\n");
    for (int i = 1; i <= 10; ++i) rly += "R" + std::to_string(i) + (i < 10 ? "," : "\r\n");
    writeBytes(ctl / "SeikoInd.csv", ind);
    writeBytes(ctl / "SeikoRly.csv", rly);

    auto r = runProgram(TOLV_BIN, {"--home", t.home().string(), "export", "seiko", file.string(), "--to", to.string(), "--events",
                                   "10,30050", "--class-by", "age", "--class", "1:1-10", "--class", "2:11-12"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("csvcomp.csv"), std::string::npos);
    const std::string comp = readBytes(to / "csvcomp.csv");
    EXPECT_NE(comp.find(",02,"), std::string::npos);
    EXPECT_NE(comp.find(",1,10025,0035.10,30050,0040.00,"), std::string::npos);
    EXPECT_EQ(comp.find("10100"), std::string::npos);
    EXPECT_EQ(readBytes(to / "csvteam.csv"), "R1,R2,R3,R4,R5,R6,R7,R8,R9,R10\r\n");

    r = runProgram(TOLV_BIN, {"export", "seiko", file.string(), "--to", to.string(), "--events", "99"});
    EXPECT_EQ(r.exitCode, 2);
    r = runProgram(TOLV_BIN, {"export", "seiko", file.string(), "--to", to.string(), "--class", "11:1-2"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(readBytes(to / "csvcomp.csv"), comp);

    // The two files are one set: when the second cannot be written, the first keeps its lines.
    std::filesystem::remove(to / "csvteam.csv");
    std::filesystem::create_directory(to / "csvteam.csv");
    r = runProgram(TOLV_BIN, {"--home", t.home().string(), "export", "seiko", file.string(), "--to", to.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readBytes(to / "csvcomp.csv"), comp);
}

TEST(CliRegistration, DocumentsAndTransferFilesNeedTheTally)
{
    tolvtest::TempTree t;
    const auto file = t.dir() / "club.zep", to = t.dir() / "out";
    {
        EntryStore s;
        s.openEntryFile(file);
        s.readSwimmer(0);
        s.swimmer().setSeq(1), s.swimmer().setQBango("13001200105011"), s.swimmer().setShuFuku("1");
        s.swimmer().setSei("1"), s.swimmer().setGakunen("12");
        s.header().setTotal(1);
        s.writeSwimmer(1);
    }
    std::filesystem::create_directories(to);
    // Without a tally there is no team register: both refuse and write nothing.
    auto r = runProgram(TOLV_BIN, {"--home", t.home().string(), "export", "registration-docs", file.string(), "--to", to.string(),
                                   "--master", t.dir().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("集計"), std::string::npos);
    r = runProgram(TOLV_BIN, {"--home", t.home().string(), "export", "registration", file.string(), "--to", to.string(),
                              "--master", t.dir().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_empty(to));

    r = runProgram(TOLV_BIN, {"--home", t.home().string(), "tally", file.string(), "--master", t.dir().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string log = (t.dir() / "list.log").string();
    r = runProgram(TOLV_BIN, {"--home", t.home().string(), "export", "registration-docs", file.string(), "--to", to.string(),
                              "--master", t.dir().string(), "--print-log", log});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("団体・競技者登録申請書(1).csv"), std::string::npos);
    EXPECT_NE(readBytes(log).find("登録競技者合計人数"), std::string::npos);
    // One athlete of 小学: 1,000 yen, no registered team.
    EXPECT_NE(readBytes(to / "団体・競技者登録申請書(1).csv").find(tolvtest::sj("\"総合計金額\",\"＝\",\"1,000\"")),
              std::string::npos);

    // The two documents are one set: when the list cannot be written, the fees keep their bytes.
    const std::string fees = readBytes(to / "団体・競技者登録申請書(1).csv");
    std::filesystem::remove(to / "団体・競技者登録申請書(2).csv");
    std::filesystem::create_directory(to / "団体・競技者登録申請書(2).csv");
    std::filesystem::resize_file(to / "団体・競技者登録申請書(1).csv", 3);
    const std::string cut = readBytes(to / "団体・競技者登録申請書(1).csv");
    r = runProgram(TOLV_BIN, {"--home", t.home().string(), "export", "registration-docs", file.string(), "--to", to.string(),
                              "--master", t.dir().string(), "--print-log", log});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readBytes(to / "団体・競技者登録申請書(1).csv"), cut);
    EXPECT_NE(fees, cut);
}
