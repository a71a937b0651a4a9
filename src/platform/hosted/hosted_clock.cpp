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

}  // namespace comp_mgr
