#include "exchange/Hepburn.h"

#include "platform/Cp932.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <vector>

namespace tolv::hepburn {
namespace {

// Full-width katakana and their romanisation; two-kana forms (キャ) before one-kana ones.
const std::pair<const char32_t*, const char*> kSyllables[] = {
    {U"キャ", "kya"}, {U"キュ", "kyu"}, {U"キョ", "kyo"}, {U"シャ", "sha"}, {U"シュ", "shu"}, {U"ショ", "sho"}, {U"チャ", "cha"},
    {U"チュ", "chu"}, {U"チョ", "cho"}, {U"ニャ", "nya"}, {U"ニュ", "nyu"}, {U"ニョ", "nyo"}, {U"ヒャ", "hya"}, {U"ヒュ", "hyu"},
    {U"ヒョ", "hyo"}, {U"ミャ", "mya"}, {U"ミュ", "myu"}, {U"ミョ", "myo"}, {U"リャ", "rya"}, {U"リュ", "ryu"}, {U"リョ", "ryo"},
    {U"ギャ", "gya"}, {U"ギュ", "gyu"}, {U"ギョ", "gyo"}, {U"ジャ", "ja"},  {U"ジュ", "ju"},  {U"ジョ", "jo"},  {U"ビャ", "bya"},
    {U"ビュ", "byu"}, {U"ビョ", "byo"}, {U"ピャ", "pya"}, {U"ピュ", "pyu"}, {U"ピョ", "pyo"}, {U"ヂャ", "ja"},  {U"ヂュ", "ju"},
    {U"ヂョ", "jo"},  {U"シェ", "she"}, {U"チェ", "che"}, {U"ジェ", "je"},  {U"ティ", "ti"},  {U"ディ", "di"},  {U"トゥ", "tu"},
    {U"ドゥ", "du"},  {U"ファ", "fa"},  {U"フィ", "fi"},  {U"フェ", "fe"},  {U"フォ", "fo"},  {U"ウィ", "wi"},  {U"ウェ", "we"},
    {U"ウォ", "wo"},  {U"ヴァ", "va"},  {U"ヴィ", "vi"},  {U"ヴェ", "ve"},  {U"ヴォ", "vo"},  {U"ツァ", "tsa"}, {U"ア", "a"},
    {U"イ", "i"},     {U"ウ", "u"},     {U"エ", "e"},     {U"オ", "o"},     {U"カ", "ka"},    {U"キ", "ki"},    {U"ク", "ku"},
    {U"ケ", "ke"},    {U"コ", "ko"},    {U"サ", "sa"},    {U"シ", "shi"},   {U"ス", "su"},    {U"セ", "se"},    {U"ソ", "so"},
    {U"タ", "ta"},    {U"チ", "chi"},   {U"ツ", "tsu"},   {U"テ", "te"},    {U"ト", "to"},    {U"ナ", "na"},    {U"ニ", "ni"},
    {U"ヌ", "nu"},    {U"ネ", "ne"},    {U"ノ", "no"},    {U"ハ", "ha"},    {U"ヒ", "hi"},    {U"フ", "fu"},    {U"ヘ", "he"},
    {U"ホ", "ho"},    {U"マ", "ma"},    {U"ミ", "mi"},    {U"ム", "mu"},    {U"メ", "me"},    {U"モ", "mo"},    {U"ヤ", "ya"},
    {U"ユ", "yu"},    {U"ヨ", "yo"},    {U"ラ", "ra"},    {U"リ", "ri"},    {U"ル", "ru"},    {U"レ", "re"},    {U"ロ", "ro"},
    {U"ワ", "wa"},    {U"ヰ", "i"},     {U"ヱ", "e"},     {U"ヲ", "o"},     {U"ガ", "ga"},    {U"ギ", "gi"},    {U"グ", "gu"},
    {U"ゲ", "ge"},    {U"ゴ", "go"},    {U"ザ", "za"},    {U"ジ", "ji"},    {U"ズ", "zu"},    {U"ゼ", "ze"},    {U"ゾ", "zo"},
    {U"ダ", "da"},    {U"ヂ", "ji"},    {U"ヅ", "zu"},    {U"デ", "de"},    {U"ド", "do"},    {U"バ", "ba"},    {U"ビ", "bi"},
    {U"ブ", "bu"},    {U"ベ", "be"},    {U"ボ", "bo"},    {U"パ", "pa"},    {U"ピ", "pi"},    {U"プ", "pu"},    {U"ペ", "pe"},
    {U"ポ", "po"},    {U"ヴ", "vu"},    {U"ァ", "a"},     {U"ィ", "i"},     {U"ゥ", "u"},     {U"ェ", "e"},     {U"ォ", "o"},
    {U"ャ", "ya"},    {U"ュ", "yu"},    {U"ョ", "yo"},    {U"ヮ", "wa"},
};

constexpr char32_t kSmallTsu = U'ッ';
constexpr char32_t kN = U'ン';
constexpr char32_t kLong = U'ー';

// Half-width katakana U+FF66..U+FF9D in order, as full-width.
const char32_t kHalfWidth[] =
    U"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";

// Half-width katakana (with their sound marks) and hiragana as full-width katakana.
std::u32string fullWidthKatakana(std::string_view utf8)
{
    std::u32string out;
    for (char32_t c : toUtf32(utf8)) {
        if (c >= 0xFF66 && c <= 0xFF9D) {
            out += kHalfWidth[c - 0xFF66];
        } else if ((c == 0xFF9E || c == 0xFF9F) && !out.empty()) {
            char32_t& last = out.back();
            if (c == 0xFF9E && last == U'ウ') last = U'ヴ';
            else if (c == 0xFF9E && ((last >= U'カ' && last <= U'ト') || (last >= U'ハ' && last <= U'ホ'))) last += 1;
            else if (c == 0xFF9F && last >= U'ハ' && last <= U'ホ') last += 2;
        } else if (c >= 0x3041 && c <= 0x3096) {
            out += c + 0x60;
        } else if (c >= 0xFF01 && c <= 0xFF5E) { // full-width ASCII
            out += c - 0xFEE0;
        } else if (c == 0x3000) {
            out += U' ';
        } else {
            out += c;
        }
    }
    return out;
}

bool isBareVowel(char32_t c) { return c == U'ア' || c == U'イ' || c == U'ウ' || c == U'エ' || c == U'オ'; }

// The syllables of the table by their first kana (katakana U+30A0..U+30FF), in the table's order,
// so a kana is compared with its few syllables only.
constexpr char32_t kKatakanaFirst = 0x30A0;
struct SyllableIndex {
    std::array<std::vector<std::uint8_t>, 0x60> byFirst;
    SyllableIndex()
    {
        for (std::size_t i = 0; i < std::size(kSyllables); ++i)
            byFirst.at(kSyllables[i].first[0] - kKatakanaFirst).push_back(static_cast<std::uint8_t>(i));
    }
};

// The syllable at `at`: its romanisation and length in kana, or nothing.
std::pair<const char*, std::size_t> syllableAt(const std::u32string& k, std::size_t at)
{
    static const SyllableIndex index;
    const char32_t first = k[at];
    if (first < kKatakanaFirst || first >= kKatakanaFirst + 0x60) return {nullptr, 0};
    for (const std::uint8_t i : index.byFirst[first - kKatakanaFirst]) {
        const std::u32string_view s(kSyllables[i].first);
        if (k.compare(at, s.size(), s) == 0) return {kSyllables[i].second, s.size()};
    }
    return {nullptr, 0};
}

std::string capitalised(std::string s)
{
    if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

bool isVowelLetter(char c) { return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o'; }

} // namespace

std::string romanise(std::string_view utf8Kana)
{
    const std::u32string k = fullWidthKatakana(utf8Kana);
    std::string out;
    bool doubleNext = false;
    bool kanaFirst = false; // the text begins with a kana: its first letter is made a capital
    for (std::size_t i = 0; i < k.size();) {
        const char32_t c = k[i];
        if (c < 0x80) {
            if (std::isalpha(static_cast<int>(c)) || c == '-' || c == '\'' || c == ' ') out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c == kSmallTsu) {
            doubleNext = true;
            ++i;
            continue;
        }
        if (c == kLong) {
            ++i;
            continue;
        }
        if (c == kN) {
            std::size_t next = i + 1;
            const auto [latin, len] = next < k.size() ? syllableAt(k, next) : std::pair<const char*, std::size_t>{};
            if (out.empty()) kanaFirst = true;
            out += (latin && (latin[0] == 'b' || latin[0] == 'm' || latin[0] == 'p')) ? "m" : "n";
            doubleNext = false;
            ++i;
            continue;
        }
        const auto [latin, len] = syllableAt(k, i);
        if (!latin) { // neither kana of the table nor ASCII: left out
            ++i;
            continue;
        }
        if (out.empty()) kanaFirst = true;
        std::string piece = latin;
        if (doubleNext && !isVowelLetter(piece[0])) piece = (piece.rfind("ch", 0) == 0 ? "t" : piece.substr(0, 1)) + piece;
        doubleNext = false;
        out += piece;
        i += len;
        // The long vowel: ウ or オ after an o, ウ after a u, unless a vowel follows it.
        const char end = piece.back();
        if (i < k.size() && ((end == 'o' && (k[i] == U'ウ' || k[i] == U'オ')) || (end == 'u' && k[i] == U'ウ')) &&
            !(i + 1 < k.size() && isBareVowel(k[i + 1])))
            ++i;
    }
    const std::size_t b = out.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    out = out.substr(b, out.find_last_not_of(' ') - b + 1);
    return kanaFirst && b == 0 ? capitalised(out) : out;
}

bool toKana(std::string_view text, std::string& halfWidthKana)
{
    // Romanisation -> one full-width kana form (the first in the table).
    static const std::map<std::string, std::u32string> byLatin = [] {
        std::map<std::string, std::u32string> m;
        for (const auto& [kana, l] : kSyllables) m.emplace(l, kana);
        return m;
    }();
    if (text.empty()) return false;
    // Lower-case letters are Hepburn, and so is a capital before one (a word's first letter);
    // other capitals, blanks, "-" and "'" stay as they are.
    std::string latin(text);
    std::vector<bool> literal(latin.size(), false);
    for (std::size_t i = 0; i < latin.size(); ++i) {
        const char c = latin[i];
        const char next = i + 1 < latin.size() ? latin[i + 1] : 0;
        if (c >= 'A' && c <= 'Z') {
            if (next >= 'a' && next <= 'z') latin[i] = static_cast<char>(c - 'A' + 'a');
            else literal[i] = true;
        } else if (c == ' ' || c == '-' || c == '\'') {
            literal[i] = true;
        } else if (c < 'a' || c > 'z') {
            return false;
        }
    }
    auto letterAt = [&](std::size_t i) { return i < latin.size() && !literal[i] ? latin[i] : char(0); };
    std::u32string k;
    char lastVowel = 0;
    for (std::size_t i = 0; i < latin.size();) {
        if (literal[i]) {
            k += static_cast<char32_t>(latin[i++]);
            lastVowel = 0;
            continue;
        }
        const char c = latin[i];
        const char next = letterAt(i + 1);
        if ((c == 'n' && !isVowelLetter(next) && next != 'y') || (c == 'm' && (next == 'b' || next == 'm' || next == 'p'))) {
            k += kN;
            lastVowel = 0;
            ++i;
            continue;
        }
        if (!isVowelLetter(c) && (next == c || (c == 't' && next == 'c'))) {
            k += kSmallTsu;
            ++i;
            continue;
        }
        std::size_t best = 0;
        for (std::size_t len = 3; len >= 1 && !best; --len) {
            bool letters = i + len <= latin.size();
            for (std::size_t q = i; letters && q < i + len; ++q) letters = !literal[q];
            if (letters && byLatin.count(latin.substr(i, len))) best = len;
        }
        if (!best) return false;
        const std::string piece = latin.substr(i, best);
        // A vowel that `romanise` would take for a long vowel is written small, so it stays.
        const char after = letterAt(i + best);
        if (best == 1 && ((lastVowel == 'o' && (c == 'o' || c == 'u')) || (lastVowel == 'u' && c == 'u')) &&
            !isVowelLetter(after))
            k += c == 'o' ? U'ォ' : U'ゥ';
        else k += byLatin.at(piece);
        lastVowel = piece.back();
        i += best;
    }
    // Full-width -> half-width katakana.
    std::string out;
    for (char32_t c : k) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        char32_t base = c;
        int mark = 0; // 1 voiced, 2 semi-voiced
        if (c == U'ヴ') base = U'ウ', mark = 1;
        const std::u32string_view half(kHalfWidth);
        std::size_t at = half.find(base);
        if (at == std::u32string_view::npos) {
            for (char32_t b : {char32_t(c - 1), char32_t(c - 2)}) {
                at = half.find(b);
                if (at != std::u32string_view::npos && ((b >= U'カ' && b <= U'ト') || (b >= U'ハ' && b <= U'ホ'))) {
                    mark = c - b == 1 ? 1 : 2;
                    if (mark == 2 && !(b >= U'ハ' && b <= U'ホ')) return false;
                    break;
                }
                at = std::u32string_view::npos;
            }
        }
        if (at == std::u32string_view::npos) return false;
        char32_t h[2] = {char32_t(0xFF66 + at), mark == 1 ? char32_t(0xFF9E) : char32_t(0xFF9F)};
        out += fromUtf32(std::u32string_view(h, mark ? 2 : 1));
    }
    halfWidthKana = out;
    return true;
}

} // namespace tolv::hepburn
