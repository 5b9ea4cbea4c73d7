#pragma once
// Fixtures for the report tests: entry files built swimmer by swimmer, raw 384-byte records laid
// out by offset, and a parsed print log.
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Printer.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace reporttest {

namespace fs = std::filesystem;

struct Swimmer {
    std::string qbango;
    std::string sei = "1";
    std::string shuFuku = "1";
    std::string gakunen = "11";
    std::string namae = "山田　太郎";
    std::string kana = "ﾔﾏﾀﾞ ﾀﾛｳ";
    std::string shozoku = "さくらＳＣ";
    std::string shozokuKana = "ｻｸﾗ";
    std::string ken = "東京都";
    std::string kenKana = "ﾄｳｷｮｳ";
    std::string bango = "1300101";
    int nenrei = 9;
    int torobi = 0;
    std::map<int, std::int32_t> kiro{}; // slot -> coded time
};

inline tolv::SwimmerRecord swimmerRecord(int n, const Swimmer& w)
{
    tolv::SwimmerRecord s = tolv::EntryStore::emptySwimmer();
    s.setSeq(n);
    s.setBango(w.bango);
    s.setQBango(w.qbango);
    s.setNamae(w.namae);
    s.setKana(w.kana);
    s.setKen(w.ken);
    s.setKenKana(w.kenKana);
    s.setShozoku(w.shozoku);
    s.setShozokuKana(w.shozokuKana);
    s.setGakunen(w.gakunen);
    s.setNenrei(static_cast<std::int16_t>(w.nenrei));
    s.setSei(w.sei);
    s.setShuFuku(w.shuFuku);
    s.setTorobi(w.torobi);
    for (auto [slot, time] : w.kiro) s.setKiro(slot, time);
    return s;
}

// An entry file in a fresh working tree, with a fixed clock.
class EntryFile {
    tolvtest::TempTree tree_; // first: the folder outlives the open file

public:
    explicit EntryFile(int botai = 0, const std::string& name = "meet.zep")
    {
        tolv::setFixedNow({2008, 4, 20, 9, 5, 7});
        path_ = tree_.dir() / name;
        store.openEntryFile(path_);
        tolv::EntryHeader& h = store.header();
        h.setKijunBi("2008/04/01");
        h.setZigyo("春季大会");
        h.setBasho("辰巳国際水泳");
        h.setStBi("2008/05/10");
        h.setEnBi("2008/05/11");
        h.setTcod("0813001");
        h.setBotai(static_cast<std::int16_t>(botai));
        store.saveHeader();
    }

    int add(const Swimmer& w)
    {
        const int n = store.header().total() + 1;
        store.swimmer() = swimmerRecord(n, w);
        store.header().setTotal(n);
        store.writeSwimmer(n);
        return n;
    }

    // Writes many swimmers at once (header and records in one file write), then reopens.
    void addMany(const std::vector<Swimmer>& list)
    {
        std::string bytes = tolvtest::readBytes(path_);
        int n = store.header().total();
        bytes.resize(static_cast<std::size_t>(n + 10) * tolv::kEntryRecordLength, '\0');
        for (const Swimmer& w : list) {
            tolv::SwimmerRecord s = swimmerRecord(++n, w);
            bytes.append(s.bytes().data(), s.bytes().size());
        }
        tolv::EntryHeader h = store.header();
        h.setTotal(n);
        bytes.replace(0, tolv::kEntryRecordLength, h.bytes().data(), tolv::kEntryRecordLength);
        store.close();
        tolvtest::writeBytes(path_, bytes);
        store.openEntryFile(path_);
    }

    const fs::path& path() const { return path_; }
    fs::path dir() const { return tree_.dir(); }
    fs::path zedPath() const { return tree_.dir() / (path_.stem().string() + ".zed"); }
    std::string bytes() const { return tolvtest::readBytes(path_); }

    tolv::EntryStore store;

private:
    fs::path path_;
};

// A 384-byte record built by offset, as the file layouts give them.
class Raw {
public:
    Raw() : b_(384, '\0') {}
    Raw& text(std::size_t off, std::size_t width, const std::string& utf8)
    {
        std::string v = tolv::toCp932(utf8);
        v.resize(width, ' ');
        b_.replace(off, width, v);
        return *this;
    }
    Raw& i16(std::size_t off, std::int16_t v)
    {
        auto u = static_cast<std::uint16_t>(v);
        b_[off] = char(u & 0xFF);
        b_[off + 1] = char(u >> 8);
        return *this;
    }
    Raw& i32(std::size_t off, std::int32_t v)
    {
        auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) b_[off + i] = char((u >> (8 * i)) & 0xFF);
        return *this;
    }
    Raw& byte(std::size_t off, char c)
    {
        b_[off] = c;
        return *this;
    }
    const std::string& str() const { return b_; }

private:
    std::string b_;
};

// One operation of a print log.
struct Op {
    std::string kind;
    std::vector<int> n; // x y (text) or x1 y1 x2 y2 w (line, box)
    std::string text;   // text item, or font name and size
};

inline std::vector<Op> parseLog(const std::string& log)
{
    std::vector<Op> ops;
    std::istringstream in(log);
    for (std::string l; std::getline(in, l);) {
        std::vector<std::string> f;
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = l.find('\t', start);
            f.push_back(l.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        Op op{f[0], {}, {}};
        if (op.kind == "text") {
            op.n = {std::stoi(f[1]), std::stoi(f[2])};
            op.text = f.size() > 3 ? f[3] : "";
        } else if (op.kind == "line" || op.kind == "box") {
            for (int i = 1; i <= 5; ++i) op.n.push_back(std::stoi(f[static_cast<std::size_t>(i)]));
        } else if (op.kind == "font") {
            op.text = f[1] + " " + f[2];
        }
        ops.push_back(op);
    }
    return ops;
}

inline std::string logOf(const std::function<void(tolv::Printer&)>& draw)
{
    std::ostringstream out;
    tolv::PrintLog p(out);
    draw(p);
    return out.str();
}

// The pages of a log: text items per page as "x y text".
inline std::vector<std::vector<std::string>> pages(const std::vector<Op>& ops)
{
    std::vector<std::vector<std::string>> out(1);
    for (const Op& op : ops) {
        if (op.kind == "page") out.emplace_back();
        if (op.kind == "text") out.back().push_back(std::to_string(op.n[0]) + " " + std::to_string(op.n[1]) + " " + op.text);
    }
    return out;
}

inline int count(const std::vector<Op>& ops, const std::string& kind)
{
    int c = 0;
    for (const Op& op : ops) c += op.kind == kind;
    return c;
}

// Text items whose text equals `text`, as "x y".
inline std::vector<std::string> where(const std::vector<Op>& ops, const std::string& text)
{
    std::vector<std::string> out;
    for (const Op& op : ops)
        if (op.kind == "text" && op.text == text) out.push_back(std::to_string(op.n[0]) + " " + std::to_string(op.n[1]));
    return out;
}

} // namespace reporttest
