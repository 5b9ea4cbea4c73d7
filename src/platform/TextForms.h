#pragma once
// Unicode forms of a text the system's text services give (ICU on Linux, the Win32 normalization
// on Windows), for folding text without a CP932 form to letters that have one.
#include <string>

namespace tolv {

// The base letters: the compatibility decomposition without its combining marks, composed again
// (é -> e, ά -> α, ｶﾞ -> カ).
std::string baseLetters(const std::string& utf8);

// Latin letters for the text in ASCII where the system knows them (ß -> ss, Ł -> L, – -> -,
// “ -> "); characters it has no Latin form for are left as they are.
std::string latinLetters(const std::string& utf8);

} // namespace tolv
