#include "platform/win32/win32_platform.h"

#include <string>

#include "platform/win32/windows_api.h"
#include "support/event_line.h"

namespace comp_mgr {

Win32Platform::Win32Platform(const Win32Settings& settings)
    : ui_(settings.ui, settings.logDir),
      clock_(settings.now),
      shell_(settings.logDir),
      events_(settings.eventsLog, clock_, settings.eventsEcho, kEventLogLimit) {}

void ReportToHost(const char* line) noexcept {
    try {
        char before[8192];
        DWORD n = GetEnvironmentVariableA("COMP_MGR_REPORT", before, sizeof before);
        std::string text = n > 0 && n < sizeof before ? std::string(before, n) + "\n" + line : std::string(line);
        SetEnvironmentVariableA("COMP_MGR_REPORT", text.c_str());
    } catch (...) {
        SetEnvironmentVariableA("COMP_MGR_REPORT", line);
    }
}

std::unique_ptr<ProcessPlatform> CreateProcessPlatform() {
    return std::make_unique<Win32Platform>(Win32Settings::FromEnvironment());
}

namespace win32 {
namespace {
void* g_module = nullptr;
}  // namespace

void SetLibraryModule(void* module) {
    g_module = module;
}
void* LibraryModule() {
    return g_module;
}

}  // namespace win32
}  // namespace comp_mgr
