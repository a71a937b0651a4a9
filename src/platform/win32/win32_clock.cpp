#include "platform/win32/win32_clock.h"

#include "platform/win32/windows_api.h"
#include "support/fixed_time.h"

namespace comp_mgr {

Win32Clock::Win32Clock(const std::string& fixed) {
    fixed_ = !fixed.empty() && ParseFixedTime(fixed, &now_);
}

std::tm Win32Clock::Now() {
    if (fixed_) return now_;
    SYSTEMTIME now;
    GetLocalTime(&now);
    TIME_ZONE_INFORMATION zone;
    int isDst = GetTimeZoneInformation(&zone) == TIME_ZONE_ID_DAYLIGHT ? 1 : 0;
    return BrokenDownTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, isDst);
}

std::int64_t Win32Clock::MakeLocalTime(const std::tm& local) {
    std::tm t = local;
    t.tm_isdst = -1;
    const __time64_t seconds = _mktime64(&t);
    return seconds == static_cast<__time64_t>(-1) ? -1 : static_cast<std::int64_t>(seconds);
}

}  // namespace comp_mgr
