// A loader for tests: "libraries" are tables of functions registered under a
// path; every load, look-up and unload is recorded.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_LOADER_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_LOADER_H

#include <map>
#include <string>
#include <vector>

#include "platform/loader.h"

namespace comp_mgr {

class MemoryLoader : public Loader {
public:
    // Makes `path` loadable with the given exports.
    void AddLibrary(const std::string& path, std::map<std::string, void*> exports);

    LibraryHandle Load(const std::string& path, bool alteredSearchPath) override;
    void* Symbol(LibraryHandle library, const char* name) override;
    void Free(LibraryHandle library) override;

    std::vector<std::string> loads;  // every path asked for, loaded or not
    int openCount = 0;               // libraries loaded and not yet freed

private:
    struct Library {
        std::map<std::string, void*> exports;
    };
    std::map<std::string, Library> libraries_;  // by upper-cased path
};

}  // namespace comp_mgr

#endif
