// A generated 2,000-swimmer federation file through every check, rewrite, tally, list and sort:
// the print logs and files must stay byte for byte what they were when the kept copies were
// taken, whatever is done to make the commands faster or to rearrange the code.
#include "FederationFile.h"
#include "checks/CheckMenu.h"
#include "exchange/Exports.h"
#include "registration/RegistrationExport.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
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
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string_view>
#include <vector>

using namespace tolv;
using namespace tolv::reports;
using reporttest::logOf;
namespace fs = std::filesystem;

namespace {

// Every output as it was when the program was known good, one entry per command in a zip file
// beside this test. TOLV_UPDATE_OUTPUTS=1 writes the current outputs there instead (for a change
// that is meant to alter an output: review the difference the failing test showed first).
const fs::path kOutputs = fs::path(TOLV_TEST_DIR) / "reports" / "federation-outputs.zip";

std::map<std::string, std::string> readOutputs(const fs::path& zipPath)
{
    std::map<std::string, std::string> out;
    int err = 0;
    zip_t* z = zip_open(zipPath.string().c_str(), ZIP_RDONLY, &err);
    if (!z) return out;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
        std::string bytes(static_cast<std::size_t>(st.size), '\0');
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        if (!f) continue;
        const zip_int64_t got = zip_fread(f, bytes.data(), bytes.size());
        zip_fclose(f);
        if (got == static_cast<zip_int64_t>(bytes.size())) out[st.name] = std::move(bytes);
    }
    zip_close(z);
    return out;
}

void writeOutputs(const fs::path& zipPath, const std::map<std::string, std::string>& outputs)
{
    int err = 0;
    zip_t* z = zip_open(zipPath.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(z, nullptr) << zipPath;
    for (const auto& [name, bytes] : outputs) {
        zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
        const zip_int64_t i = zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        ASSERT_GE(i, 0) << name;
        zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_DEFLATE, 9);
        zip_file_set_mtime(z, static_cast<zip_uint64_t>(i), 0, 0);
    }
    ASSERT_EQ(zip_close(z), 0) << zipPath;
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
std::string firstDifference(const std::string& name, const std::string& was, const std::string& now)
{
    const bool records = name == "file" || name == "tally" || name.rfind("rewrite ", 0) == 0 || name.rfind("sort ", 0) == 0;
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
        got["print receipts"] = (logOf([&](Printer& p) {
            printReceipts(p, totals, 1, totals.teamCount(), ReceiptIssuer::defaults());
        }));
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
        writeOutputs(kOutputs, got);
        GTEST_SKIP() << "outputs written to " << kOutputs;
    }
    const std::map<std::string, std::string> expected = readOutputs(kOutputs);
    ASSERT_FALSE(expected.empty()) << "cannot read " << kOutputs;
    for (const auto& [name, bytes] : expected) {
        const auto it = got.find(name);
        if (it == got.end()) {
            ADD_FAILURE() << name << ": no longer made";
            continue;
        }
        EXPECT_TRUE(it->second == bytes) << name << " changed, first at " << firstDifference(name, bytes, it->second);
    }
    for (const auto& [name, bytes] : got)
        EXPECT_TRUE(expected.count(name)) << name << ": new output without a kept copy";
}
