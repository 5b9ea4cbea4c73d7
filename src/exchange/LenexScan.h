#pragma once
// The first look at a Lenex document's bytes, before the XML parser sees them: the encoding it
// cannot be, control characters taken out (their lines noted), the nesting depth bounded, the
// athletes and relays counted, and the line feeds kept so a fault is named by its line.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolv::lenex {

// Elements deeper than this are no Lenex (its deepest paths, a relay result's positions with
// their meet info, are about a dozen levels): such a file is refused before any tree is built.
constexpr int kMaxDepth = 48;

// Which bytes of a document are line feeds, one bit each, taken before the document is parsed in
// place (the parser overwrites bytes of its buffer), so a fault's line is that of the bytes as read.
class LineFeeds {
public:
    explicit LineFeeds(std::string_view text);
    // Line feeds before byte `offset`.
    std::size_t before(std::size_t offset) const;

private:
    std::vector<std::uint64_t> bits_;
    std::size_t size_;
};

// What a first look at the bytes found, before they are parsed.
struct Scan {
    std::size_t athletes = 0;
    std::size_t relays = 0; // each may need a record of its own (a relay team without its swimmers)
    std::vector<int> controlLines;
};

// One pass over the document before it is parsed: control characters (raw, and as character
// references, which would cut a text at a NUL) are taken out of the bytes, their lines noted
// (no line feed is taken out, so lines stay those of the file); the nesting depth is checked and
// the athletes and relays are counted. Calls `tooDeep(line)`, which throws, for a document nested
// deeper than kMaxDepth.
Scan scanDocument(std::string& xml, const std::function<void(int line)>& tooDeep);

// Whether the bytes are UTF-16 or UTF-32 (a byte order mark, or a NUL among the first four bytes).
bool isUtf16Or32(std::string_view bytes);

} // namespace tolv::lenex
