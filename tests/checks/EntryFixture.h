#pragma once
// Entry files for the check and rewrite tests, built swimmer by swimmer through EntryStore, with
// their print logs and record bytes.
#include "platform/Cp932.h"
#include "platform/Printer.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <functional>
#include <map>
#include <sstream>

namespace checktest {

struct Swimmer {
    // Every member has an initializer, so designated initializers may leave any of them out.
    std::string qbango{}, namae{}, kana{}, shozoku{}, ken{}, bango{}, gakunen{};
    int nenrei = 0;
    std::string sei = "1", shuFuku = "1", shubetu = "100000";
    std::map<int, std::int32_t> kiro{}; // slot -> time
};

class EntryFixture {
    tolvtest::TempTree tree_; // first: the folder outlives the open file

public:
    explicit EntryFixture(const std::string& kijunBi = "2005/04/01", int kubun = 0) : path(tree_.dir() / "e.zep")
    {
        store.openEntryFile(path);
        store.header().setKijunBi(kijunBi);
        store.header().setKubun(static_cast<std::int16_t>(kubun));
        store.saveHeader();
    }
    // Appends a swimmer as the entry window writes a new one.
    void add(const Swimmer& w)
    {
        const int n = store.header().total() + 1;
        store.readSwimmer(0);
        tolv::SwimmerRecord& s = store.swimmer();
        s.setSeq(n), s.setBango(w.bango), s.setQBango(w.qbango), s.setNamae(w.namae), s.setKana(w.kana);
        s.setShozoku(w.shozoku), s.setKen(w.ken), s.setGakunen(w.gakunen), s.setSei(w.sei);
        s.setNenrei(static_cast<std::int16_t>(w.nenrei)), s.setShuFuku(w.shuFuku), s.setShubetu(w.shubetu);
        for (auto [slot, time] : w.kiro) s.setKiro(slot, time);
        store.header().setTotal(n);
        store.writeSwimmer(n);
    }
    // The print log of one report run.
    std::string log(const std::function<void(const tolv::EntryStore&, tolv::Printer&)>& report) const
    {
        std::ostringstream out;
        tolv::PrintLog p(out);
        report(store, p);
        return out.str();
    }
    std::string bytes() const { return tolvtest::readBytes(path); }
    const std::filesystem::path& dir() const { return tree_.dir(); }

    const std::filesystem::path path;
    tolv::EntryStore store;
};

// Overwrites bytes of swimmer n's field inside a copy of the file.
inline void patch(std::string& file, int n, std::size_t field, const std::string& bytes)
{
    file.replace(std::size_t(n + 9) * tolv::kEntryRecordLength + field, bytes.size(), bytes);
}
inline std::string leBytes(std::uint32_t v, int width)
{
    std::string b;
    for (int i = 0; i < width; ++i) b += char((v >> (8 * i)) & 0xFF);
    return b;
}
// A UTF-8 text padded with blanks to a field of `width` CP932 bytes, as reports print it.
inline std::string pad(const std::string& utf8, std::size_t width)
{
    return utf8 + std::string(width - tolv::cp932Length(utf8), ' ');
}
inline std::string text(int x, int y, const std::string& item)
{
    return "text\t" + std::to_string(x) + "\t" + std::to_string(y) + "\t" + item + "\n";
}

} // namespace checktest
