// The component catalog: every installation and plug-in record of
// vnt_Compdb.ini, with the operations that load, save, query and change it.
//
// One class, implemented across files by concern:
//   catalog/component_database.cpp  data model, naming, SetProperty
//   catalog/database_load.cpp       locating, opening, loading, host check
//   catalog/install_entry_recovery.cpp  rebuilding from VNTInstallEntry.ini
//   catalog/display_path.cpp        display form of a program location
//   catalog/database_save.cpp       saving, section layout, VNTInstallEntry.ini
//   catalog/records.cpp             installation and plug-in records
//   catalog/queries.cpp             counts and look-ups
//   plugins/registry_scan.cpp       the registry plug-in scan
//   plugins/registration.cpp        server registration, preparation
//   plugins/linking.cpp             link rules
//   plugins/detection.cpp           new plug-in detection
//   plugins/startup_repairs.cpp     missing files, group reconciliation
//   plugins/exit_repairs.cpp        renumbering, unregistering all
#ifndef COMP_MGR_CATALOG_COMPONENT_DATABASE_H
#define COMP_MGR_CATALOG_COMPONENT_DATABASE_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "comp_mgr/bucket_map.h"
#include "comp_mgr/catalog_entry.h"
#include "comp_mgr/string_list.h"
#include "platform/platform.h"

namespace comp_mgr {

// Database flag bits.
constexpr std::uint32_t kFlagOpened = 0x02;
constexpr std::uint32_t kFlagLoaded = 0x04;
constexpr std::uint32_t kFlagWritten = 0x08;
constexpr std::uint32_t kFlagScanned = 0x10;
constexpr std::uint32_t kFlagPrepared = 0x20;
constexpr std::uint32_t kFlagModified = 0x80;
constexpr std::uint32_t kFlagEntriesRemoved = 0x100;
constexpr std::uint32_t kFlagRecordCreated = 0x200;
constexpr std::uint32_t kFlagGroupsReconciled = 0x400;
constexpr std::uint32_t kFlagLinksChanged = 0x800;
constexpr std::uint32_t kFlagChangeKinds = 0xF00;

// Entry status bits.
constexpr std::int32_t kStatusFoundOrCurrent = 0x01;
constexpr std::int32_t kStatusCreatedOrRelinked = 0x02;
constexpr std::int32_t kStatusNeverUnlink = 0x08;
constexpr std::int32_t kStatusRecordWriter = 0x10;

// Section kinds.
constexpr int kKindInstallation = 0;
constexpr int kKindPlugIn = 1;
constexpr int kKindOther = -1;

extern const char kInstallationPrefix[];  // "VntInstallation_"
extern const char kPlugInPrefix[];        // "PlugIn_"

// False when the display form of `location` cannot be vn_app or vn_app.exe,
// so that the host check need not ask the file system about it.
bool CouldNameHostProgram(const std::string& location);

// Appends the comma-separated items of `value` to `list`, each only if the
// list does not hold an identical string yet; true if anything was appended.
bool SplitIntoList(const std::string& value, StringList& list);

class PlugInLocationIndex;  // catalog/plug_in_location_index.h
struct LinkIndex;           // plugins/link_index.h
class LinkScope;            // plugins/link_index.h

class ComponentDatabase {
public:
    // Opens the database file named by the registry (no reading yet).
    explicit ComponentDatabase(const Platform& platform);
    ~ComponentDatabase();
    ComponentDatabase(const ComponentDatabase&) = delete;
    ComponentDatabase& operator=(const ComponentDatabase&) = delete;

    // ---- data model --------------------------------------------------------
    static int SectionKind(const std::string& name);
    void RegisterSectionName(const std::string& name);
    std::string MakeNewSectionName(int kind);
    int SetProperty(const std::string& section, const std::string& key, const std::string& value);
    void Clear();
    // The stored entry of a section, or null.
    CatalogEntry* Entry(const std::string& name) const;

    // ---- loading -----------------------------------------------------------
    void NotifyEngineOfHost();
    int LocateDatabaseFile();
    int OpenDatabaseFile();
    // Reads the opened file into the catalog; `pendingMessage` receives the
    // message for the user when the host's own installation had to be rebuilt.
    int Load(std::string* pendingMessage);
    std::string DisplayPath(const CatalogEntry& entry);
    static bool IsHostProgram(const std::string& path, const std::string& candidate);
    bool FindHostInstallation(const std::string& path);
    bool RecoverFromInstallEntry();

    // ---- saving ------------------------------------------------------------
    int Save();
    void WriteInstallEntry();
    void WriteSections(int maxNumber, const StringList& names, const std::string& prefix, std::string& out,
                       ContentSink& sink, bool onlyHostProgram);
    int WriteEntry(const CatalogEntry* entry, const std::string& sectionName, std::string& out);

    // ---- records -----------------------------------------------------------
    CatalogEntry* FindRecord(const std::string& location, double sdkValue, const std::string& displayName, int kind,
                             std::string* sectionName = nullptr);
    CatalogEntry* AddOrUpdateRecord(const std::string& location, const std::string& sdkText, const std::string& cpuText,
                                    const std::string& displayName, int kind, int update,
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

    // ---- queries -----------------------------------------------------------
    int CountByKind(int kind) const;
    int GetEntryByIndex(int kind, int index, std::string& name, CatalogEntry& entry) const;
    int FindCatalogEntry(const char* name, CatalogEntry** found) const;
    int GetEntryByKey(const char* name, CatalogEntry* entry) const;

    // ---- registry plug-in scan --------------------------------------------
    int ScanRegistryPlugins();
    void ScanCategoryKey(RegHandle categoryKey, std::uint32_t access, const std::string& scope);
    void ScanPluginKey(RegHandle pluginKey, std::uint32_t access, const std::string& scope, std::string& name);
    int ReadPluginVersion(RegHandle pluginKey, std::uint32_t access, const std::string& scope,
                          const std::string& version, std::string& name);
    int DeleteVersionKey(RegHandle pluginKey, const std::string& version);
    int ToShortPath(std::string& path);

    // ---- registration and preparation -------------------------------------
    void RegisterServer(const std::string& serverPath, int mode);
    int PrepareInstallation(const std::string& sectionName);

    // ---- linking and detection ----------------------------------------------
    int LinkPlugIn(const std::string& installationName, const std::string& plugInName, int mode, int force);
    int IsLinked(const std::string& installationName, const std::string& plugInName) const;
    bool UnlinkSameName(const std::string& installationName, const std::string& plugInName);
    bool UnlinkGroup(const std::string& installationName, const CatalogEntry& linked);
    int ReplaceByCpuFit(const std::string& installationName, const std::string& plugInName);
    void LinkAllPlugIns(const std::string& installationName);
    int MakeCurrentInstallation(CatalogEntry* entry);
    int DetectNewPlugIns(int mode);

    // ---- start-up and exit repairs -----------------------------------------
    int DropMissingFiles();
    void UnlinkAndSubstitute(const std::string& installationName, const std::string& plugInName);
    int ReconcileGroups();
    int RenumberSections();
    void UnregisterAllPlugIns();
    void ClearCurrentInstallation();

    // ---- state -------------------------------------------------------------
    std::uint32_t flags = 0;
    std::string iniPath;
    std::int32_t maxInstallationNumber = 0;
    std::int32_t maxPlugInNumber = 0;
    StringList installationNames;
    StringList plugInNames;
    StringList newPlugInNames;
    BucketMap<CatalogEntry> entries;

    const Platform& platform() const { return platform_; }

    // Forgets the look-up index of plug-in locations that FindRecord keeps.
    // Additions and removals in plugInNames are noticed by the index itself;
    // code that changes the ProgLocation of a stored plug-in other than
    // through SetProperty, or renames sections, must call this.
    void ForgetPlugInLocations();

private:
    friend class LinkScope;

    // SetProperty in two steps, so that a load resolves each section once:
    // the entry of a section (created and registered when new), and the
    // property applied to it.
    CatalogEntry& EntryForProperty(const std::string& section, bool* existed);
    void ApplyProperty(CatalogEntry& entry, bool existed, const std::string& section, int kind, const std::string& key,
                       const std::string& value);

    const Platform& platform_;
    // The database file's bytes, read when it is opened and parsed by Load().
    std::string fileContent_;
    // Display names the shell gave in this run, by absolute path, so that the
    // host check does not ask the file system the same question twice.
    std::unordered_map<std::string, std::string> displayNameCache_;
    // Plug-in sections by upper-cased ProgLocation, built on first need.
    std::shared_ptr<PlugInLocationIndex> plugInLocations_;
    // Group and display-name look-ups of the linking operation now running.
    LinkIndex* linkIndex_ = nullptr;
};

}  // namespace comp_mgr

#endif
