#include "support/fixed_time.h"

#include <cstddef>

namespace comp_mgr {
namespace {

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

int DayOfYear(int year, int month, int day) {
    int yday = day - 1;
    for (int m = 1; m < month; ++m) yday += DaysInMonth(year, m);
    return yday;
}

// 0 = Sunday (Sakamoto's method).
int DayOfWeek(int year, int month, int day) {
    static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

bool ReadNumber(const std::string& text, std::size_t at, std::size_t digits, int* value) {
    int v = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    *value = v;
    return true;
}

}  // namespace

std::tm BrokenDownTime(int year, int month, int day, int hour, int minute, int second, int isDst) {
    std::tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_wday = DayOfWeek(year, month, day);
    t.tm_yday = DayOfYear(year, month, day);
    t.tm_isdst = isDst;
    return t;
}

std::int64_t CalendarSeconds(const std::tm& time) {
    // Months first, so that the day count below starts from a real month.
    std::int64_t month = time.tm_mon;
    std::int64_t year = 1900 + static_cast<std::int64_t>(time.tm_year) + (month >= 0 ? month / 12 : (month - 11) / 12);
    month -= (month >= 0 ? month / 12 : (month - 11) / 12) * 12;
    // Days from 1970-01-01 of the first of that month (Hinnant's days_from_civil).
    const std::int64_t m = month + 1;
    const std::int64_t y = m <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + doe - 719468 + (time.tm_mday - 1);
    return days * 86400 + static_cast<std::int64_t>(time.tm_hour) * 3600 + static_cast<std::int64_t>(time.tm_min) * 60 +
           time.tm_sec;
}

bool ParseFixedTime(const std::string& text, std::tm* result) {
    if (!result || text.size() != 19) return false;
    if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':') return false;
    int year, month, day, hour, minute, second;
    if (!ReadNumber(text, 0, 4, &year) || !ReadNumber(text, 5, 2, &month) || !ReadNumber(text, 8, 2, &day) ||
        !ReadNumber(text, 11, 2, &hour) || !ReadNumber(text, 14, 2, &minute) || !ReadNumber(text, 17, 2, &second)) {
        return false;
    }
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    if (hour > 23 || minute > 59 || second > 59) return false;
    *result = BrokenDownTime(year, month, day, hour, minute, second, 0);
    return true;
}

}  // namespace comp_mgr
