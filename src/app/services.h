// The library's services, wired over one catalog and one platform. Each is
// given only what it works with; the order of the members is the order in
// which they depend on each other.
#ifndef COMP_MGR_APP_SERVICES_H
#define COMP_MGR_APP_SERVICES_H

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/detection/detection.h"
#include "services/linking/linker.h"
#include "services/records/records.h"
#include "services/registration/server_registration.h"
#include "services/repairs/exit_repairs.h"
#include "services/repairs/startup_repairs.h"
#include "services/scan/registry_scan.h"
#include "services/setup/compiler_version.h"
#include "services/setup/installation_setup.h"

namespace comp_mgr {

struct Services {
    Services(ComponentDatabase& database, const Platform& platform)
        : linker(database),
          registration(database, platform),
          detection(database, platform, linker, registration),
          records(database, platform, detection, linker),
          scan(database, platform, records),
          startupRepairs(database, platform),
          exitRepairs(database, platform, registration),
          setup(platform,
                [&platform](const std::string& path) { return CompilerFileVersion(platform.fileVersions, path); }) {}
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    Linker linker;
    ServerRegistration registration;
    NewPlugInDetection detection;
    Records records;
    RegistryScan scan;
    StartupRepairs startupRepairs;
    ExitRepairs exitRepairs;
    InstallationSetup setup;
};

}  // namespace comp_mgr

#endif
