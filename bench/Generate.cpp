// tolv-fedgen: writes a generated federation file, or times the baseline the benchmark compares
// every command with.
//
//   tolv-fedgen write DIR N [SEED]   entry file DIR/entry/federation.zep, master DIR/registration,
//                                    ken.ctl into DIR/home/ctl (the working tree of the runs),
//                                    DIR/qbango.txt the number of a swimmer the master knows
//   tolv-fedgen inputs ENTRY DIR YOMI
//                                    the import and merge inputs made from ENTRY into DIR, the
//                                    reading format of the club files registered in YOMI
//                                    (bench/ImportInputs.h)
//   tolv-fedgen decode ENTRY         one read of the file and a decode of every record: each text
//                                    field to UTF-8, each number read; prints a checksum
#include "FederationFile.h"
#include "ImportInputs.h"

#include "platform/Cp932.h"
#include "storage/EntryStore.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>

using namespace tolv;

namespace {

int decode(const std::string& path)
{
    EntryStore store;
    store.openEntryFile(std::filesystem::path(path), EntryStore::Access::Read);
    const std::vector<SwimmerRecord> all = store.readAllSwimmers();
    // Every field decoded as a report would; the sum keeps the work from being optimised away.
    unsigned long long sum = 0;
    for (const SwimmerRecord& s : all) {
        for (const std::string& t : {s.Bango(), s.QBango(), s.Namae(), s.Kana(), s.ken(), s.kenKana(), s.Shozoku(),
                                     s.ShozokuKana(), s.gakunen(), s.sei(), s.shuFuku(), s.shubetu()})
            sum += t.size();
        sum += static_cast<unsigned long long>(s.seq() + s.nenrei() + s.torobi());
        for (int slot = 0; slot < kEventSlots; ++slot) sum += static_cast<unsigned long long>(s.kiro(slot));
    }
    std::printf("%zu records, checksum %llu\n", all.size(), sum);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const std::string what = argc > 1 ? argv[1] : "";
        if (what == "write" && (argc == 4 || argc == 5)) {
            const std::filesystem::path dir = argv[2];
            const int n = std::atoi(argv[3]);
            const auto seed = static_cast<std::uint32_t>(argc == 5 ? std::strtoul(argv[4], nullptr, 10) : 1);
            tolvbench::FederationFile f = tolvbench::writeFederation(dir, n, seed, dir / "home" / "ctl");
            std::ofstream(dir / "qbango.txt") << f.firstQBango << "\n";
            std::cout << f.entry.string() << "\t" << f.swimmers << " swimmers\t" << f.teams << " teams\n";
            return 0;
        }
        if (what == "decode" && argc == 3) return decode(argv[2]);
        if (what == "inputs" && argc == 5) {
            tolvbench::writeImportInputs(argv[2], argv[3], argv[4]);
            return 0;
        }
        std::cerr << "usage: tolv-fedgen write DIR N [SEED] | tolv-fedgen inputs ENTRY DIR YOMI | tolv-fedgen decode ENTRY\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
