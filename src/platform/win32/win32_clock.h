// The clock port on Windows. VNT_NOW="YYYY-MM-DD HH:MM:SS" fixes the time,
// as on the hosted machine, so that tests see the same "now" on both.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_CLOCK_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_CLOCK_H

#include <ctime>
#include <string>

#include "platform/clock.h"

namespace comp_mgr {

class Win32Clock : public Clock {
public:
    std::tm Now() override;
};

// Reads "YYYY-MM-DD HH:MM:SS" into a broken-down time with its weekday and
// day of the year; false for any other text or an impossible date.
bool ParseFixedTime(const std::string& text, std::tm* result);

}  // namespace comp_mgr

#endif
