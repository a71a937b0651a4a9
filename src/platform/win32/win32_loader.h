// The loader port on LoadLibrary and GetProcAddress.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_LOADER_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_LOADER_H

#include "platform/loader.h"

namespace comp_mgr {

class Win32Loader : public Loader {
public:
    LibraryHandle Load(const std::string& path, bool alteredSearchPath = false) override;
    void* Symbol(LibraryHandle library, const char* name) override;
    void Free(LibraryHandle library) override;
};

}  // namespace comp_mgr

#endif
