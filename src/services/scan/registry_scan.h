// The registry plug-in scan: every plug-in version announced under the IDE's
// category keys whose server file is present gets its catalog record, marked
// as found in this run and refreshed with the registry's descriptive values.
#ifndef COMP_MGR_SERVICES_SCAN_REGISTRY_SCAN_H
#define COMP_MGR_SERVICES_SCAN_REGISTRY_SCAN_H

#include <cstdint>
#include <string>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/records/records.h"
#include "services/repairs/startup_record.h"

namespace comp_mgr {

class RegistryScan {
public:
    RegistryScan(ComponentDatabase& database, const Platform& platform, Records& records)
        : db_(database), platform_(platform), records_(records) {}

    int ScanRegistryPlugins();
    void ScanCategoryKey(RegHandle categoryKey, std::uint32_t access, const std::string& scope);
    void ScanPluginKey(RegHandle pluginKey, std::uint32_t access, const std::string& scope, std::string& name);
    int ReadPluginVersion(RegHandle pluginKey, std::uint32_t access, const std::string& scope,
                          const std::string& version, std::string& name);
    int DeleteVersionKey(RegHandle pluginKey, const std::string& version);
    int ToShortPath(std::string& path);

    // Where the scan notes versions whose server is gone; null: nowhere.
    void RecordInto(StartupRecord* record) { record_ = record; }

private:
    ComponentDatabase& db_;
    const Platform& platform_;
    Records& records_;
    StartupRecord* record_ = nullptr;
};

}  // namespace comp_mgr

#endif
