// The Windows ports of the running process, and the module of the library.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_PLATFORM_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_PLATFORM_H

#include "platform/process_platform.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_events.h"
#include "platform/win32/win32_file_versions.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_loader.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_settings.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_ui.h"

namespace comp_mgr {

class Win32Platform : public ProcessPlatform {
public:
    explicit Win32Platform(const Win32Settings& settings);
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    const Platform& platform() override { return platform_; }

private:
    Win32Registry registry_;
    Win32Files files_;
    Win32Process process_;
    Win32Loader loader_;
    Win32Ui ui_;
    Win32Clock clock_;
    Win32FileVersions fileVersions_;
    Win32Com com_;
    Win32Shell shell_;
    Win32Events events_;
    Platform platform_{registry_, files_, process_, loader_, ui_, clock_, fileVersions_, com_, shell_, events_};
};

namespace win32 {

// The library's own module (its HINSTANCE), recorded when it is attached;
// null in a program that links the adapter directly.
void SetLibraryModule(void* module);
void* LibraryModule();

}  // namespace win32
}  // namespace comp_mgr

#endif
