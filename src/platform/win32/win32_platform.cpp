#include "platform/win32/win32_platform.h"

namespace comp_mgr {

std::unique_ptr<ProcessPlatform> CreateProcessPlatform() {
    return std::make_unique<Win32Platform>();
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
