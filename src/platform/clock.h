// The clock port, so that tests can fix "now".
#ifndef COMP_MGR_PLATFORM_CLOCK_H
#define COMP_MGR_PLATFORM_CLOCK_H

#include <cstdint>
#include <ctime>

namespace comp_mgr {

class Clock {
public:
    virtual ~Clock() = default;

    // The current local time, broken down as localtime() does.
    virtual std::tm Now() = 0;

    // mktime of a local time with daylight saving decided by the system
    // (tm_isdst taken as -1): fields out of range roll over into the next
    // ones (month 13 is January of the next year, day 32 the first of the
    // next month). Seconds since 1970-01-01 00:00:00 UTC; -1 when the time
    // cannot be represented.
    virtual std::int64_t MakeLocalTime(const std::tm& local) = 0;
};

}  // namespace comp_mgr

#endif
