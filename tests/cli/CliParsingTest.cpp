// The tolv command line: help per command, usage errors with exit code 2, the fixed clock.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using tolvtest::runProgram;
using tolvtest::TempTree;

namespace {
tolvtest::RunResult tolvRun(const std::vector<std::string>& args) { return runProgram(TOLV_BIN, args); }
bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
} // namespace

TEST(CliParsing, EveryCommandHasItsHelpAndBadArgumentsAreUsageErrors)
{
    TempTree t;
    const std::string entry = (t.dir() / "a.zep").string();
    ASSERT_EQ(tolvRun({"new", entry}).exitCode, 0);

    auto r = tolvRun({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "tolv export FORMAT ENTRY")) << r.out;
    r = tolvRun({"print", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "--issuer N=TEXT")) << r.out;
    EXPECT_TRUE(has(r.out, "usage: tolv print team-list|")) << r.out;
    r = tolvRun({"export", "lenex", "--help"});  // a format's own options
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "usage: tolv export FORMAT ENTRY [--to DIR] [--zip]")) << r.out;

    struct Bad {
        std::vector<std::string> args;
        const char* says;
    } const bad[] = {
        {{"show", entry, "--jsn"}, "--jsn"},                          // unknown option
        {{"show", entry, "extra"}, "extra"},                          // one argument too many
        {{"print", "individuals", entry, "--from", "x"}, "--from"},   // an integer option
        {{"check", "spelling", entry}, "spelling"},                   // not one of the choices
        {{"add", entry}, "--qbango"},                                 // a required option
        {{"tally", entry, "--master"}, "--master"},                   // an option without its value
        {{"--home"}, "--home"},
        {{"export", "lenex", entry, "--zipp"}, "--zipp"},            // not an option of the format
        {{"export", "nothing", entry}, "nothing"},                    // not a format
    };
    for (const Bad& b : bad) {
        r = tolvRun(b.args);
        EXPECT_EQ(r.exitCode, 2) << b.args[0] << " " << b.says;
        EXPECT_TRUE(has(r.err, b.says)) << r.err;
    }
    // Values may follow with "=", and a negative number is a value.
    r = tolvRun({"print", "individuals", entry, "--from=-3", "--to", "-1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(CliParsing, TolvsysNowIsTheDateAndTimeOfEveryCommand)
{
    TempTree t;
    const std::string entry = (t.dir() / "a.zep").string();
    ASSERT_EQ(tolvRun({"new", entry}).exitCode, 0);
    setenv("TOLVSYS_NOW", "2008-10-16 09:05:07", 1);
    auto r = tolvRun({"print", "individuals", entry});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "2008/10/16  09:05:07")) << r.out;
    setenv("TOLVSYS_NOW", "2008-02-30 09:05:07", 1);
    r = tolvRun({"print", "individuals", entry});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(has(r.err, "TOLVSYS_NOW")) << r.err;
    unsetenv("TOLVSYS_NOW");
}
