// Attaching and detaching comp_mgr.dll.
//
// DllMain runs under the loader lock, where loading libraries, COM, the
// registry and message boxes are forbidden (Wine even hangs on some). So the
// attach only records the module: the start-up (reading the catalog, the
// registry scan, the engine) runs on the first export call. The detach runs
// the exit hook, which only does memory and file work, and only if the
// start-up ran.
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"
#include "shell/library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            comp_mgr::win32::SetLibraryModule(instance);
            DisableThreadLibraryCalls(instance);
            break;
        case DLL_PROCESS_DETACH:
            // Also when the process ends without freeing the library: a host
            // that simply exits still gets its catalog saved.
            comp_mgr::library::Shutdown();
            break;
        default:
            break;
    }
    return TRUE;
}
