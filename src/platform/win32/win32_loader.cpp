#include "platform/win32/win32_loader.h"

#include <cstring>

#include "platform/win32/windows_api.h"

namespace comp_mgr {
namespace {

// A damaged or missing library must fail quietly, without the system's
// "cannot load" dialog stopping an unattended host.
class QuietErrors {
public:
    QuietErrors() {
        if (!SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_)) {
            previous_ = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
            process_ = true;
        }
    }
    ~QuietErrors() {
        if (process_) {
            SetErrorMode(previous_);
        } else {
            SetThreadErrorMode(previous_, nullptr);
        }
    }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    DWORD previous_ = 0;
    bool process_ = false;
};

}  // namespace

LibraryHandle Win32Loader::Load(const std::string& path, bool alteredSearchPath) {
    if (path.empty()) return nullptr;
    QuietErrors quiet;
    HMODULE module = alteredSearchPath ? LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                       : LoadLibraryA(path.c_str());
    return reinterpret_cast<LibraryHandle>(module);
}

void* Win32Loader::Symbol(LibraryHandle library, const char* name) {
    if (!library || !name) return nullptr;
    FARPROC proc = GetProcAddress(static_cast<HMODULE>(library), name);
    // The port hands out addresses as void*; Windows keeps code and data
    // pointers the same size.
    void* address = nullptr;
    static_assert(sizeof address == sizeof proc, "code and data pointers differ in size");
    std::memcpy(&address, &proc, sizeof address);
    return address;
}

void Win32Loader::Free(LibraryHandle library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace comp_mgr
