// The results imports: the input as Results.Dat (replacing the swimmers of an entry file) and as
// results.$$$ (combined into results.zep, which a refusal must not leave behind).
#include "FuzzSupport.h"
#include "exchange/ResultsImport.h"
#include "platform/Prompt.h"
#include "storage/EntryStore.h"

#include <cstdio>
#include <cstdlib>

TOLV_FUZZ_TARGET(results)
{
    static tolvfuzz::ImportBench bench;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    bench.reset({{"Results.Dat", bytes}, {"results.$$$", bytes}});
    bench.refusedLeavesEntry([&] {
        tolv::EntryStore store;
        store.openEntryFile(bench.entry());
        tolv::ScriptedPrompt prompt(true);
        (void)tolv::importResultsReplacing(store, tolv::importFolderAt(bench.transfer()), prompt);
    });
    if (!tolvfuzz::quietly([&] { (void)tolv::combineResults(bench.transfer()); }) &&
        std::filesystem::exists(bench.transfer() / "results.zep")) {
        std::fputs("a refused results.$$$ left results.zep behind\n", stderr);
        std::abort();
    }
    return 0;
}
