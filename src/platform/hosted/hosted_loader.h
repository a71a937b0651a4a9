// The Loader port on the hosted machine: plug-in servers are ELF shared
// objects under the machine root, loaded with dlopen.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_LOADER_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_LOADER_H

#include "platform/hosted/hosted_machine.h"
#include "platform/loader.h"

namespace comp_mgr {

class HostedLoader : public Loader {
public:
    // `standInForRegistration`: a dry run's loader, which answers the
    // registration entry points of a server with a stand-in that calls nothing.
    HostedLoader(const HostedMachine& machine, bool standInForRegistration)
        : machine_(machine), standIn_(standInForRegistration) {}

    // A path is mapped under the root; a bare name ("VntCoreComponentEngine.dll",
    // ".dll" added when there is no extension) is looked for in the folder of
    // the main executable, then in C:\Windows\System32.
    LibraryHandle Load(const std::string& path, bool alteredSearchPath = false) override;
    void* Symbol(LibraryHandle library, const char* name) override;
    void Free(LibraryHandle library) override;

private:
    LibraryHandle Open(const std::string& windowsPath);

    const HostedMachine& machine_;
    bool standIn_;
};

}  // namespace comp_mgr

#endif
