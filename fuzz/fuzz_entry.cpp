// The entry file reader: open read-only, every swimmer, every text field, the verifier.
#include "FuzzSupport.h"
#include "platform/Error.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/Verify.h"

TOLV_FUZZ_TARGET(entry)
{
    const auto path = tolvfuzz::inputFile("fuzz.zep", data, size);
    tolv::verifyEntryBytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz.zep");
    tolv::verifyEntryFile(path);
    try {
        tolv::EntryStore store;
        store.openEntryFile(path, tolv::EntryStore::Access::Read);
        const tolv::EntryHeader& h = store.header();
        (void)(h.kijunBi() + h.zigyo() + h.basho() + h.stBi() + h.enBi() + h.tcod());
        for (int i = 0; i < tolv::kReserveEvents; ++i) (void)(store.reserve().yobiName(i) + store.reserve().yobiKubun(i));
        for (const tolv::SwimmerRecord& s : store.readAllSwimmers()) {
            (void)(s.Bango() + s.QBango() + s.Namae() + s.Kana() + s.ken() + s.Shozoku() + s.gakunen() + s.shubetu());
            for (int slot = 0; slot < tolv::kEventSlots; ++slot) (void)(tolv::formatTime(s.kiro(slot)) + s.markA(slot));
        }
    } catch (const tolv::TolvError&) {
    }
    return 0;
}
