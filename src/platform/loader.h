// The loader port: dynamic libraries and their exports.
#ifndef COMP_MGR_PLATFORM_LOADER_H
#define COMP_MGR_PLATFORM_LOADER_H

#include <string>

namespace comp_mgr {

using LibraryHandle = void*;

class Loader {
public:
    virtual ~Loader() = default;

    // LoadLibraryA (or LoadLibraryExA with the altered search path) of a path
    // or bare name; null when it does not load.
    virtual LibraryHandle Load(const std::string& path, bool alteredSearchPath = false) = 0;
    virtual void* Symbol(LibraryHandle library, const char* name) = 0;
    virtual void Free(LibraryHandle library) = 0;
};

}  // namespace comp_mgr

#endif
