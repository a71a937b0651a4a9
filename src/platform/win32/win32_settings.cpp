#include "platform/win32/win32_settings.h"

#include "platform/win32/win32_process.h"

namespace comp_mgr {
namespace {

void FromEnv(const char* name, std::string* value) {
    std::string v;
    if (Win32GetEnv(name, &v) && !v.empty()) *value = v;
}

}  // namespace

Win32Settings Win32Settings::FromEnvironment() {
    Win32Settings s;
    FromEnv("VNT_UI", &s.ui);
    FromEnv("VNT_LOG_DIR", &s.logDir);
    FromEnv("VNT_NOW", &s.now);
    FromEnv("VNT_EVENTS_LOG", &s.eventsLog);
    std::string echo;
    FromEnv("VNT_EVENTS_ECHO", &echo);
    s.eventsEcho = echo == "1";
    return s;
}

}  // namespace comp_mgr
