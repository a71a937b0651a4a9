// "YYYY-MM-DD HH:MM:SS", the form VNT_NOW fixes "now" in on both adapters,
// and broken-down times computed without the C library's time zone rules, so
// that both adapters give the same weekday and day of the year for a date.
#ifndef COMP_MGR_SUPPORT_FIXED_TIME_H
#define COMP_MGR_SUPPORT_FIXED_TIME_H

#include <cstdint>
#include <ctime>
#include <string>

namespace comp_mgr {

// Reads "YYYY-MM-DD HH:MM:SS" into a broken-down time with its weekday and
// day of the year; false for any other text or an impossible date.
bool ParseFixedTime(const std::string& text, std::tm* result);

// A broken-down time of a date and time of day (month 1-12), with weekday
// and day of the year filled in.
std::tm BrokenDownTime(int year, int month, int day, int hour, int minute, int second, int isDst);

// Seconds since 1970-01-01 00:00:00 of a broken-down time read as universal
// time, every field allowed out of its range and rolled over into the next
// as mktime does (month 13 is January of the next year, day 32 the first of
// the next month, hour 24 the next day).
std::int64_t CalendarSeconds(const std::tm& time);

}  // namespace comp_mgr

#endif
