#pragma once
// One line of Japanese for every argument and option that a usage line declares, and for the
// program's own options: what to give and, where it matters, what is assumed without it.
#include <string>

namespace tolv::cli {

// The description of `word` as the usage line writes it ("--to DIR", "--zip", "ENTRY", "KIND") in
// `command` (with `format`, the first argument of export and import, else empty). A row for the
// format wins over one for the command, which wins over one for every command; a row for the
// option's name alone ("--from") serves every value name. Empty when no row describes it.
std::string argumentHelp(const std::string& command, const std::string& format, const std::string& word);

} // namespace tolv::cli
