// Loading libcomp_mgr.so runs the start-up and unloading it runs the exit
// hook, as DLL_PROCESS_ATTACH and DLL_PROCESS_DETACH do on Windows.
#include "shell/library.h"

namespace {

struct LibraryLifetime {
    LibraryLifetime() { comp_mgr::library::App(); }
    ~LibraryLifetime() { comp_mgr::library::Shutdown(); }
    LibraryLifetime(const LibraryLifetime&) = delete;
    LibraryLifetime& operator=(const LibraryLifetime&) = delete;
};

const LibraryLifetime lifetime;

}  // namespace
