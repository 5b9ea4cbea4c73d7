#pragma once
// The layout of the CLI's --json output on nlohmann-json values: an object one member per line,
// an array of numbers or strings on one line ("[1, 2]"), an array of objects one element per line.
// Strings are escaped by the library; bytes that are not UTF-8 become U+FFFD.
#include <nlohmann/json.hpp>

#include <iosfwd>

namespace tolv::cli {

using Json = nlohmann::ordered_json;

// Writes `value` as it appears at `indent` spaces (the first line is not indented).
void writeJson(std::ostream& out, const Json& value, int indent = 0);

} // namespace tolv::cli
