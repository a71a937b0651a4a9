// Repairs made to the catalog at every start: records whose program file is
// gone are dropped (installations get a same-named substitute for a vanished
// plug-in), and plug-in group names are reconciled so that plug-ins sharing a
// library, or a group installed in one folder, are linked as one unit.
#ifndef COMP_MGR_SERVICES_REPAIRS_STARTUP_REPAIRS_H
#define COMP_MGR_SERVICES_REPAIRS_STARTUP_REPAIRS_H

#include <string>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/repairs/startup_record.h"

namespace comp_mgr {

class StartupRepairs {
public:
    StartupRepairs(ComponentDatabase& database, const Platform& platform) : db_(database), platform_(platform) {}

    int DropMissingFiles();
    void UnlinkAndSubstitute(const std::string& installationName, const std::string& plugInName);
    int ReconcileGroups();

    // Where the drop notes what it did; null: nowhere.
    void RecordInto(StartupRecord* record) { record_ = record; }

private:
    ComponentDatabase& db_;
    const Platform& platform_;
    StartupRecord* record_ = nullptr;
};

}  // namespace comp_mgr

#endif
