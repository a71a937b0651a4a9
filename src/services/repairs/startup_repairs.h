// Repairs made to the catalog at every start: records whose program file is
// gone are dropped (installations get a same-named substitute for a vanished
// plug-in), and plug-in group names are reconciled so that plug-ins sharing a
// library, or a group installed in one folder, are linked as one unit.
#ifndef COMP_MGR_SERVICES_REPAIRS_STARTUP_REPAIRS_H
#define COMP_MGR_SERVICES_REPAIRS_STARTUP_REPAIRS_H

#include <string>

#include "catalog/component_database.h"
#include "platform/platform.h"

namespace comp_mgr {

class StartupRepairs {
public:
    StartupRepairs(ComponentDatabase& database, const Platform& platform) : db_(database), platform_(platform) {}

    int DropMissingFiles();
    void UnlinkAndSubstitute(const std::string& installationName, const std::string& plugInName);
    int ReconcileGroups();

private:
    ComponentDatabase& db_;
    const Platform& platform_;
};

}  // namespace comp_mgr

#endif
