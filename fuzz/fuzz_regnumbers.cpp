// The registration-number import: the input as jpnnewsmer.csv.
#include "FuzzSupport.h"
#include "exchange/NitibanImport.h"
#include "platform/Prompt.h"
#include "storage/EntryStore.h"

TOLV_FUZZ_TARGET(regnumbers)
{
    static tolvfuzz::ImportBench bench;
    bench.reset({{"jpnnewsmer.csv", std::string(reinterpret_cast<const char*>(data), size)}});
    bench.refusedLeavesEntry([&] {
        tolv::EntryStore store;
        store.openEntryFile(bench.entry());
        tolv::ScriptedPrompt prompt(false);
        (void)tolv::importRegistrationNumbers(store, tolv::importFolderAt(bench.transfer()), prompt);
    });
    return 0;
}
