#include "services/records/time_stamp.h"

#include <cstdio>

namespace comp_mgr {

namespace {
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

// A field outside its range (a clock port filled carelessly) still names a
// real day or month rather than reading past the table.
int Wrap(int value, int size) {
    return ((value % size) + size) % size;
}
}  // namespace

std::string FormatTimeStamp(const char* prefix, const std::tm& time) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%s, %s %02d, %lld %02d:%02d:%02d", kDays[Wrap(time.tm_wday, 7)],
                  kMonths[Wrap(time.tm_mon, 12)], time.tm_mday, static_cast<long long>(time.tm_year) + 1900,
                  time.tm_hour, time.tm_min, time.tm_sec);
    return std::string(prefix ? prefix : "") + buffer;
}

}  // namespace comp_mgr
