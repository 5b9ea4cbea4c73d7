// The Mcompd.dat import of the timing menu: the input as Mcompd.dat.
#include "FuzzSupport.h"
#include "storage/EntryStore.h"
#include "timing/McompdImport.h"

TOLV_FUZZ_TARGET(mcompd)
{
    static tolvfuzz::ImportBench bench;
    bench.reset({{"Mcompd.dat", std::string(reinterpret_cast<const char*>(data), size)}});
    bench.refusedLeavesEntry([&] {
        tolv::EntryStore store;
        store.openEntryFile(bench.entry());
        (void)tolv::importMcompd(store, bench.transfer());
    });
    return 0;
}
