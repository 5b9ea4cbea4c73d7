#include "storage/TimeInput.h"

#include "platform/Cp932.h"
#include "storage/Codes.h"

#include <array>
#include <vector>

namespace tolv {
namespace {

constexpr std::int32_t kMostMinutes = 99;

// Digits and separators in their ASCII form; nothing for any other character.
std::optional<std::string> normalised(const std::string& text)
{
    std::string out;
    for (char32_t c : toUtf32(text)) {
        if (c >= U'０' && c <= U'９') c = U'0' + (c - U'０');
        else if (c == U'：') c = U':';
        else if (c == U'．') c = U'.';
        if ((c >= U'0' && c <= U'9') || c == U':' || c == U'.') out += static_cast<char>(c);
        else return std::nullopt;
    }
    return out;
}

std::string trimmed(const std::string& text)
{
    const char* blanks = " \t";
    std::size_t b = text.find_first_not_of(blanks);
    if (b == std::string::npos) return std::string();
    // A full-width blank is three bytes in UTF-8; strip those too.
    std::string t = text.substr(b, text.find_last_not_of(blanks) - b + 1);
    const std::string wide = "\xE3\x80\x80";
    while (t.rfind(wide, 0) == 0) t.erase(0, wide.size());
    while (t.size() >= wide.size() && t.compare(t.size() - wide.size(), wide.size(), wide) == 0) t.erase(t.size() - wide.size());
    return t;
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts(1);
    for (char c : s) {
        if (c == sep) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

bool digits(const std::string& s, std::size_t least, std::size_t most)
{
    if (s.size() < least || s.size() > most) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int number(const std::string& s) { return s.empty() ? 0 : std::stoi(s); }

// "5" is half a second typed as the first hundredths digit: 50.
int hundredths(const std::string& s) { return s.size() == 1 ? number(s) * 10 : number(s); }

std::optional<std::int32_t> coded(long long minutes, long long seconds, int hundredthsValue)
{
    minutes += seconds / 60;
    seconds %= 60;
    if (minutes > kMostMinutes) return std::nullopt;
    return static_cast<std::int32_t>(minutes * 10000 + seconds * 100 + hundredthsValue);
}

} // namespace

std::optional<std::int32_t> parseTime(const std::string& text)
{
    const std::string t = trimmed(text);
    if (t.empty()) return 0;
    for (const ResultMarkText& m : kResultMarks)
        if (t == m.text) return markValue(m.mark);
    std::optional<std::string> n = normalised(t);
    if (!n) return std::nullopt;
    const std::string& s = *n;

    if (s.find(':') != std::string::npos) {
        // minutes ":" seconds [ "." hundredths ]
        std::vector<std::string> mp = split(s, ':');
        if (mp.size() != 2 || !digits(mp[0], 1, 2)) return std::nullopt;
        std::vector<std::string> sh = split(mp[1], '.');
        if (sh.size() > 2 || !digits(sh[0], 1, 2) || number(sh[0]) >= 60) return std::nullopt;
        if (sh.size() == 2 && !digits(sh[1], 0, 2)) return std::nullopt;
        return coded(number(mp[0]), number(sh[0]), sh.size() == 2 ? hundredths(sh[1]) : 0);
    }
    std::vector<std::string> parts = split(s, '.');
    if (parts.size() == 3) {
        // minutes "." seconds "." hundredths
        if (!digits(parts[0], 1, 2) || !digits(parts[1], 1, 2) || number(parts[1]) >= 60 || !digits(parts[2], 0, 2))
            return std::nullopt;
        return coded(number(parts[0]), number(parts[1]), hundredths(parts[2]));
    }
    if (parts.size() == 2) {
        // seconds "." hundredths; a minute or more of seconds carries into the minutes
        if (!digits(parts[0], 0, 4) || !digits(parts[1], 0, 2) || (parts[0].empty() && parts[1].empty())) return std::nullopt;
        return coded(0, number(parts[0]), hundredths(parts[1]));
    }
    // The stored digit form.
    if (!digits(s, 1, 6)) return std::nullopt;
    const std::int32_t v = std::stoi(s);
    if (isResultMark(v)) return v;
    if (v / 100 % 100 >= 60) return std::nullopt;
    return v;
}

std::string timeRefusedMessage(const std::string& text)
{
    return "タイムが正しくありません: " + text + "\n「1:05.23」「65.23」「1.05.23」「10523」のいずれかの形で入力してください。";
}

std::string shownTime(std::int32_t value)
{
    std::string t = formatTime(value);
    if (!t.empty() || value == 0) return t;
    if (value > 0 && value < 10) return "0.0" + std::to_string(value);
    return std::to_string(value); // a damaged field: its digits, as stored
}

} // namespace tolv
