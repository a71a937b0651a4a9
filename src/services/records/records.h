// Installation and plug-in records: finding, creating and refreshing them on
// behalf of installers and of the registry scan.
#ifndef COMP_MGR_SERVICES_RECORDS_RECORDS_H
#define COMP_MGR_SERVICES_RECORDS_RECORDS_H

#include <string>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/detection/detection.h"
#include "services/linking/linker.h"

namespace comp_mgr {

// What AddOrUpdateRecord does with a record it finds.
enum class FoundRecord : int {
    kLeave = 0,   // hand it back as it is
    kUpdate = 1,  // refresh it from the arguments (UpdateRecord)
};

class Records {
public:
    Records(ComponentDatabase& database, const Platform& platform, NewPlugInDetection& detection, Linker& linker)
        : db_(database), platform_(platform), detection_(detection), linker_(linker) {}

    CatalogEntry* FindRecord(const std::string& location, double sdkValue, const std::string& displayName, int kind,
                             std::string* sectionName = nullptr);
    CatalogEntry* AddOrUpdateRecord(const std::string& location, const std::string& sdkText, const std::string& cpuText,
                                    const std::string& displayName, int kind, FoundRecord found,
                                    const std::string& registration);
    int UpdateRecord(CatalogEntry& entry, const std::string& location, const std::string& displayName,
                     const std::string& sdkText, const std::string& cpuText);
    CatalogEntry* FindPlugInRecord(const std::string& location, const std::string& sdkText, const std::string& cpuText,
                                   const std::string& displayName);
    // Null pointers stand for absent arguments where the rules tell them apart.
    int InstallProduct(const char* location, const char* sdkText, const char* cpuText, const char* skuText,
                       const char* displayName, const char* folder, const char* registration);
    int ReplaceSkuToken(const char* location, const char* sdkText, const char* oldToken, const char* newToken,
                        const char* displayName);
    CatalogEntry* FindInstallationKey(const char* location, const char* sdkText, std::string* sectionName);

private:
    ComponentDatabase& db_;
    const Platform& platform_;
    NewPlugInDetection& detection_;
    Linker& linker_;
};

}  // namespace comp_mgr

#endif
