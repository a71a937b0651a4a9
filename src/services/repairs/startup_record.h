// What the start-up of this run found and repaired before any export
// answered, kept so that a person can be told (the catalog check reports it).
#ifndef COMP_MGR_SERVICES_REPAIRS_STARTUP_RECORD_H
#define COMP_MGR_SERVICES_REPAIRS_STARTUP_RECORD_H

#include <string>
#include <vector>

namespace comp_mgr {

struct StartupRecord {
    // An entry dropped because its program file is gone.
    struct Dropped {
        std::string section, displayName, location;
    };
    // A same-named plug-in linked in place of a dropped one.
    struct Substitute {
        std::string installation, dropped, substitute;
    };
    // A plug-in version in the registry whose server file is gone.
    struct GoneServer {
        std::string plugIn, version, server;
        bool keyDeleted = false;  // the scan deleted the version's key
    };

    std::vector<Dropped> dropped;
    std::vector<Substitute> substitutes;
    std::vector<GoneServer> goneServers;
    // The message the load left for the user (a recovered installation).
    std::string loadMessage;

    void Clear() { *this = StartupRecord(); }
};

}  // namespace comp_mgr

#endif
