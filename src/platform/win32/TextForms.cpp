// The Windows half of TextForms.h: Unicode normalization of the system (NormalizeString) and the
// character classes of GetStringTypeW instead of ICU. Windows has no transliteration to ASCII, so
// latinLetters gives the base letters plus the Latin letters, dashes and quotes that have no
// decomposition, from the table below (the Latin-ASCII forms); other scripts stay as they are.
#include "platform/TextForms.h"

#include "platform/win32/Wide.h"

#include <string_view>
#include <utility>

namespace tolv {
namespace {

std::wstring normalized(NORM_FORM form, const std::wstring& text)
{
    if (text.empty()) return text;
    int size = ::NormalizeString(form, text.data(), static_cast<int>(text.size()), nullptr, 0);
    for (int tries = 0; tries < 4 && size > 0; ++tries) {
        std::wstring out(static_cast<std::size_t>(size), L'\0');
        const int n = ::NormalizeString(form, text.data(), static_cast<int>(text.size()), out.data(), size);
        if (n > 0) return out.substr(0, static_cast<std::size_t>(n));
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        size = -n;
    }
    return text; // not normalizable (an unpaired surrogate): as it is
}

std::wstring withoutMarks(const std::wstring& text)
{
    if (text.empty()) return text;
    std::wstring types(text.size(), L'\0');
    std::wstring out;
    if (!::GetStringTypeW(CT_CTYPE3, text.data(), static_cast<int>(text.size()), reinterpret_cast<WORD*>(types.data())))
        return text;
    // Windows marks letters that carry a diacritic of their own (Ø, ø, and é before the
    // decomposition) as non-spacing too, but as linguistic characters (C3_ALPHA) as well: only the
    // marks themselves are dropped.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto type = static_cast<WORD>(types[i]);
        if (!(type & C3_NONSPACING) || (type & C3_ALPHA)) out += text[i];
    }
    return out;
}

// Latin letters and punctuation without a decomposition, as ASCII.
const std::pair<char32_t, std::string_view> kLatin[] = {
    {U'ß', "ss"},  {U'ẞ', "SS"}, {U'Æ', "AE"}, {U'æ', "ae"}, {U'Œ', "OE"}, {U'œ', "oe"},  {U'Ø', "O"},   {U'ø', "o"},
    {U'Ł', "L"},   {U'ł', "l"},  {U'Đ', "D"},  {U'đ', "d"},  {U'Ð', "D"},  {U'ð', "d"},   {U'Þ', "TH"},  {U'þ', "th"},
    {U'Ħ', "H"},   {U'ħ', "h"},  {U'ı', "i"},  {U'Ŀ', "L"},  {U'ŀ', "l"},  {U'Ŋ', "N"},   {U'ŋ', "n"},   {U'ſ', "s"},
    {U'Ŧ', "T"},   {U'ŧ', "t"},  {U'Ƶ', "Z"},  {U'ƶ', "z"},  {U'ĸ', "q"},  {U'Ɲ', "N"},   {U'ɲ', "n"},   {U'‐', "-"},
    {U'‑', "-"},   {U'‒', "-"},  {U'–', "-"},  {U'—', "-"},  {U'―', "-"},  {U'−', "-"},   {U'‘', "'"},   {U'’', "'"},
    {U'‚', ","},   {U'‛', "'"},  {U'“', "\""}, {U'”', "\""}, {U'„', ",,"}, {U'‟', "\""},  {U'′', "'"},   {U'″', "\""},
    {U'‹', "<"},   {U'›', ">"},  {U'«', "<<"}, {U'»', ">>"}, {U'•', "*"},  {U'…', "..."}, {U'€', "EUR"}, {U'©', "(C)"},
    {U'®', "(R)"}, {U'™', "TM"},
};

} // namespace

std::string baseLetters(const std::string& utf8)
{
    return win32::narrow(normalized(NormalizationC, withoutMarks(normalized(NormalizationKD, win32::widen(utf8)))));
}

std::string latinLetters(const std::string& utf8)
{
    const std::string base = baseLetters(utf8);
    const std::wstring wide = win32::widen(base);
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        std::string_view replacement;
        for (const auto& [from, to] : kLatin)
            if (from == c) replacement = to;
        if (!replacement.empty()) {
            out += replacement;
        } else if (c < 0x10000) {
            out += win32::narrow(std::wstring(1, static_cast<wchar_t>(c)));
        } else {
            out += win32::narrow(std::wstring(wide.data() + i - 1, 2));
        }
    }
    return out;
}

} // namespace tolv
