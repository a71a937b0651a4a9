// Shortcuts that put installation and plug-in records into a catalog the way
// the loader would, then set the run-time status bits a test needs.
#ifndef COMP_MGR_TESTS_SUPPORT_CATALOG_BUILDER_H
#define COMP_MGR_TESTS_SUPPORT_CATALOG_BUILDER_H

#include <cstdint>
#include <string>

#include "catalog/component_database.h"

namespace comp_mgr {
namespace testing_support {

// An installation record linking the comma-separated plug-in sections `links`.
inline CatalogEntry& AddInstallation(ComponentDatabase& db, const std::string& section, const std::string& location,
                                     const std::string& links, std::int32_t status = 0, double sdk = 1.0) {
    db.SetProperty(section, "ProgLocation", location);
    db.SetProperty(section, "PlugInLst_GrpName", links);
    CatalogEntry& entry = *db.Entry(section);
    entry.Status = status;
    entry.SdkVersion = sdk;
    return entry;
}

inline CatalogEntry& AddPlugIn(ComponentDatabase& db, const std::string& section, const std::string& location,
                               const std::string& displayName, std::int32_t status = 0, double sdk = 1.0) {
    db.SetProperty(section, "ProgLocation", location);
    db.SetProperty(section, "DisplayName", displayName);
    CatalogEntry& entry = *db.Entry(section);
    entry.Status = status;
    entry.SdkVersion = sdk;
    return entry;
}

}  // namespace testing_support
}  // namespace comp_mgr

#endif
