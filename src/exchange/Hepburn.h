#pragma once
// Japanese readings in Latin letters, as results sites abroad print Japanese athletes: the
// passport form of Hepburn (シ shi, チ chi, ツ tsu, ジ/ヂ ji, ン before b/m/p m, ッ doubles the next
// consonant, ー and the long-vowel ウ/オ after an o and ウ after a u left out unless a vowel
// follows: ﾀﾛｳ Taro, ｲﾉｳｴ Inoue), the first letter capital. Kana are read in half-width and
// full-width katakana and in hiragana; ASCII letters, "-" and "'" stay; anything else is left out.
#include <string>
#include <string_view>

namespace tolv::hepburn {

// One name part in Latin letters (ASCII 32..127 only); empty when nothing of it can be written.
std::string romanise(std::string_view utf8Kana);

// The way back for text that is Hepburn as `romanise` writes it: the half-width katakana whose
// romanisation is that text again ("Taro" -> ﾀﾛ). Nothing when the text is not such Hepburn.
bool toKana(std::string_view latin, std::string& halfWidthKana);

} // namespace tolv::hepburn
