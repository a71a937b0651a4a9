// The clock port on Windows. The settings may fix the time (VNT_NOW;
// win32_settings.h), as on the hosted machine.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_CLOCK_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_CLOCK_H

#include <ctime>
#include <string>

#include "platform/clock.h"
#include "support/fixed_time.h"  // ParseFixedTime, which the fixed time is read with

namespace comp_mgr {

class Win32Clock : public Clock {
public:
    // `fixed` is "YYYY-MM-DD HH:MM:SS" local time; empty, or text that does
    // not parse, gives the real time.
    explicit Win32Clock(const std::string& fixed);

    std::tm Now() override;
    // mktime of the C runtime, in the time zone of TZ or of the system.
    std::int64_t MakeLocalTime(const std::tm& local) override;

private:
    bool fixed_ = false;
    std::tm now_{};
};

}  // namespace comp_mgr

#endif
