#include "platform/hosted/hosted_loader.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstring>

#include "platform/hosted/host_file_io.h"
#include "support/win_path.h"

namespace comp_mgr {

LibraryHandle HostedLoader::Open(const std::string& windowsPath) {
    HostedMachine::Location loc;
    if (!machine_.Locate(windowsPath, &loc) || !loc.exists || loc.isDirectory) return nullptr;
    // dlopen would wait on a FIFO for a writer: only regular files are libraries.
    if (!host_io::IsRegularFile(loc.hostPath)) return nullptr;
    // A file that is not a loadable shared object fails here, as a damaged
    // DLL fails to load on Windows.
    return ::dlopen(loc.hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
}

LibraryHandle HostedLoader::Load(const std::string& path, bool) {
    if (path.empty()) return nullptr;
    const bool bare = path.find_first_of("\\/:") == std::string::npos;
    if (!bare) return Open(path);
    std::string name = path;
    if (name.find('.') == std::string::npos) name += ".dll";
    SplitPathParts exe = SplitPath(machine_.hostExe());
    const std::string folders[] = {exe.drive + exe.dir, "C:\\Windows\\System32\\"};
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        if (LibraryHandle handle = Open(folder + (IsPathSeparator(folder.back()) ? "" : "\\") + name)) return handle;
    }
    return nullptr;
}

namespace {
// What a dry run's servers answer to (un)registration: S_OK, with nothing done.
std::int32_t StandInRegistration() {
    return 0;
}
}  // namespace

void* HostedLoader::Symbol(LibraryHandle library, const char* name) {
    if (!library || !name) return nullptr;
    void* symbol = ::dlsym(library, name);
    if (symbol && standIn_ &&
        (std::strcmp(name, "DllRegisterServer") == 0 || std::strcmp(name, "DllUnregisterServer") == 0))
        return reinterpret_cast<void*>(&StandInRegistration);
    return symbol;
}

void HostedLoader::Free(LibraryHandle library) {
    if (library) ::dlclose(library);
}

}  // namespace comp_mgr
