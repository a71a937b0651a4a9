// Work at the end of a run: closing the gaps in section numbers before the
// save, and unregistering every plug-in server found in this run.
#ifndef COMP_MGR_SERVICES_REPAIRS_EXIT_REPAIRS_H
#define COMP_MGR_SERVICES_REPAIRS_EXIT_REPAIRS_H

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/registration/server_registration.h"

namespace comp_mgr {

class ExitRepairs {
public:
    ExitRepairs(ComponentDatabase& database, const Platform& platform, ServerRegistration& registration)
        : db_(database), platform_(platform), registration_(registration) {}

    int RenumberSections();
    void UnregisterAllPlugIns();
    void ClearCurrentInstallation();

private:
    ComponentDatabase& db_;
    const Platform& platform_;
    ServerRegistration& registration_;
};

}  // namespace comp_mgr

#endif
