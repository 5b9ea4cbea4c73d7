// The tolv command line: help per command, usage errors with exit code 2, the fixed clock.
#include "cli/Cli.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>

using tolvtest::runProgram;
using tolvtest::TempTree;

namespace {
tolvtest::RunResult tolvRun(const std::vector<std::string>& args) { return runProgram(TOLV_BIN, args); }
bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// tolv's entry function called in this process: the help texts and the version are made without
// reading or writing a file, so one process serves every command.
tolvtest::RunResult tolvInProcess(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    tolvtest::RunResult r;
    r.exitCode = tolv::cli::run(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}
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
    r = tolvRun({"export", "lenex", "--help"}); // a format's own options
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "usage: tolv export FORMAT ENTRY [--to DIR] [--zip]")) << r.out;

    struct Bad {
        std::vector<std::string> args;
        const char* says;
    } const bad[] = {
        {{"show", entry, "--jsn"}, "--jsn"},                        // unknown option
        {{"show", entry, "extra"}, "extra"},                        // one argument too many
        {{"print", "individuals", entry, "--from", "x"}, "--from"}, // an integer option
        {{"check", "spelling", entry}, "spelling"},                 // not one of the choices
        {{"add", entry}, "--qbango"},                               // a required option
        {{"tally", entry, "--master"}, "--master"},                 // an option without its value
        {{"--home"}, "--home"},
        {{"export", "lenex", entry, "--zipp"}, "--zipp"}, // not an option of the format
        {{"export", "nothing", entry}, "nothing"},        // not a format
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

// Every command and every format of export and import, as `tolv --help` and the formats' lists
// name them, describes itself and each of its arguments and options in one line.
TEST(CliParsing, EveryCommandOptionAndFormatHasADescription)
{
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        std::size_t at = 0;
        for (std::size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
            out.push_back(text.substr(at, nl - at));
        return out;
    };
    auto word = [](const std::string& line, std::size_t from) { return line.substr(from, line.find(' ', from) - from); };

    std::vector<std::vector<std::string>> helps; // the argument lists whose help is checked
    const auto top = tolvInProcess({"--help"});
    ASSERT_EQ(top.exitCode, 0);
    for (const std::string& l : lines(top.out))
        if (l.rfind("  tolv ", 0) == 0) helps.push_back({word(l, 7)});
    ASSERT_GE(helps.size(), 17u) << top.out;
    for (const char* kind : {"export", "import"}) {
        const auto r = tolvInProcess({kind, "--help"});
        bool inList = false;
        for (const std::string& l : lines(r.out)) {
            if (l == "FORMAT:") inList = true;
            else if (inList && l.rfind("  ", 0) == 0 && l[2] != ' ') helps.push_back({kind, word(l, 2)});
        }
    }
    ASSERT_GE(helps.size(), 17u + 12u + 8u);

    for (std::vector<std::string> args : helps) {
        const std::string what = args.size() == 1 ? args[0] : args[0] + " " + args[1];
        std::vector<std::string> viaHelp = {"help"};
        viaHelp.insert(viaHelp.end(), args.begin(), args.end());
        args.push_back("--help");
        const auto r = tolvInProcess(args);
        ASSERT_EQ(r.exitCode, 0) << what << r.err;
        EXPECT_EQ(tolvInProcess(viaHelp).out, r.out) << what; // "tolv help X" is "tolv X --help"
        const std::vector<std::string> text = lines(r.out);
        ASSERT_FALSE(text.empty());
        EXPECT_GT(text[0].size(), ("tolv " + what + ": ").size()) << "no line of help: " << what;
        bool inTable = false, sawHelp = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::string& l = text[i];
            if (l == "引数:" || l == "オプション:") inTable = true;
            else if (l.empty() || l.back() == ':') inTable = false;
            else if (inTable) {
                // "  WORD  description": the word, at least two blanks, then the description.
                const std::size_t gap = l.find("  ", 2 + word(l, 2).size());
                EXPECT_TRUE(gap != std::string::npos && l.find_first_not_of(' ', gap) != std::string::npos)
                    << what << ": no description for \"" << l.substr(2) << "\"";
                sawHelp = sawHelp || l.rfind("  -h, --help", 0) == 0;
            } else if (l == "FORMAT:") {
                for (std::size_t k = i + 1; k + 1 < text.size() && text[k].rfind("  ", 0) == 0; k += 2)
                    EXPECT_GT(text[k + 1].size(), 6u) << what << ": format without a line: " << text[k];
            }
        }
        EXPECT_TRUE(sawHelp) << r.out;
    }

    const auto v = tolvInProcess({"--version"});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_TRUE(std::regex_match(v.out, std::regex("tolv [0-9]+\\.[0-9]+(\\.[0-9]+)*\n"))) << v.out;
}

// A failure of the file system (here a folder that cannot be made inside a file) is told in
// Japanese: what could not be done, the reason and the path.
TEST(CliParsing, AFileSystemFailureIsToldInJapanese)
{
    TempTree t;
    const std::filesystem::path file = t.dir() / "plain";
    tolvtest::writeBytes(file, "x");
    const auto r = tolvRun({"demo", (file / "demo").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "フォルダを作れません: フォルダではありません\n" + (file / "demo").string() + "\n");
}
