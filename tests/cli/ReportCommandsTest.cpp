// tolv tally, sort and print, run as a user runs them.
#include "FederationFile.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "reports/ReportFixture.h"
#include "storage/ControlFiles.h"
#include "storage/Master.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace reporttest;
using tolvtest::readBytes;

namespace {

tolvtest::RunResult run(const std::vector<std::string>& args) { return tolvtest::runProgram(TOLV_BIN, args); }

void addTwoTeams(EntryFile& f)
{
    Swimmer a;
    a.qbango = "13002199901015";
    a.sei = "2";
    a.namae = "二番";
    a.kiro = {{1, 3000}};
    f.add(a);
    Swimmer b;
    b.qbango = "13001200105011";
    b.namae = "一番";
    b.kiro = {{2, 10000}, {25, 666666}};
    f.add(b);
    f.store.close();
}

fs::path writeMaster(const fs::path& root)
{
    std::vector<TeamRecord> teams(1);
    teams[0].setCode("13001");
    teams[0].setName("さくらスイミングクラブ");
    fs::create_directories(root / "ken13");
    writeTeamList(root / "ken13" / "dantai.dat", teams);
    std::string flags(80, '0');
    flags[12] = '1';
    writeUnitFlags(root / "kanriken.ctl", flags);
    return root;
}

std::vector<std::string> texts(const std::string& log)
{
    std::vector<std::string> out;
    for (const Op& op : parseLog(log))
        if (op.kind == "text") out.push_back(op.text);
    return out;
}

bool contains(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

} // namespace

TEST(CliReports, TallyThenTeamListWithItsHtmlCopy)
{
    EntryFile f;
    addTwoTeams(f);
    const std::string entry = f.path().string();

    auto r = run({"print", "team-list", entry});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("先に集計してください"), std::string::npos) << r.err;

    r = run({"tally", entry, "--master", writeMaster(f.dir() / "reg").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, f.zedPath().string() + "\t2\n");
    std::string zed = readBytes(f.zedPath());
    ASSERT_EQ(zed.size(), 12u * 384);
    EXPECT_EQ(zed.substr(11 * 384 + 5, 22), tolvtest::sj("さくらスイミングクラブ")); // team 2 is 13001

    r = run({"print", "team-list", entry});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto t = texts(r.out);
    EXPECT_TRUE(contains(t, "申  込  団  体  一  覧"));
    EXPECT_TRUE(contains(t, "    1 13002 さくらＳＣ  "));
    EXPECT_TRUE(contains(t, "    0    1    1     0    1    1     0    0    0"));
    EXPECT_TRUE(contains(t, "    1    0    1     1    0    1     1    0    1"));
    std::string html = readBytes(f.dir() / "meet1.html");
    EXPECT_EQ(html.substr(0, 42), "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>\r\n");
    EXPECT_NE(html.find("<TD>13001</TD>\r\n"), std::string::npos);
}

TEST(CliReports, TallyTakesTheRegistrationRootOfTheControlFile)
{
    EntryFile f;
    addTwoTeams(f);
    fs::path root = writeMaster(f.dir() / "reg");
    ensureControlDefaults(ctlDir());
    writeTorControl(ctlDir(), {"c:", toStoredPath(root, true)});
    auto r = run({"tally", f.path().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(f.zedPath()).substr(11 * 384 + 5, 22), tolvtest::sj("さくらスイミングクラブ"));
}

TEST(CliReports, SortAndTheIndividualListRange)
{
    EntryFile f;
    addTwoTeams(f);
    const std::string entry = f.path().string();
    auto r = run({"sort", "club", entry});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = run({"print", "individuals", entry, "--from", "2", "--to", "9"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto t = texts(r.out);
    EXPECT_TRUE(contains(t, "    2 二番            "));
    EXPECT_FALSE(contains(t, "    1 一番            "));
    r = run({"print", "individual-events", entry});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(texts(r.out), "    1 一番            "));

    r = run({"sort", "name", entry});
    EXPECT_EQ(r.exitCode, 2);
    r = run({"print", "nothing", entry});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("team-list"), std::string::npos);
    r = run({"sort", "sex", (f.dir() / "missing.zep").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(f.dir() / "missing.zep"));
}

TEST(CliReports, PdfWithAndWithoutThePrintLog)
{
    EntryFile f;
    addTwoTeams(f);
    const std::string entry = f.path().string();
    ASSERT_EQ(run({"tally", entry, "--master", f.dir().string()}).exitCode, 0);

    fs::path pdf = f.dir() / "form.pdf";
    auto r = run({"print", "entry-form", entry, "--pdf", pdf.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readBytes(pdf).substr(0, 5), "%PDF-");
    EXPECT_FALSE(fs::exists(pdf.string() + ".tmp"));
    // A folder that is not there: the writer's failure, returned by the module as a value, reaches
    // the user as the one line any failed command prints, with the system's reason as the exports
    // give it.
    const fs::path missing = f.dir() / "missing" / "form.pdf";
    r = run({"print", "entry-form", entry, "--pdf", missing.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "PDFファイルを作成できません: " + missing.string() + "（ファイルまたはフォルダがありません）\n");

    fs::path log = f.dir() / "receipts.log";
    fs::path pdf2 = f.dir() / "receipts.pdf";
    r = run({"print", "receipts", entry, "--pdf", pdf2.string(), "--print-log", log.string(), "--issuer", "1=東京都水泳協会",
             "--issuer-size", "1=22", "--from", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(pdf2).substr(0, 5), "%PDF-");
    // No prices yet: no receipts, an empty job.
    EXPECT_EQ(readBytes(log), "font\tＭＳ 明朝\t12\nend\n");

    r = run({"print", "receipts", entry, "--issuer", "7=x"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST(CliReports, EveryListPrints)
{
    EntryFile f;
    addTwoTeams(f);
    const std::string entry = f.path().string();
    ASSERT_EQ(run({"tally", entry, "--master", f.dir().string()}).exitCode, 0);
    const std::pair<const char*, const char*> lists[] = {
        {"events", "団  体  種  目  一  覧"},
        {"events-reserve", "団  体  種  目  (予備)  一  覧"},
        {"fee-list", "申  込  金  一  覧"},
        {"address", "日本水泳連盟"},
        {"entry-form", "大会参加申込書"},
        {"individuals", "個  人  一  覧"},
        {"individual-events", "個  人  種  目  一  覧"},
        {"time-list", "* * *  競 技 会 申 し 込 み (ｴﾝﾄﾘｰTIME) 一 覧 表  * * *"}};
    for (const auto& [list, title] : lists) {
        auto r = run({"print", list, entry});
        ASSERT_EQ(r.exitCode, 0) << list << r.err;
        EXPECT_TRUE(contains(texts(r.out), title)) << list;
        EXPECT_EQ(r.out.substr(r.out.size() - 4), "end\n") << list;
    }
}

TEST(CliReports, OnlyAPdfLoadsQt)
{
    EntryFile f;
    f.store.close();
    const std::string entry = f.path().string();
    // The dynamic loader names every library it loads on stderr.
    setenv("LD_DEBUG", "libs", 1);
    auto shown = run({"show", entry});
    auto checked = run({"check", "number", entry});
    auto pdf = run({"print", "address", "--pdf", (f.dir() / "a.pdf").string()});
    unsetenv("LD_DEBUG");
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(checked.exitCode, 0);
    EXPECT_EQ(shown.err.find("libQt6"), std::string::npos);
    EXPECT_EQ(checked.err.find("libQt6"), std::string::npos);
    EXPECT_EQ(pdf.exitCode, 0);
    EXPECT_NE(pdf.err.find("libQt6Gui"), std::string::npos);
    EXPECT_EQ(readBytes(f.dir() / "a.pdf").substr(0, 5), "%PDF-");
}

namespace {

// The characters of a text, less blanks (pdftotext lays items out with blanks of its own).
std::vector<std::u32string::value_type> inkOf(const std::u32string& text)
{
    std::vector<std::u32string::value_type> out;
    for (char32_t c : text) {
        if (c == U' ' || c == U'\u3000' || c == U'\n' || c == U'\f' || c == U'\r' || c == U'\t') continue;
        // IPA Mincho draws these with one glyph, which the PDF names by the other character.
        out.push_back(c == U'\uFF65' ? U'\u00B7' : c == U'\uFF5E' ? U'\u301C' : c);
    }
    return out;
}

} // namespace

TEST(CliReports, ThePdfHoldsEveryLineOfThePrintLog)
{
    // A 1,000-swimmer federation file: the same-time check runs over several pages without page
    // breaks of its own, the lists and the entry form make theirs. Every character the log prints
    // that begins on the paper (A4, the printable area a sixth of an inch in) is in the PDF's text:
    // the same-time lines are wider than the sheet.
    constexpr int kSheetWidth = 11906 - 240; // the paper right of the printable area's left edge
    tolvtest::TempTree tree;
    const tolvbench::FederationFile f = tolvbench::writeFederation(tree.dir(), 1000, 7);
    const std::string entry = f.entry.string();
    ASSERT_EQ(run({"tally", entry, "--master", f.registrationRoot.string()}).exitCode, 0);
    const std::vector<std::vector<std::string>> commands = {
        {"check", "same-time"}, {"check", "number"}, {"print", "team-list"}, {"print", "entry-form"}};
    for (const auto& command : commands) {
        const std::string name = command[0] + "-" + command[1];
        const fs::path pdf = tree.dir() / (name + ".pdf"), log = tree.dir() / (name + ".log");
        auto r = run({command[0], command[1], entry, "--pdf", pdf.string(), "--print-log", log.string()});
        ASSERT_EQ(r.exitCode, 0) << name << r.err;
        const auto ops = parseLog(readBytes(log));
        std::vector<char32_t> logged;
        double size = 10;
        for (const Op& op : ops) {
            if (op.kind == "font") size = std::stod(op.text.substr(op.text.rfind(' ') + 1));
            if (op.kind != "text") continue;
            double x = op.n[0];
            for (char32_t c : toUtf32(op.text)) {
                if (x < kSheetWidth) { // the character begins on the sheet
                    auto ink = inkOf(std::u32string(1, c));
                    logged.insert(logged.end(), ink.begin(), ink.end());
                }
                x += static_cast<double>(cp932Length(fromUtf32(std::u32string(1, c)))) * size * 10.0;
            }
        }
        auto text = tolvtest::runProgram("/usr/bin/pdftotext", {"-raw", pdf.string(), "-"});
        ASSERT_EQ(text.exitCode, 0) << text.err;
        std::vector<char32_t> shown = inkOf(toUtf32(text.out));
        std::sort(logged.begin(), logged.end());
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown.size(), logged.size()) << name;
        EXPECT_TRUE(shown == logged) << name;
        // Every page of the PDF ends with a form feed.
        const int sheets = int(std::count(text.out.begin(), text.out.end(), '\f'));
        if (command[1] == "same-time") EXPECT_GT(sheets, int(pages(ops).size())) << name;
        else EXPECT_EQ(sheets, int(pages(ops).size())) << name;
        // The file's structure (cross-references, page tree) is sound: a reader finds every page
        // without repairing it, and says nothing about it.
        auto info = tolvtest::runProgram("/usr/bin/pdfinfo", {pdf.string()});
        EXPECT_EQ(info.exitCode, 0) << name;
        EXPECT_EQ(info.err, "") << name;
        const auto pagesAt = info.out.find("Pages:");
        ASSERT_NE(pagesAt, std::string::npos) << name << info.out;
        EXPECT_EQ(std::stoi(info.out.substr(pagesAt + 6)), sheets) << name;
    }
}
