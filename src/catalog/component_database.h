// The component catalog: every installation and plug-in record of
// vnt_Compdb.ini, with what loads, saves, names, changes and answers
// questions about them. The services (registry scan, registration, linking,
// detection, repairs, records) work on it through this interface.
//
// Implemented across files by concern:
//   component_database.cpp     state, naming, SetProperty
//   database_load.cpp          locating, opening, loading, host check
//   install_entry_recovery.cpp rebuilding from VNTInstallEntry.ini
//   display_path.cpp           display form of a program location
//   database_save.cpp          saving, section layout, VNTInstallEntry.ini
//   save_guard.cpp             the save's lock, change check and status record
//   backup_guard.cpp           a damaged file kept aside, the backup kept
//   queries.cpp                counts and look-ups
#ifndef COMP_MGR_CATALOG_COMPONENT_DATABASE_H
#define COMP_MGR_CATALOG_COMPONENT_DATABASE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalog/catalog_terms.h"
#include "catalog/section_prints.h"
#include "comp_mgr/bucket_map.h"
#include "comp_mgr/catalog_entry.h"
#include "comp_mgr/string_list.h"
#include "platform/platform.h"

namespace comp_mgr {

class PlugInLocationIndex;  // catalog/plug_in_location_index.h

class ComponentDatabase {
public:
    // Nothing is read yet: LocateDatabaseFile and OpenDatabaseFile do that.
    explicit ComponentDatabase(const Platform& platform);
    ~ComponentDatabase();
    ComponentDatabase(const ComponentDatabase&) = delete;
    ComponentDatabase& operator=(const ComponentDatabase&) = delete;

    // ---- the database file ---------------------------------------------------
    int LocateDatabaseFile();
    int OpenDatabaseFile();
    // Reads the opened file into the catalog; `pendingMessage` receives the
    // message for the user when the host's own installation had to be rebuilt.
    int Load(std::string* pendingMessage);
    // Writes the catalog back if it was modified: 1 when written. A save
    // that fails says why in saveFailure(); one that found the file changed
    // by another program since it was read keeps that version aside and says
    // so in saveNotice(). Both are also kept in the status record beside the
    // catalog for the next load.
    int Save();
    const std::string& saveFailure() const { return saveFailure_; }
    const std::string& saveNotice() const { return saveNotice_; }
    // Not empty when the file held bytes but no section (backup_guard.cpp):
    // what the load found, and what the save did about it.
    const std::string& loadDamage() const { return loadDamage_; }
    const std::string& damageNotice() const { return damageNotice_; }
    // The comment lines every save writes first.
    static std::string_view SavedHeader();
    // The message the status record holds for the user is appended to
    // `pendingMessage` by Load; once the user saw it, the record goes.
    void ForgetRecordedEvents();
    void WriteInstallEntry();
    // The sections of one kind, in number order, into `out`, which goes to
    // `sink` whenever it holds a piece; and the properties of one section.
    void WriteSections(int maxNumber, const StringList& names, const std::string& prefix, std::string& out,
                       ContentSink& sink, bool onlyHostProgram);
    int WriteEntry(const CatalogEntry* entry, const std::string& sectionName, std::string& out);

    // ---- data model ----------------------------------------------------------
    static int SectionKind(const std::string& name);
    void RegisterSectionName(const std::string& name);
    std::string MakeNewSectionName(int kind);
    int SetProperty(const std::string& section, const std::string& key, const std::string& value);
    void Clear();
    // The stored entry of a section, or null.
    CatalogEntry* Entry(const std::string& name) const;

    // ---- the host program ----------------------------------------------------
    std::string DisplayPath(const CatalogEntry& entry);
    // DisplayPath cut before its last backslash (when that is past the first
    // character), without asking the shell about the last name.
    std::string DisplayFolder(const CatalogEntry& entry);
    static bool IsHostProgram(const std::string& path, const std::string& candidate);
    bool FindHostInstallation(const std::string& path);
    bool RecoverFromInstallEntry();

    // ---- queries -------------------------------------------------------------
    int CountByKind(int kind) const;
    int GetEntryByIndex(int kind, int index, std::string& name, CatalogEntry& entry) const;
    int FindCatalogEntry(const char* name, CatalogEntry** found) const;
    int GetEntryByKey(const char* name, CatalogEntry* entry) const;
    // The folders (drive and directory, with its trailing backslash) of every
    // installation, then every plug-in, whose Sku lists `sku`, once per
    // listing, joined by "|"; false when there is none.
    bool FindInstallationsForSku(const std::string& sku, std::string& text) const;
    // The plug-in sections whose entry had this location (compared without
    // regard to case) when last indexed, in plugInNames order; callers check
    // each against its entry.
    const std::vector<std::string>& PlugInsAt(const std::string& location);

    // ---- state ---------------------------------------------------------------
    std::uint32_t flags() const { return flags_; }
    const std::string& iniPath() const { return iniPath_; }
    // A name not yet taken for a copy of the catalog file kept beside it:
    // vnt_Compdb.<infix>YYYYMMDD-HHMMSS.ini at this time, "-2", "-3", ... before
    // ".ini" when that is taken.
    std::string FreeCopyName(const std::string& infix) const;
    std::int32_t maxInstallationNumber() const { return maxInstallationNumber_; }
    std::int32_t maxPlugInNumber() const { return maxPlugInNumber_; }
    const StringList& installationNames() const { return installationNames_; }
    const StringList& plugInNames() const { return plugInNames_; }
    const StringList& newPlugInNames() const { return newPlugInNames_; }
    const BucketMap<CatalogEntry>& entries() const { return entries_; }
    const Platform& platform() const { return platform_; }

    // ---- changes the services make -----------------------------------------
    void SetFlags(std::uint32_t bits) { flags_ |= bits; }
    void ClearFlags(std::uint32_t bits) { flags_ &= ~bits; }
    // The modified bit and the kind-of-change bits `changes`.
    void MarkModified(std::uint32_t changes = 0) { flags_ |= kFlagModified | changes; }

    void AddNewPlugIn(const std::string& name) { newPlugInNames_.appendUnique(name); }
    void ClearNewPlugIns() { newPlugInNames_.clear(); }
    // The new plug-ins become exactly `names` (the user's answer splits them).
    void ReplaceNewPlugIns(const StringList& names) { newPlugInNames_ = names; }

    // Takes a section out of the catalog: its entry and its place in the
    // names of its kind.
    void RemoveSection(const std::string& name);
    // RemoveSection for many sections (distinct names): each entry goes at
    // once, their places in the names of their kind in one pass at the end
    // (EndRemovingSections); in between, the names lists still hold them.
    void RemoveSectionEntry(const std::string& name);
    void EndRemovingSections();
    // Gives the section at `position` of the names of `kind` a new name.
    void RenameSection(int kind, std::size_t position, const std::string& newName);
    // After renumbering: the highest number in use of that kind.
    void SetMaxNumber(int kind, std::int32_t number);

    // Forgets the look-up index of plug-in locations behind PlugInsAt.
    // Additions and removals in plugInNames are noticed by the index itself;
    // code that changes the ProgLocation of a stored plug-in other than
    // through SetProperty must call this.
    void ForgetPlugInLocations();

private:
    static std::uint64_t ContentHash(std::string_view content);
    std::string StatusRecordPath() const;
    std::unique_ptr<FileLock> LockForSave();
    // Section fingerprints of a file's text: by hash of the section name, a
    // hash of the section's property lines as read.
    static SectionPrints FingerprintSections(std::string_view content);
    // The fingerprint of a section as this run would write it.
    std::uint64_t SectionPrint(const std::string& name);
    // Takes into this run's catalog the sections another program changed,
    // added or removed in `current` since the load; false (nothing taken)
    // when both changed one section, or both recorded one program.
    bool MergeOthersChanges(const std::string& current);
    // False (with saveFailure_) when the file changed since it was read in a
    // way that cannot be merged, and that version could not be kept aside.
    bool KeepAsideIfChanged(std::string* backupPath);
    // The file the save replaces holds no section: a damaged one is kept
    // aside, and `backupPath` is cleared when the backup must stay. False
    // (with saveFailure_) when the damaged file could not be kept aside.
    bool GuardBackup(const std::string& current, std::string* backupPath);
    // After a load that read no section: what was wrong with the file.
    void NoteDamagedLoad(const std::string& content);
    void RecordForNextLoad();
    void TellRecordedEvents(std::string* pendingMessage);
    std::string DisplayForm(const CatalogEntry& entry, bool withName);

    // Reads and parses the database file piece by piece into the catalog;
    // false when it cannot be read, and then ForgetReadCatalog undoes a part
    // read.
    bool ReadCatalog();
    void ForgetReadCatalog();
    // SetProperty in two steps, so that a load resolves each section once:
    // the entry of a section (created and registered when new), and the
    // property applied to it.
    CatalogEntry& EntryForProperty(const std::string& section, bool* existed);
    void ApplyProperty(CatalogEntry& entry, bool existed, const std::string& section, int kind, std::string_view key,
                       std::string_view value);

    const Platform& platform_;
    std::uint32_t flags_ = 0;
    std::unordered_set<std::string> removedInstallations_;  // by RemoveSectionEntry
    std::unordered_set<std::string> removedPlugIns_;
    std::string iniPath_;
    std::int32_t maxInstallationNumber_ = 0;
    std::int32_t maxPlugInNumber_ = 0;
    // Where the search for a free number starts once the numbers above the
    // highest are used up.
    std::int32_t lowestFreeInstallationNumber_ = 1;
    std::int32_t lowestFreePlugInNumber_ = 1;
    StringList installationNames_;
    StringList plugInNames_;
    StringList newPlugInNames_;
    BucketMap<CatalogEntry> entries_;

    // The file's text up to its first section, read when it is opened (all
    // of it when it holds none): what tells a damaged file from an empty one.
    std::string textBeforeSections_;
    // What the file held when it was read (or last written by this process),
    // to notice another program's save in between.
    bool loadedFile_ = false;
    std::uint64_t loadedSize_ = 0;
    std::uint64_t loadedHash_ = 0;
    bool loadedSectionsKnown_ = false;
    SectionPrints loadedSections_;
    std::string saveFailure_;
    std::string saveNotice_;
    bool loadedNoSection_ = false;
    std::string loadDamage_;
    std::string damageNotice_;
    // Display names the shell gave in this run, by absolute path, so that the
    // host check does not ask the file system the same question twice.
    std::unordered_map<std::string, std::string> displayNameCache_;
    // The display form of each folder made from them, by absolute folder
    // with its last separator; `folderKey_` is the look-up's key, reused.
    std::unordered_map<std::string, std::string> displayFolderCache_;
    std::string folderKey_;
    // Plug-in sections by upper-cased ProgLocation, built on first need.
    std::unique_ptr<PlugInLocationIndex> plugInLocations_;
};

}  // namespace comp_mgr

#endif
