#pragma once
// The system date and time. Tests fix them with setFixedNow and undo it with resetClock.
#include <string>

namespace tolv {

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

DateTime now();
void setFixedNow(const DateTime& when);
void resetClock();

// Today as YYYYMMDD and as the short date text yyyy/mm/dd; the time as hh:mm:ss.
int todayNumber();
std::string todayText();
std::string timeText();

// Calendar helpers on YYYYMMDD numbers.
bool isValidDate(int yyyymmdd);
int addDays(int yyyymmdd, int days);

} // namespace tolv
