#pragma once
#include <cstdint>
#include <string>

namespace tolv {

// Cleans text in place and returns it: control characters become blanks, leading and trailing
// blanks go; mode 1 fits to five characters, mode 2 removes every half- and full-width blank.
std::string cleanText(std::string& text, std::int16_t mode);
inline std::string cleanedText(std::string text, std::int16_t mode) { return cleanText(text, mode); }

} // namespace tolv
