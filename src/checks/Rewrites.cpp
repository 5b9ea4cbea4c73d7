// The bulk rewrites of one derived field (the identical-times rewrite is in SameTime.cpp).
#include "checks/Rewrites.h"

#include "checks/CheckSupport.h"
#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"

#include <functional>

namespace tolv {
namespace {

// Every swimmer read once, as into the buffer, changed by `change` and written back whole in one
// replace of the file under `command`: a failure part-way leaves the file as it was.
void everySwimmer(EntryStore& store, const char* command, const std::function<void(SwimmerRecord&)>& change)
{
    std::vector<SwimmerRecord> all = store.readAllSwimmers();
    KeepCurrentSwimmer keep(store, all);
    for (SwimmerRecord& s : all) {
        EntryStore::readIntoBuffer(s);
        change(s);
    }
    store.commitAll(all, command);
}

} // namespace

void rewriteKana(EntryStore& store)
{
    // Works on the stored bytes so every other character stays byte for byte as it was.
    everySwimmer(store, "rewrite-kana", [](SwimmerRecord& s) {
        std::string kana;
        for (std::string_view c : Cp932Text(s.raw(SwimmerRecord::kKana)).characters())
            kana += c == "\x81\x40" ? std::string_view(" ") : c; // U+3000 becomes a half-width blank
        s.setTextBytes(SwimmerRecord::kKana, kana);
    });
}

void rewriteAge(EntryStore& store)
{
    const std::string kijunBi = store.header().kijunBi();
    everySwimmer(store, "rewrite-age", [&](SwimmerRecord& s) { rewriteAgeOf(s, kijunBi); });
}

void rewriteGrade(EntryStore& store)
{
    const EntryHeader h = store.header();
    everySwimmer(store, "rewrite-grade", [&](SwimmerRecord& s) {
        // An unreadable birth date, or a class code of kind 2 typed by hand, keeps its grade.
        if (std::optional<std::string> code = derivedGrade(s, h)) s.setGakunen(*code);
    });
}

void rewriteCompanyGrade(EntryStore& store)
{
    everySwimmer(store, "rewrite-grade-company", [](SwimmerRecord& s) {
        const int age = s.nenrei();
        s.setGakunen(age <= 29 ? "70" : age <= 39 ? "71" : age <= 49 ? "72" : "73");
    });
}

void rewriteMainRegistration(EntryStore& store)
{
    everySwimmer(store, "rewrite-main", [](SwimmerRecord& s) { s.setShuFuku("1"); });
}

void rewriteSecondaryRegistration(EntryStore& store)
{
    everySwimmer(store, "rewrite-secondary", [](SwimmerRecord& s) { s.setShuFuku("2"); });
}

void rewritePrefecture(EntryStore& store) { rewritePrefecture(store, findNoCase(ctlDir(), "ken.ctl")); }

void rewritePrefecture(EntryStore& store, const std::filesystem::path& kenCtl)
{
    // The table is read once, and only when some record needs it.
    std::optional<KenTable> table;
    everySwimmer(store, "rewrite-prefecture", [&](SwimmerRecord& s) {
        const long long code = numericValue(SwimmerRecord::kQBangoPrefecture.of(fieldBytes(s, SwimmerRecord::kQBango)));
        s.setKen("");
        s.setKenKana("");
        if (code <= 0) return;
        if (!table) {
            // A missing table would blank every prefecture without a word: stop instead.
            enforce(std::filesystem::is_regular_file(kenCtl), "県名ファイルがありません: " + kenCtl.string());
            table = KenTable::load(kenCtl);
        }
        if (std::optional<Prefecture> pref = table->find(code)) {
            s.setKen(pref->name);
            s.setKenKana(pref->reading);
        }
    });
}

} // namespace tolv
