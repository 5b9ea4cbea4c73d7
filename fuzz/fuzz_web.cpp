// The web entry import: the input holds swcomp.txt, swent.txt and swteam.txt (three parts).
#include "FuzzSupport.h"
#include "exchange/WebImport.h"
#include "platform/Prompt.h"
#include "storage/EntryStore.h"

TOLV_FUZZ_TARGET(web)
{
    static tolvfuzz::ImportBench bench;
    const std::vector<std::string> p = tolvfuzz::parts(data, size, 3);
    bench.reset({{"swcomp.txt", p[0]}, {"swent.txt", p[1]}, {"swteam.txt", p[2]}});
    bench.refusedLeavesEntry([&] {
        tolv::EntryStore store;
        store.openEntryFile(bench.entry());
        tolv::ScriptedPrompt prompt(false);
        (void)tolv::importWebEntries(store, tolv::importFolderAt(bench.transfer()), prompt);
    });
    return 0;
}
