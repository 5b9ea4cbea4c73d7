// tolv import FORMAT ENTRY, run as a user runs it.
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;
using tolvtest::sj;

TEST(CliImports, ImportsReportWhatTheyDidAndFailWhenNothingCameIn)
{
    tolvtest::TempTree t;
    const auto file = t.dir() / "club.zep";
    {
        EntryStore s;
        s.openEntryFile(file);
        s.readSwimmer(0);
        s.swimmer().setSeq(1), s.swimmer().setQBango("13001199804021"), s.swimmer().setNamae("山田太郎");
        s.swimmer().setSei("1");
        s.header().setTotal(1);
        s.writeSwimmer(1);
    }
    const auto transfer = t.dir() / "transfer";
    std::filesystem::create_directories(transfer);
    tolvtest::writeBytes(transfer / "jpnnewsmer.csv", sj("1,\"1980402山田太郎\",x,y,\"7654321\"\r\n"));

    auto r = runProgram(TOLV_BIN, {"import", "nitiban", file.string(), "--from", transfer.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "登録番号を 1 人に入れました（一覧 1 行、申込ファイルの選手 1 人）。\n");

    // Without --from the transfer folder of dr_ten.ctl is read.
    ensureWorkTree();
    writeTenControl(ctlDir(), TenControl{toStoredPath(transfer, true)});
    tolvtest::writeBytes(transfer / "jpnnewsmer.csv", sj("1,\"2980402鈴木\",x,y,\"1\"\r\n"));
    std::string bytes = readBytes(file);
    r = runProgram(TOLV_BIN, {"import", "nitiban", file.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("登録番号を 0 人に入れました"), std::string::npos) << r.err;

    r = runProgram(TOLV_BIN, {"import", "scm", file.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "「ScmSwimmerdt.csv」ファイルがありません。\nＳＷＭで作成されたファイルではありません。\n処理を中止します。\n");

    tolvtest::writeBytes(transfer / "Results.Dat", sj("\"1\",\"1\",\"3\"" + std::string(33, ',') + "\"1:00.00\"\r\n"));
    r = runProgram(TOLV_BIN, {"import", "results1", file.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("--replace"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(file), bytes);
    r = runProgram(TOLV_BIN, {"import", "results1", file.string(), "--replace"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "選手 1 人を Results.Dat の記録 1 件で置き換えました。\n");

    // A floppy drive that is not ready: the command line answers Cancel.
    writeTenControl(ctlDir(), TenControl{"q:\\"});
    r = runProgram(TOLV_BIN, {"import", "web", file.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "q:\\ にフロッピーを入れてください。\n中止しました。\n");

    r = runProgram(TOLV_BIN, {"import", "lenex-x", file.string()});
    EXPECT_EQ(r.exitCode, 2);
}
