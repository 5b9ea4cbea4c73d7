// A generated 2,000-swimmer federation file through every check, rewrite, tally, list and sort:
// the print logs and files must stay byte for byte what they were when the kept copies were
// taken, whatever is done to make the commands faster or to rearrange the code.
#include "FederationFile.h"
#include "checks/CheckMenu.h"
#include "exchange/Exports.h"
#include "registration/RegistrationExport.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "platform/Seal.h"
#include "reports/EntryForm.h"
#include "reports/FeeReports.h"
#include "reports/IndividualLists.h"
#include "reports/Sorting.h"
#include "reports/Tally.h"
#include "reports/TeamLists.h"
#include "storage/TeamTotalsFile.h"
#include "reports/TimeList.h"
#include "reports/ReportFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>
#include <vector>

using namespace tolv;
using namespace tolv::reports;
using reporttest::logOf;
namespace fs = std::filesystem;

namespace {

// Every output as it was when the program was known good, one file per command in the folder
// federation-outputs beside this test ("check age" in check/age, "print team-list html" in
// print/team-list-html). Outputs that are text (UTF-8 or ASCII) are kept as they are; the others
// (CP932 lists, record files) as a rendering in UTF-8 that a diff can show (NAME.cp932.txt) and
// the SHA-256 and size of their exact bytes (NAME.sha256). TOLV_UPDATE_OUTPUTS=1 writes the
// current outputs there instead (for a change that is meant to alter an output: review the
// difference the failing test showed first).
const fs::path kOutputs = fs::path(TOLV_TEST_DIR) / "reports" / "federation-outputs";
const std::string kRendering = ".cp932.txt";
const std::string kDigest = ".sha256";

fs::path keptPath(const std::string& name)
{
    std::string rel = name;
    const std::size_t first = rel.find(' ');
    for (std::size_t i = 0; i < rel.size(); ++i)
        if (rel[i] == ' ') rel[i] = i == first ? '/' : '-';
    return kOutputs / fs::path(rel);
}

// Outputs made of 384-byte records, shown one record to a line.
bool isRecordFile(const std::string& name)
{
    return name == "file" || name == "tally" || name.rfind("rewrite ", 0) == 0 || name.rfind("sort ", 0) == 0;
}

std::vector<std::string_view> linesOf(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        lines.push_back(bytes.substr(0, end));
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
    }
    return lines;
}

// Print logs are UTF-8; the exported lists are CP932.
bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

// Text a diff shows as it is: UTF-8 with no control characters but tab, line ends and form feed.
bool isText(std::string_view s)
{
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || b == 0x7f) return false;
    }
    return validUtf8(s);
}

// CP932 bytes as UTF-8 text: CR LF becomes a line end, a byte that is no character or a control
// character is written \xNN (a run of four or more of one such byte \xNN{count}). The rendering is
// for reading; the digest beside it holds the bytes.
std::string renderLine(std::string_view bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    auto escape = [&](unsigned char b) {
        out += "\\x";
        out += digits[b >> 4];
        out += digits[b & 15];
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        if (b == '\n' || b == '\t' || (b >= 0x20 && b < 0x7f)) {
            out += static_cast<char>(b);
        } else if ((b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc)) {
            const std::string one = i + 1 < bytes.size() ? fromCp932(bytes.substr(i, 2)) : std::string();
            if (one.empty() || one.find("\xEF\xBF\xBD") != std::string::npos) {
                escape(b);
                continue;
            }
            out += one;
            ++i;
        } else if (b >= 0xa1 && b <= 0xdf) {
            out += fromCp932(bytes.substr(i, 1));
        } else {
            // A run of one such byte (the zeros of an empty field) as \xNN{count}.
            std::size_t run = 1;
            while (i + run < bytes.size() && bytes[i + run] == bytes[i]) ++run;
            escape(b);
            if (run >= 4) {
                out += "{" + std::to_string(run) + "}";
                i += run - 1;
            }
        }
    }
    return out;
}

std::string rendering(const std::string& name, std::string_view bytes)
{
    if (!isRecordFile(name)) return renderLine(bytes);
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += 384) {
        std::string line = renderLine(bytes.substr(at, 384));
        for (std::size_t k = 0; (k = line.find('\n', k)) != std::string::npos;) line.replace(k, 1, "\\x0a");
        out += line + "\n";
    }
    return out;
}

std::string digestOf(std::string_view bytes)
{
    Sha256 sha;
    sha.update(bytes);
    return "sha256 " + sha.hex() + "\nsize " + std::to_string(bytes.size()) + "\n";
}

void writeOutputs(const std::map<std::string, std::string>& outputs)
{
    fs::remove_all(kOutputs);
    for (const auto& [name, bytes] : outputs) {
        const fs::path p = keptPath(name);
        fs::create_directories(p.parent_path());
        if (isText(bytes)) {
            tolvtest::writeBytes(p, bytes);
        } else {
            tolvtest::writeBytes(p.string() + kRendering, rendering(name, bytes));
            tolvtest::writeBytes(p.string() + kDigest, digestOf(bytes));
        }
    }
}

std::string hexAround(const std::string& bytes, std::size_t at)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = at; i < bytes.size() && i < at + 16; ++i) {
        out += digits[static_cast<unsigned char>(bytes[i]) >> 4];
        out += digits[static_cast<unsigned char>(bytes[i]) & 15];
        out += ' ';
    }
    return out.empty() ? std::string("(the file ends)") : out;
}

// Where two outputs part: for files of 384-byte records the record and byte, for the reports the
// first line that differs, as it was and as it is now (CP932 shown as text).
std::string firstDifference(bool records, const std::string& was, const std::string& now)
{
    if (records) {
        std::size_t i = 0;
        while (i < was.size() && i < now.size() && was[i] == now[i]) ++i;
        return "record " + std::to_string(i / 384 + 1) + ", byte " + std::to_string(i % 384) + " (sizes " +
               std::to_string(was.size()) + " and " + std::to_string(now.size()) + ")\n    was: " + hexAround(was, i) +
               "\n    now: " + hexAround(now, i);
    }
    const auto a = linesOf(was), b = linesOf(now);
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    auto show = [](const std::vector<std::string_view>& lines, std::size_t k) {
        if (k >= lines.size()) return std::string("(no line: the output ends)");
        const std::string_view line = lines[k].substr(0, 400);
        std::string t = validUtf8(line) ? std::string(line) : fromCp932(line);
        for (char& c : t)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') c = '.';
        return t;
    };
    return "line " + std::to_string(i + 1) + " of " + std::to_string(a.size()) + " (now " + std::to_string(b.size()) +
           " lines)\n    was: " + show(a, i) + "\n    now: " + show(b, i);
}

} // namespace

TEST(FederationRegression, EveryCommandKeepsItsOutputBytes)
{
    tolvtest::TempTree tree;
    setFixedNow({2024, 5, 1, 10, 0, 0});
    const tolvbench::FederationFile f = tolvbench::writeFederation(tree.dir(), 2000, 7, ctlDir());
    const std::string original = tolvtest::readBytes(f.entry);
    std::map<std::string, std::string> got;
    got["file"] = original;
    ScriptedPrompt prompt(false);

    for (const CheckMenuItem& item : checkMenuItems()) {
        tolvtest::writeBytes(f.entry, original);
        EntryStore store;
        store.openEntryFile(f.entry);
        if (item.kind == CheckKind::Report) {
            got[std::string("check ") + item.cliName] = (logOf([&](Printer& p) { item.run(store, &p, prompt); }));
        } else {
            item.run(store, nullptr, prompt);
            store.close();
            got[std::string("rewrite ") + item.cliName] = (tolvtest::readBytes(f.entry));
        }
    }

    tolvtest::writeBytes(f.entry, original);
    {
        EntryStore store;
        store.openEntryFile(f.entry);
        const EntryHeader& h = store.header();
        runTally(store, h.botai(), MasterSource::local(f.registrationRoot), &prompt);
        {
            // Prices, so the fee list and receipts carry amounts.
            TeamTotalsFile totals;
            totals.open(teamTotalsPath(f.entry));
            for (int k = 0; k < 8; ++k) totals.control().setPrice(k, 500 + 250 * k);
            totals.writeControl();
        }
        got["tally"] = (tolvtest::readBytes(teamTotalsPath(f.entry)));
        TeamTotalsFile totals;
        totals.open(teamTotalsPath(f.entry));
        std::string html;
        got["print team-list"] = (logOf([&](Printer& p) { html = printTeamList(p, totals, h); }));
        got["print team-list html"] = (html);
        got["print events"] = (logOf([&](Printer& p) { printEventList(p, totals, h, false); }));
        got["print events-reserve"] = (logOf([&](Printer& p) { printEventList(p, totals, h, true); }));
        got["print fee-list"] = (logOf([&](Printer& p) { printFeeList(p, totals, h); }));
        got["print receipts"] =
            (logOf([&](Printer& p) { printReceipts(p, totals, 1, totals.teamCount(), ReceiptIssuer::defaults()); }));
        got["print entry-form"] = (logOf([&](Printer& p) { printEntryForm(p, totals, store, 1, totals.teamCount()); }));
        got["print individuals"] = (logOf([&](Printer& p) { printIndividualList(p, store, 1, h.total()); }));
        got["print individual-events"] = (logOf([&](Printer& p) { printIndividualEventList(p, store, 1, h.total()); }));
        got["print time-list"] = (logOf([&](Printer& p) { printTimeList(p, store, h.botai()); }));
    }
    {
        // The exports of the swimmer files, written line by line: every file of the set (the SCM
        // media of 450 swimmers and the registration media of 1360 end inside the file).
        EntryStore store;
        store.openEntryFile(f.entry);
        const exchange::EntryData data = exchange::EntryData::read(store);
        store.close();
        const std::pair<const char*, exchange::ExportFn> exports[] = {
            {"scm-link", exchange::exportScmLink},
            {"scm-media", exchange::exportScmMedia},
            {"swm-media", exchange::exportSwmMedia},
            {"registration", registration::exportRegistration},
        };
        for (const auto& [name, run] : exports) {
            exchange::ExportTarget target;
            target.transfer = tree.dir() / "transfer" / name;
            fs::create_directories(target.transfer);
            target.ctl = ctlDir();
            target.master = MasterSource::local(f.registrationRoot);
            target.when = now();
            for (const exchange::PlannedFile& file : run(data, target).written)
                got[std::string("export ") + name + "/" + fs::relative(file.path, target.transfer).generic_string()] =
                    tolvtest::readBytes(file.path);
        }
    }

    for (SortOrder order : {SortOrder::Club, SortOrder::Sex}) {
        tolvtest::writeBytes(f.entry, original);
        EntryStore store;
        store.openEntryFile(f.entry);
        sortEntryFile(store, order, store.header().botai());
        store.close();
        got[order == SortOrder::Club ? "sort club" : "sort sex"] = (tolvtest::readBytes(f.entry));
    }

    if (std::getenv("TOLV_UPDATE_OUTPUTS")) {
        writeOutputs(got);
        GTEST_SKIP() << "outputs written to " << kOutputs;
    }
    ASSERT_TRUE(fs::is_directory(kOutputs)) << "no kept outputs in " << kOutputs;
    std::set<fs::path> unused;
    for (const auto& e : fs::recursive_directory_iterator(kOutputs))
        if (e.is_regular_file()) unused.insert(e.path());
    for (const auto& [name, bytes] : got) {
        const fs::path p = keptPath(name);
        const fs::path text = p.string() + kRendering, digest = p.string() + kDigest;
        if (unused.erase(p)) {
            const std::string was = tolvtest::readBytes(p);
            EXPECT_TRUE(bytes == was) << name << " changed, first at " << firstDifference(isRecordFile(name), was, bytes);
        } else if (unused.count(text) && unused.count(digest)) {
            unused.erase(text);
            unused.erase(digest);
            const std::string wasText = tolvtest::readBytes(text), nowText = rendering(name, bytes);
            const bool sameBytes = tolvtest::readBytes(digest) == digestOf(bytes);
            if (wasText != nowText) ADD_FAILURE() << name << " changed, first at " << firstDifference(false, wasText, nowText);
            else
                EXPECT_TRUE(sameBytes) << name << ": the same text, other bytes (line ends, characters the rendering "
                                       << "shows alike); its digest was\n"
                                       << tolvtest::readBytes(digest) << "now\n"
                                       << digestOf(bytes);
        } else {
            ADD_FAILURE() << name << ": new output without a kept copy (" << p << ")";
        }
    }
    for (const fs::path& p : unused) ADD_FAILURE() << p << ": kept output no longer made";
}
