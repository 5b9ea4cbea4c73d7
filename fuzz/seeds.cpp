// Writes the seed corpora: generated files of each kind, made by the program's own writers, the
// generated federation file and the import inputs made from it (bench/ImportInputs.h).
//   fuzz_seeds DIR  ->  DIR/<target>/ for every fuzz target
#include "FederationFile.h"
#include "FuzzSupport.h"
#include "ImportInputs.h"
#include "exchange/Exports.h"
#include "exchange/LenexWriter.h"
#include "reports/Tally.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/DemoData.h"
#include "storage/PrefectureTable.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string bytesOf(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// The bytes of the first file under `dir` (in path order) named `name` without regard to letter
// case; empty when there is none.
std::string firstNamed(const fs::path& dir, const std::string& name)
{
    std::vector<fs::path> found;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && lower(e.path().filename().string()) == lower(name)) found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found.empty() ? std::string() : bytesOf(found.front());
}

void writeSeed(const fs::path& p, const std::string& bytes)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

// The seeds of the readers of other systems' files, made from a small generated federation file: the
// import inputs generated from it, a yomi.dat holding their reading format, the team totals file
// of its tally and its SCM and SWM media exports.
void writeImportSeeds(const fs::path& out)
{
    namespace ex = tolv::exchange;
    const fs::path fed = tolvfuzz::workDir() / "federation";
    const tolvbench::FederationFile federation = tolvbench::writeFederation(fed, 60, 1, fed / "ctl");
    const fs::path inputs = fed / "inputs";
    const fs::path yomi = fed / "yomi.dat";
    tolvbench::writeImportInputs(federation.entry, inputs, yomi);
    writeSeed(out / "web" / "web",
              tolvfuzz::joinParts({bytesOf(inputs / "web" / "swcomp.txt"), bytesOf(inputs / "web" / "swent.txt"),
                                   bytesOf(inputs / "web" / "swteam.txt")}));
    writeSeed(out / "results" / "Results.Dat", bytesOf(inputs / "results1" / "Results.Dat"));
    writeSeed(out / "results" / "results.$$$", bytesOf(inputs / "results2" / "results.$$$"));
    writeSeed(out / "regnumbers" / "jpnnewsmer.csv", bytesOf(inputs / "nitiban" / "jpnnewsmer.csv"));
    writeSeed(out / "mcompd" / "Mcompd.dat", bytesOf(inputs / "mcompd" / "Mcompd.dat"));
    writeSeed(out / "yomi" / "yomi.dat", bytesOf(yomi));
    for (const char* club : {"club001.csv", "club002.csv"})
        writeSeed(out / "csvmerge" / club, tolvfuzz::joinParts({bytesOf(yomi), bytesOf(inputs / "clubs-csv" / club)}));

    tolv::EntryStore store;
    store.openEntryFile(federation.entry);
    const tolv::MasterSource master = tolv::MasterSource::local(federation.registrationRoot);
    tolv::reports::runTally(store, 0, master);
    writeSeed(out / "zed" / "federation.zed", bytesOf(tolv::teamTotalsPath(federation.entry)));
    const ex::EntryData entry = ex::EntryData::read(store);
    ex::ExportTarget target;
    target.ctl = tolvfuzz::workDir() / "home" / "ctl";
    target.master = master;
    target.transfer = fed / "scm";
    fs::create_directories(target.transfer);
    ex::exportScmMedia(entry, target);
    writeSeed(out / "scmswm" / "scm",
              tolvfuzz::joinParts({firstNamed(target.transfer, "ScmSwimmerdt.csv"), firstNamed(target.transfer, "Scmdt.csv"),
                                   firstNamed(target.transfer, "RELAYENT.csv")}));
    target.transfer = fed / "swm";
    fs::create_directories(target.transfer);
    ex::exportSwmMedia(entry, target);
    writeSeed(out / "scmswm" / "swm",
              tolvfuzz::joinParts({firstNamed(target.transfer, "RIZARUTO.csv"), firstNamed(target.transfer, "Teamdt.csv"),
                                   firstNamed(target.transfer, "relayent.csv")}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds DIR\n";
        return 2;
    }
    tolvfuzz::workDir();
    const fs::path out = argv[1];
    const fs::path demo = tolvfuzz::workDir() / "demo";
    tolv::writeDemo(demo);
    for (const char* d : {"entry", "master", "control", "lenex", "bookkeeping"}) fs::create_directories(out / d);
    fs::copy_file(demo / "entry" / "sample.zep", out / "entry" / "sample.zep", fs::copy_options::overwrite_existing);
    for (const auto& e : fs::recursive_directory_iterator(demo / "registration")) {
        if (!e.is_regular_file()) continue;
        const std::string name = fs::relative(e.path(), demo / "registration").string();
        std::string flat = name;
        for (char& c : flat) c = c == '/' ? '_' : c;
        fs::copy_file(e.path(), out / (name == "kanriken.ctl" ? "control" : "master") / flat,
                      fs::copy_options::overwrite_existing);
    }
    const fs::path ctl = tolvfuzz::workDir() / "home" / "ctl";
    tolv::ensureControlDefaults(ctl);
    tolv::WebControl web;
    web.addresses = {"http://a/", "http://b/tolvsys/"};
    web.chosen = 1;
    tolv::writeWebControl(ctl, web);
    for (const char* name : {"dr_zep.ctl", "dr_tor.ctl", "dr_ten.ctl", "dr_web.ctl"})
        fs::copy_file(ctl / name, out / "control" / name, fs::copy_options::overwrite_existing);
    tolv::writePrefectureTable(out / "control" / "ken.ctl", tolv::shippedPrefectures());
    std::ofstream(out / "control" / "torlist.dat", std::ios::binary) << "tokyo\r\n\"\x93\x8c\x8b\x9e A\"\r\n";
    std::ofstream(out / "control" / "pass.dat", std::ios::binary) << "\"13001\",\"pw\"\r\n\"99999\",\"other\"\r\n";
    {
        tolv::EntryStore store;
        store.openEntryFile(demo / "entry" / "sample.zep", tolv::EntryStore::Access::Read);
        tolv::lenex::exportLenex(store, out / "lenex" / "sample.lef", false, "Tokyo", out / "control");
        tolv::lenex::exportLenex(store, out / "lenex" / "sample.lxf", true, "Tokyo", out / "control");
    }
    // The bookkeeping files as the program writes them: a journal line, a backup record, the Lenex
    // memory, lenex.ini and a template.
    const fs::path b = out / "bookkeeping";
    const std::string t = (tolvfuzz::workDir() / "transfer").string();
    std::ofstream(b / "journal", std::ios::binary) << t << "/.a.csv.12.0.tmp\t" << t << "/a.csv\n"
                                                   << t << "/MEDIA2/.b.csv.12.1.tmp\t" << t << "/MEDIA2/b.csv\n";
    std::ofstream(b / "index", std::ios::binary)
        << "entry\t2049:5:1234:1765000000.5\t0123456789abcdef\n"
        << "step\t20081016-090507-00-merge\t0123456789abcdef\t-\tmerge\t" << std::string(64, 'a') << "\tclub.zep\n"
        << "merged\t2008-10-16 09:05:07\t3840\t0123456789abcdef\t20081016-090507-00-merge\t/data/club.zep\r\n";
    std::ofstream(b / "memory", std::ios::binary) << "city\tTokyo\nclub\t13001\tSAKU\tJPN\tSakura SC\nmixed\t13001200105011\t3\n";
    std::ofstream(b / "ini", std::ios::binary) << "registration=Tokyo SF\r\nemail=a@b.invalid\r\n";
    std::ofstream(b / "template", std::ios::binary) << "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n";
    writeImportSeeds(out);
    std::cout << out.string() << "\n";
    return 0;
}
