#pragma once
// A digest of a file's bytes (64-bit FNV-1a), for telling whether bytes are the ones seen before:
// a backup against what was backed up, a club file against the ones already merged. Fed in pieces
// as a file is written, or in one call.
#include <cstdint>
#include <string>
#include <string_view>

namespace tolv {

class ContentDigest {
public:
    void update(std::string_view bytes);
    // Sixteen hexadecimal digits.
    std::string text() const;
    static std::string of(std::string_view bytes);

private:
    std::uint64_t h_ = 1469598103934665603ULL;
};

} // namespace tolv
