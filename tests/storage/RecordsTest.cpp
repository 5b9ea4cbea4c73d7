// The entry file's record layouts, checked against records built byte by byte from the file
// format's table (offsets and widths written out here), not by the writers under test.
#include "storage/Records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tolv {
namespace {

using Bytes = std::array<char, kEntryRecordLength>;

template <class R> R as(const Bytes& b)
{
    R r;
    r.bytes() = b;
    return r;
}

enum class Kind { Text, I16, I32 };

struct Row {
    const char* name;
    std::size_t offset, width;
    Kind kind;
    std::function<std::string(const Bytes&)> read;
};

std::string n(long long v) { return std::to_string(v); }

// Header, reserve events, swimmer: each field as the format lists it, read by its accessor.
std::vector<Row> rows()
{
    using H = EntryHeader;
    using R = ReserveEvents;
    using S = SwimmerRecord;
    return {
        {"total", 0, 4, Kind::I32, [](const Bytes& b) { return n(as<H>(b).total()); }},
        {"course", 4, 2, Kind::I16, [](const Bytes& b) { return n(as<H>(b).course()); }},
        {"kijunBi", 6, 10, Kind::Text, [](const Bytes& b) { return as<H>(b).kijunBi(); }},
        {"zigyo", 16, 8, Kind::Text, [](const Bytes& b) { return as<H>(b).zigyo(); }},
        {"basho", 24, 12, Kind::Text, [](const Bytes& b) { return as<H>(b).basho(); }},
        {"stBi", 36, 10, Kind::Text, [](const Bytes& b) { return as<H>(b).stBi(); }},
        {"enBi", 46, 10, Kind::Text, [](const Bytes& b) { return as<H>(b).enBi(); }},
        {"tcod", 56, 7, Kind::Text, [](const Bytes& b) { return as<H>(b).tcod(); }},
        {"kubun", 63, 2, Kind::I16, [](const Bytes& b) { return n(as<H>(b).kubun()); }},
        {"botai", 65, 2, Kind::I16, [](const Bytes& b) { return n(as<H>(b).botai()); }},
        {"day[0]", 67, 4, Kind::I32, [](const Bytes& b) { return n(as<H>(b).day(0)); }},
        {"day[9]", 67 + 9 * 4, 4, Kind::I32, [](const Bytes& b) { return n(as<H>(b).day(9)); }},

        {"yobiKubun[0]", 0, 8, Kind::Text, [](const Bytes& b) { return as<R>(b).yobiKubun(0); }},
        {"yobiKubun[14]", 14 * 8, 8, Kind::Text, [](const Bytes& b) { return as<R>(b).yobiKubun(14); }},
        {"yobiName[0]", 120, 16, Kind::Text, [](const Bytes& b) { return as<R>(b).yobiName(0); }},
        {"yobiName[14]", 120 + 14 * 16, 16, Kind::Text, [](const Bytes& b) { return as<R>(b).yobiName(14); }},
        {"yobiRelay[0]", 360, 1, Kind::Text, [](const Bytes& b) { return as<R>(b).yobiRelay(0); }},
        {"yobiRelay[14]", 374, 1, Kind::Text, [](const Bytes& b) { return as<R>(b).yobiRelay(14); }},

        {"seq", 0, 4, Kind::I32, [](const Bytes& b) { return n(as<S>(b).seq()); }},
        {"Bango", 4, 7, Kind::Text, [](const Bytes& b) { return as<S>(b).Bango(); }},
        {"QBango", 11, 14, Kind::Text, [](const Bytes& b) { return as<S>(b).QBango(); }},
        {"Namae", 25, 16, Kind::Text, [](const Bytes& b) { return as<S>(b).Namae(); }},
        {"Kana", 41, 16, Kind::Text, [](const Bytes& b) { return as<S>(b).Kana(); }},
        {"ken", 57, 8, Kind::Text, [](const Bytes& b) { return as<S>(b).ken(); }},
        {"kenKana", 65, 6, Kind::Text, [](const Bytes& b) { return as<S>(b).kenKana(); }},
        {"Shozoku", 71, 12, Kind::Text, [](const Bytes& b) { return as<S>(b).Shozoku(); }},
        {"ShozokuKana", 83, 6, Kind::Text, [](const Bytes& b) { return as<S>(b).ShozokuKana(); }},
        {"gakunen", 89, 2, Kind::Text, [](const Bytes& b) { return as<S>(b).gakunen(); }},
        {"nenrei", 91, 2, Kind::I16, [](const Bytes& b) { return n(as<S>(b).nenrei()); }},
        {"sei", 93, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).sei(); }},
        {"shuFuku", 94, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).shuFuku(); }},
        {"kiro[0]", 95, 4, Kind::I32, [](const Bytes& b) { return n(as<S>(b).kiro(0)); }},
        {"kiro[43]", 95 + 43 * 4, 4, Kind::I32, [](const Bytes& b) { return n(as<S>(b).kiro(43)); }},
        {"shubetu", 271, 6, Kind::Text, [](const Bytes& b) { return as<S>(b).shubetu(); }},
        {"torobi", 277, 4, Kind::I32, [](const Bytes& b) { return n(as<S>(b).torobi()); }},
        {"markA[0]", 281, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).markA(0); }},
        {"markA[43]", 324, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).markA(43); }},
        {"markB[0]", 325, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).markB(0); }},
        {"markB[43]", 368, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).markB(43); }},
        {"card", 369, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).card(); }},
        {"daishi", 370, 1, Kind::Text, [](const Bytes& b) { return as<S>(b).daishi(); }},
    };
}

TEST(Records, EveryFieldLiesWhereTheFileFormatPutsIt)
{
    for (const Row& row : rows()) {
        // The field's bytes hold a value that differs at every byte; its neighbours hold '#', so a
        // field read one byte off or too wide shows it.
        Bytes b;
        b.fill('#');
        std::string expected;
        if (row.kind == Kind::Text) {
            for (std::size_t i = 0; i < row.width; ++i) expected += static_cast<char>('A' + i);
            std::copy(expected.begin(), expected.end(), b.begin() + static_cast<std::ptrdiff_t>(row.offset));
        } else if (row.kind == Kind::I16) {
            b[row.offset] = '\x02', b[row.offset + 1] = '\x81'; // 0x8102, little-endian, signed
            expected = "-32510";
        } else {
            b[row.offset] = '\x04', b[row.offset + 1] = '\x03', b[row.offset + 2] = '\x02', b[row.offset + 3] = '\x01';
            expected = "16909060"; // 0x01020304
        }
        EXPECT_EQ(row.read(b), expected) << row.name << " at " << row.offset << ", " << row.width << " bytes";
    }
}

} // namespace
} // namespace tolv
