// The clock port on Windows. VNT_NOW="YYYY-MM-DD HH:MM:SS" fixes the time,
// as on the hosted machine, so that tests see the same "now" on both.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_CLOCK_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_CLOCK_H

#include <ctime>

#include "platform/clock.h"
#include "support/fixed_time.h"  // ParseFixedTime, which VNT_NOW is read with

namespace comp_mgr {

class Win32Clock : public Clock {
public:
    std::tm Now() override;
};

}  // namespace comp_mgr

#endif
