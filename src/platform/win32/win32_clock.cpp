#include "platform/win32/win32_clock.h"

#include "platform/win32/win32_process.h"
#include "platform/win32/windows_api.h"
#include "support/fixed_time.h"

namespace comp_mgr {

std::tm Win32Clock::Now() {
    std::string fixed;
    std::tm t;
    if (Win32GetEnv("VNT_NOW", &fixed) && ParseFixedTime(fixed, &t)) return t;
    SYSTEMTIME now;
    GetLocalTime(&now);
    TIME_ZONE_INFORMATION zone;
    int isDst = GetTimeZoneInformation(&zone) == TIME_ZONE_ID_DAYLIGHT ? 1 : 0;
    return BrokenDownTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, isDst);
}

}  // namespace comp_mgr
