// Writes the seed corpora: generated files of each kind, made by the program's own writers.
//   fuzz_seeds DIR  ->  DIR/entry/, DIR/master/, DIR/control/
#include "FuzzSupport.h"
#include "exchange/LenexWriter.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/DemoData.h"
#include "storage/PrefectureTable.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

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
    std::cout << out.string() << "\n";
    return 0;
}
