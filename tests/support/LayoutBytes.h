#pragma once
// Fixture files of the fixed-record formats written byte by byte from the offsets of the file
// formats, spelled out here as numbers. Nothing here uses the program's record classes or writers,
// so a layout mistake in the program cannot be repeated by its own fixture. Text goes through the
// C library's CP932 table (sj).
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace tolvtest {

// One record of `length` bytes, NUL-filled, with fields put at given offsets.
class RecordBytes {
public:
    explicit RecordBytes(std::size_t length) : bytes_(length, '\0') {}

    // UTF-8 text as CP932, padded with blanks to `width` (the text must fit).
    RecordBytes& text(std::size_t offset, std::size_t width, const std::string& utf8) { return raw(offset, width, sj(utf8)); }
    RecordBytes& raw(std::size_t offset, std::size_t width, const std::string& cp932)
    {
        if (cp932.size() > width || offset + width > bytes_.size()) throw std::runtime_error("fixture field too long");
        std::string v = cp932;
        v.resize(width, ' ');
        std::memcpy(bytes_.data() + offset, v.data(), width);
        return *this;
    }
    RecordBytes& i32(std::size_t offset, std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
        return *this;
    }
    RecordBytes& i16(std::size_t offset, std::int16_t v)
    {
        const auto u = static_cast<std::uint16_t>(v);
        bytes_[offset] = static_cast<char>(u & 0xFF);
        bytes_[offset + 1] = static_cast<char>(u >> 8);
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// A counted file: record 1 holds the count (i16 or i32 at offset 0), records 2 … 10 are empty and
// record n + 10 is data record n.
inline std::string countedFile(std::size_t length, bool countIsI16, const std::vector<RecordBytes>& records)
{
    RecordBytes head(length);
    if (countIsI16) head.i16(0, static_cast<std::int16_t>(records.size()));
    else head.i32(0, static_cast<std::int32_t>(records.size()));
    std::string out = head.bytes();
    out.append(9 * length, '\0');
    for (const RecordBytes& r : records) out += r.bytes();
    return out;
}

// An index file: record 1 the entry count, then (key, athlete number) records in ascending byte
// order of the key.
inline std::string indexFile(std::size_t length, std::size_t keyWidth, std::vector<std::pair<std::string, std::int32_t>> entries)
{
    for (auto& e : entries) e.first.resize(keyWidth, ' ');
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out = RecordBytes(length).i32(0, static_cast<std::int32_t>(entries.size())).bytes();
    for (const auto& [key, n] : entries) out += RecordBytes(length).raw(0, keyWidth, key).i32(length - 4, n).bytes();
    return out;
}

} // namespace tolvtest
