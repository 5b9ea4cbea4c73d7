#pragma once
// A fixed-length record kept as its raw bytes, so copying a record between files stays byte-exact
// (NUL padding and characters that CP932 maps twice included). Typed accessors decode and encode.
#include "platform/Cp932.h"
#include "storage/FieldLayout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tolv {

template <std::size_t N> class FixedRecord {
public:
    static constexpr std::size_t size = N;

    FixedRecord() { bytes_.fill(0); }

    std::array<char, N>& bytes() { return bytes_; }
    const std::array<char, N>& bytes() const { return bytes_; }
    std::string_view raw(std::size_t off, std::size_t width) const { return std::string_view(bytes_.data() + off, width); }
    void clear() { bytes_.fill(0); }

    // Text field as UTF-8: trailing NULs dropped, trailing blanks kept.
    std::string text(std::size_t off, std::size_t width) const
    {
        std::string_view r = raw(off, width);
        std::size_t end = r.size();
        while (end > 0 && r[end - 1] == '\0') --end;
        return fromCp932(r.substr(0, end));
    }
    // The stored bytes without trailing NULs (CP932).
    std::string textBytes(std::size_t off, std::size_t width) const
    {
        std::string_view r = raw(off, width);
        std::size_t end = r.size();
        while (end > 0 && r[end - 1] == '\0') --end;
        return std::string(r.substr(0, end));
    }
    // Stores UTF-8 text: encoded to CP932 (TolvError when it cannot be), cut at a character
    // boundary and padded with blanks.
    void setText(std::size_t off, std::size_t width, std::string_view utf8) { setTextBytes(off, width, toCp932(utf8)); }
    void setTextBytes(std::size_t off, std::size_t width, std::string_view cp932)
    {
        std::string v = fitBytes(cp932, width);
        std::memcpy(bytes_.data() + off, v.data(), width);
    }

    std::int32_t i32(std::size_t off) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + off);
        return static_cast<std::int32_t>(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                                         std::uint32_t(p[3]) << 24);
    }
    void setI32(std::size_t off, std::int32_t v)
    {
        auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes_[off + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    }
    std::int16_t i16(std::size_t off) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + off);
        return static_cast<std::int16_t>(std::uint16_t(p[0]) | std::uint16_t(p[1]) << 8);
    }
    void setI16(std::size_t off, std::int16_t v)
    {
        auto u = static_cast<std::uint16_t>(v);
        bytes_[off] = static_cast<char>(u & 0xFF);
        bytes_[off + 1] = static_cast<char>(u >> 8);
    }

    // The same by a declared field (a plain field, or one element of a repeated one by Field::at).
    std::string_view raw(Field f) const { return raw(f.offset, f.size()); }
    std::string text(Field f) const { return text(f.offset, f.size()); }
    std::string textBytes(Field f) const { return textBytes(f.offset, f.size()); }
    void setText(Field f, std::string_view utf8) { setText(f.offset, f.size(), utf8); }
    void setTextBytes(Field f, std::string_view cp932) { setTextBytes(f.offset, f.size(), cp932); }
    std::int32_t i32(Field f) const { return i32(f.offset); }
    void setI32(Field f, std::int32_t v) { setI32(f.offset, v); }
    std::int16_t i16(Field f) const { return i16(f.offset); }
    void setI16(Field f, std::int16_t v) { setI16(f.offset, v); }
    // The field at its full width with bytes never assigned (NUL) as blanks, so an untouched field
    // and an emptied one compare alike.
    std::string padded(Field f) const
    {
        std::string b(raw(f));
        std::replace(b.begin(), b.end(), '\0', ' ');
        return b;
    }
    // Copies the bytes of a field from another record of the same kind.
    void copyField(const FixedRecord& from, Field f)
    {
        std::memcpy(bytes_.data() + f.offset, from.bytes_.data() + f.offset, f.size());
    }

    bool operator==(const FixedRecord& o) const { return bytes_ == o.bytes_; }

private:
    std::array<char, N> bytes_;
};

} // namespace tolv
