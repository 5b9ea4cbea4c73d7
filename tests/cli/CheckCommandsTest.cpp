// tolv check / tolv rewrite, run as a user runs them.
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::readBytes;
using tolvtest::runProgram;

namespace {
// Two main-registration swimmers sharing the number 1234567.
std::string twoSwimmers(const tolvtest::TempTree& t)
{
    auto file = t.dir() / "club.zep";
    EntryStore s;
    s.openEntryFile(file);
    for (int n = 1; n <= 2; ++n) {
        s.readSwimmer(0);
        s.swimmer().setSeq(n), s.swimmer().setBango("1234567"), s.swimmer().setShuFuku("1");
        s.swimmer().setNamae(n == 1 ? "山田太郎" : "山田花子");
        s.header().setTotal(n);
        s.writeSwimmer(n);
    }
    return file.string();
}
} // namespace

TEST(CliChecks, CheckPrintsTheLogAndRewriteChangesTheFile)
{
    tolvtest::TempTree t;
    const std::string file = twoSwimmers(t);
    std::string bytes = readBytes(file);
    auto r = runProgram(TOLV_BIN, {"check", "number", file});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "text\t0\t0\t1234567 2 山田花子        1->1234567 1 山田太郎        1\nend\n");
    const std::string log = (t.dir() / "check.log").string();
    r = runProgram(TOLV_BIN, {"check", "no-category", file, "--print-log", log});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out + readBytes(log), "text\t0\t0\t 1 山田太郎        \ntext\t0\t200\t 2 山田花子        \nend\n");
    EXPECT_EQ(readBytes(file), bytes);

    bytes[10 * 384 + 94] = bytes[11 * 384 + 94] = '2'; // shuFuku of swimmers 1 and 2
    r = runProgram(TOLV_BIN, {"rewrite", "secondary", file});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(file), bytes);

    // A check name is no rewrite name, and a missing entry file is refused, not created.
    r = runProgram(TOLV_BIN, {"rewrite", "number", file});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("same-time"), std::string::npos) << r.err;
    const auto missing = t.dir() / "none.zep";
    r = runProgram(TOLV_BIN, {"check", "kana", missing.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("none.zep"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(readBytes(file), bytes);
}
