#include "platform/win32/win32_platform.h"

namespace comp_mgr {

Win32Platform::Win32Platform(const Win32Settings& settings)
    : ui_(settings.ui, settings.logDir), clock_(settings.now), shell_(settings.logDir) {}

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
