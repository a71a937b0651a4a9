// One catalog record: one section of vnt_Compdb.ini.
//
// Hosts receive copies of catalog entries by passing an entry of their own to
// bGetCatalogByNdx or bGetCatalogByKey; the library assigns the stored entry
// to it. Host and library must therefore be built from this same header with
// the same compiler and C++ runtime.
#ifndef COMP_MGR_CATALOG_ENTRY_H
#define COMP_MGR_CATALOG_ENTRY_H

#include <cstdint>
#include <string>

#include "comp_mgr/bucket_map.h"
#include "comp_mgr/string_list.h"

namespace comp_mgr {

class CatalogEntry {
public:
    CatalogEntry() = default;
    CatalogEntry(const CatalogEntry& other) { Assign(other); }
    CatalogEntry& operator=(const CatalogEntry& other) {
        Assign(other);
        return *this;
    }
    virtual ~CatalogEntry() = default;

    // Copy assignment as the catalog defines it: lists are copied in order and
    // the extra properties are re-inserted in the other map's iteration order.
    void Assign(const CatalogEntry& other) {
        if (this == &other) return;
        SdkVersion = other.SdkVersion;
        Status = other.Status;
        ProgLocation = other.ProgLocation;
        DisplayName = other.DisplayName;
        LastAccessDate = other.LastAccessDate;
        Sku = other.Sku;
        HelpFile = other.HelpFile;
        GroupDescription = other.GroupDescription;
        CpuSupport = other.CpuSupport;
        PlugInLst_GrpName = other.PlugInLst_GrpName;
        extraProperties.clear();
        for (const auto& p : other.extraProperties) extraProperties.set(p.key(), p.value());
    }

    // In a plug-in: processor families or scopes it supports.
    StringList CpuSupport;
    // In a plug-in: its group names. In an installation: the section names of
    // the plug-ins linked to it.
    StringList PlugInLst_GrpName;
    std::string ProgLocation;
    std::string DisplayName;
    std::string LastAccessDate;
    std::string Sku;
    std::string HelpFile;
    std::string GroupDescription;
    double SdkVersion = 1.0;
    std::int32_t Status = 0;
    // Every key without a field of its own (Registration, Family_InstDate, the
    // update advisor's settings, ...).
    BucketMap<std::string> extraProperties;
};

}  // namespace comp_mgr

#endif
