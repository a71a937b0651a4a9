// The clock port, so that tests can fix "now".
#ifndef COMP_MGR_PLATFORM_CLOCK_H
#define COMP_MGR_PLATFORM_CLOCK_H

#include <ctime>

namespace comp_mgr {

class Clock {
public:
    virtual ~Clock() = default;

    // The current local time, broken down as localtime() does.
    virtual std::tm Now() = 0;
};

}  // namespace comp_mgr

#endif
