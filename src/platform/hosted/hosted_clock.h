// The Clock port on the hosted machine: the settings may fix "now" (VNT_NOW,
// hosted_settings.h).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_CLOCK_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_CLOCK_H

#include <string>

#include "platform/clock.h"

namespace comp_mgr {

class HostedClock : public Clock {
public:
    // `fixed` is "YYYY-MM-DD HH:MM:SS" local time, or empty for the real
    // time. Text that does not parse is reported through valid() and the real
    // time is used.
    explicit HostedClock(const std::string& fixed);

    std::tm Now() override;
    // mktime in the process's time zone (TZ).
    std::int64_t MakeLocalTime(const std::tm& local) override;
    bool valid() const { return valid_; }

    // Parses "YYYY-MM-DD HH:MM:SS" into a normalised local time (weekday and
    // day of the year filled in); false for anything else.
    static bool Parse(const std::string& text, std::tm* result);

private:
    bool fixed_ = false;
    bool valid_ = true;
    std::tm now_{};
};

}  // namespace comp_mgr

#endif
