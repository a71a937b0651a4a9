#include "platform/hosted/hosted_clock.h"

#include <ctime>

#include "support/fixed_time.h"

namespace comp_mgr {

bool HostedClock::Parse(const std::string& text, std::tm* result) {
    // The same reading as on Windows, so both adapters see the same "now".
    return ParseFixedTime(text, result);
}

HostedClock::HostedClock(const std::string& fixed) {
    if (fixed.empty()) return;
    fixed_ = Parse(fixed, &now_);
    valid_ = fixed_;
}

std::tm HostedClock::Now() {
    if (fixed_) return now_;
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

std::int64_t HostedClock::MakeLocalTime(const std::tm& local) {
    std::tm t = local;
    t.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&t);
    return seconds == static_cast<std::time_t>(-1) ? -1 : static_cast<std::int64_t>(seconds);
}

}  // namespace comp_mgr
