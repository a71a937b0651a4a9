// The in-memory clock port for tests: "now" is whatever the test sets.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_CLOCK_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_CLOCK_H

#include <cstdint>
#include <ctime>

#include "platform/clock.h"
#include "support/fixed_time.h"

namespace comp_mgr {

class MemoryClock : public Clock {
public:
    MemoryClock() { Set(2006, 12, 4, 15, 4, 33); }
    // The weekday and day of the year are worked out as for the clocks'
    // VNT_NOW, without asking the system's time zone.
    void Set(int year, int month, int day, int hour, int minute, int second) {
        now = BrokenDownTime(year, month, day, hour, minute, second, 0);
    }
    std::tm Now() override { return now; }
    // Local time is universal time here: no zone, no daylight saving.
    std::int64_t MakeLocalTime(const std::tm& local) override { return CalendarSeconds(local); }
    std::tm now{};
};

}  // namespace comp_mgr

#endif
