#include "exchange/LenexCodes.h"

#include "platform/Clock.h"

#include <cstdio>
#include <string_view>

namespace tolv::lenex {
namespace {

struct SlotStyle {
    int slot;
    int distance;
    int relaycount;
    const char* stroke;
};

const SlotStyle kSlots[] = {
    {0, 25, 1, "FREE"},     {1, 50, 1, "FREE"},     {2, 100, 1, "FREE"},   {3, 200, 1, "FREE"},    {4, 400, 1, "FREE"},
    {5, 800, 1, "FREE"},    {6, 1500, 1, "FREE"},   {7, 25, 1, "BACK"},    {8, 50, 1, "BACK"},     {9, 100, 1, "BACK"},
    {10, 200, 1, "BACK"},   {11, 25, 1, "BREAST"},  {12, 50, 1, "BREAST"}, {13, 100, 1, "BREAST"}, {14, 200, 1, "BREAST"},
    {15, 25, 1, "FLY"},     {16, 50, 1, "FLY"},     {17, 100, 1, "FLY"},   {18, 200, 1, "FLY"},    {19, 100, 1, "MEDLEY"},
    {20, 200, 1, "MEDLEY"}, {21, 400, 1, "MEDLEY"}, {22, 25, 4, "MEDLEY"}, {23, 50, 4, "MEDLEY"},  {24, 100, 4, "MEDLEY"},
    {25, 25, 4, "FREE"},    {26, 50, 4, "FREE"},    {27, 100, 4, "FREE"},  {28, 200, 4, "FREE"},
};

bool digits(const std::string& s, std::size_t at, std::size_t n)
{
    for (std::size_t i = at; i < at + n; ++i)
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
    return true;
}

int number(const std::string& s, std::size_t at, std::size_t n) { return std::stoi(s.substr(at, n)); }

} // namespace

std::optional<SwimStyle> styleOfSlot(int slot)
{
    for (const SlotStyle& s : kSlots)
        if (s.slot == slot) return SwimStyle{s.distance, s.relaycount, s.stroke};
    return std::nullopt;
}

std::optional<int> slotOfStyle(const std::string& stroke, int distance, int relaycount)
{
    for (const SlotStyle& s : kSlots)
        if (stroke == s.stroke && distance == s.distance && relaycount == s.relaycount) return s.slot;
    return std::nullopt;
}

std::string swimTime(std::int32_t value)
{
    if (value <= 0 || value >= kFirstMarkValue) return "NT";
    // Seconds typed as 60 or more (6000 for "60.00") are carried over into the minutes.
    const long long hundredths = (value / 10000) * 6000LL + ((value / 100) % 100) * 100LL + value % 100;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%02lld", hundredths / 360000, (hundredths / 6000) % 60,
                  (hundredths / 100) % 60, hundredths % 100);
    return buf;
}

std::optional<std::int32_t> codedTime(const std::string& t)
{
    if (t.size() != 11 || !digits(t, 0, 2) || t[2] != ':' || !digits(t, 3, 2) || t[5] != ':' || !digits(t, 6, 2) || t[8] != '.' ||
        !digits(t, 9, 2))
        return std::nullopt;
    const int minutes = number(t, 0, 2) * 60 + number(t, 3, 2);
    const int seconds = number(t, 6, 2);
    if (number(t, 3, 2) >= 60 || seconds >= 60 || minutes >= 60) return std::nullopt;
    return minutes * 10000 + seconds * 100 + number(t, 9, 2);
}

std::string isoDate(std::int32_t d)
{
    if (!isValidDate(d)) return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d / 10000, d / 100 % 100, d % 100);
    return buf;
}

std::int32_t dateOfIso(const std::string& t)
{
    if (t.size() != 10 || !digits(t, 0, 4) || t[4] != '-' || !digits(t, 5, 2) || t[7] != '-' || !digits(t, 8, 2)) return 0;
    const std::int32_t d = number(t, 0, 4) * 10000 + number(t, 5, 2) * 100 + number(t, 8, 2);
    return isValidDate(d) ? d : 0;
}

std::string clean(std::string s)
{
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    const std::size_t end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

std::string reserveStyleName(const ReserveEvents& r, int i)
{
    const std::string kubun = clean(r.yobiKubun(i));
    const std::string name = clean(r.yobiName(i));
    if (kubun.empty() && name.empty()) return "(" + std::to_string(i + 1) + ")";
    if (kubun.empty()) return name;
    if (name.empty()) return kubun;
    return kubun + " " + name;
}

std::optional<SwimStyle> styleOfReserve(const ReserveEvents& r, int i)
{
    const std::string name = clean(r.yobiName(i));
    int metres = 0;
    std::size_t at = 0;
    while (at < name.size() && name[at] >= '0' && name[at] <= '9' && metres < 100000) metres = metres * 10 + (name[at++] - '0');
    if (metres == 0 || at >= name.size() || name[at] != 'm') return std::nullopt;
    const std::string rest = name.substr(at + 1);
    // Words in full-width or half-width katakana (the 16-byte field often holds the latter).
    auto has = [&](const char* word) {
        static const std::pair<const char*, const char*> halfWidth[] = {
            {"キック", "ｷｯｸ"}, {"プル", "ﾌﾟﾙ"},       {"スタート", "ｽﾀｰﾄ"},    {"ターン", "ﾀｰﾝ"},
            {"リレー", "ﾘﾚｰ"}, {"メドレー", "ﾒﾄﾞﾚｰ"}, {"バタフライ", "ﾊﾞﾀﾌﾗｲ"}};
        if (rest.find(word) != std::string::npos) return true;
        for (const auto& [full, half] : halfWidth)
            if (std::string_view(word) == full && rest.find(half) != std::string::npos) return true;
        return false;
    };
    static const std::pair<const char*, const char*> techniques[] = {
        {"キック", "KICK"}, {"プル", "PULL"}, {"潜水", "DIVE"}, {"けのび", "GLIDE"}, {"スタート", "START"}, {"ターン", "TURN"}};
    std::string technique;
    for (const auto& [word, code] : techniques)
        if (has(word)) technique = code;
    if (r.isRelay(i)) {
        // A relay's name gives the whole distance; Lenex gives one swimmer's.
        constexpr int kLegs = 4;
        if (!has("リレー") || metres % kLegs != 0) return std::nullopt;
        return SwimStyle{metres / kLegs, kLegs, has("メドレー") ? "MEDLEY" : "FREE", technique};
    }
    static const std::pair<const char*, const char*> strokes[] = {
        {"自由形", "FREE"}, {"背泳", "BACK"}, {"平泳", "BREAST"}, {"バタフライ", "FLY"}, {"メドレー", "MEDLEY"}};
    std::string stroke;
    for (const auto& [word, code] : strokes)
        if (stroke.empty() && has(word)) stroke = code;
    if (stroke.empty() && technique.empty()) return std::nullopt;
    return SwimStyle{metres, 1, stroke.empty() ? "UNKNOWN" : stroke, technique};
}

} // namespace tolv::lenex
