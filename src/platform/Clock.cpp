#include "platform/Clock.h"

#include <cstdio>
#include <ctime>
#include <optional>

namespace tolv {
namespace {
std::optional<DateTime>& fixedNow()
{
    static std::optional<DateTime> value;
    return value;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian), and back.
long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long>(yoe) + era * 400 + (m <= 2));
}
} // namespace

DateTime now()
{
    if (fixedNow()) return *fixedNow();
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void setFixedNow(const DateTime& when) { fixedNow() = when; }
void resetClock() { fixedNow().reset(); }

int todayNumber()
{
    DateTime n = now();
    return n.year * 10000 + n.month * 100 + n.day;
}

std::string todayText()
{
    DateTime n = now();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", n.year % 10000, n.month % 100, n.day % 100);
    return buf;
}

std::string timeText()
{
    DateTime n = now();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", n.hour % 100, n.minute % 100, n.second % 100);
    return buf;
}

bool isValidDate(int v)
{
    int y = v / 10000, m = v / 100 % 100, d = v % 100;
    if (y < 1 || m < 1 || m > 12 || d < 1) return false;
    int ry, rm, rd;
    civilFromDays(daysFromCivil(y, m, d), ry, rm, rd);
    return ry == y && rm == m && rd == d;
}

int addDays(int v, int days)
{
    int y = v / 10000, m = v / 100 % 100, d = v % 100;
    int ry, rm, rd;
    civilFromDays(daysFromCivil(y, m, d) + days, ry, rm, rd);
    return ry * 10000 + rm * 100 + rd;
}

} // namespace tolv
