// COM self-registration of plug-in servers, and the preparation that makes an
// installation the current one: its plug-ins' servers registered, the others'
// unregistered, the obsolete folder swept.
#ifndef COMP_MGR_SERVICES_REGISTRATION_SERVER_REGISTRATION_H
#define COMP_MGR_SERVICES_REGISTRATION_SERVER_REGISTRATION_H

#include <string>

#include "catalog/component_database.h"
#include "platform/platform.h"

namespace comp_mgr {

// Which of a server's two self-registration exports is called.
enum class ServerAction {
    kUnregister,  // DllUnregisterServer
    kRegister,    // DllRegisterServer
};

class ServerRegistration {
public:
    ServerRegistration(ComponentDatabase& database, const Platform& platform) : db_(database), platform_(platform) {}

    // Loads the server from its own folder (made the current directory) and
    // calls the export; a server that does not load or lacks it is skipped.
    void RegisterServer(const std::string& serverPath, ServerAction action);
    int PrepareInstallation(const std::string& sectionName);

private:
    ComponentDatabase& db_;
    const Platform& platform_;
};

}  // namespace comp_mgr

#endif
