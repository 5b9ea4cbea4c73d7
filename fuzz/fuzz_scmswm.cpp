// The SCM and SWM imports: the input holds the swimmer, team and relay files (three parts), read
// as each system's files into a sound entry file.
#include "FuzzSupport.h"
#include "exchange/ScmSwmImport.h"
#include "platform/Prompt.h"
#include "storage/EntryStore.h"

TOLV_FUZZ_TARGET(scmswm)
{
    static tolvfuzz::ImportBench bench;
    const std::vector<std::string> p = tolvfuzz::parts(data, size, 3);
    const auto run = [&](tolv::MeetSystem system, const std::map<std::string, std::string>& files) {
        bench.reset(files);
        bench.refusedLeavesEntry([&] {
            tolv::EntryStore store;
            store.openEntryFile(bench.entry());
            tolv::ScriptedPrompt prompt(false);
            (void)tolv::importMeetSystem(store, system, tolv::importFolderAt(bench.transfer()), prompt, bench.kenCtl());
        });
    };
    run(tolv::MeetSystem::Scm, {{"ScmSwimmerdt.csv", p[0]}, {"Scmdt.csv", p[1]}, {"ScmRelay.csv", p[2]}});
    run(tolv::MeetSystem::Swm, {{"RIZARUTO.csv", p[0]}, {"Teamdt.csv", p[1]}, {"relayent.csv", p[2]}});
    return 0;
}
