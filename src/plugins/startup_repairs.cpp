// Repairs made to the catalog at every start: records whose program file is
// gone are dropped (installations get a same-named substitute for a vanished
// plug-in), and plug-in group names are reconciled so that plug-ins sharing a
// library, or a group installed in one folder, are linked as one unit.
#include <string>

#include "catalog/component_database.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

const char kSharedLibraryGroupPrefix[] = "CERR: ";
const char kSplitMarker[] = "SPLIT: ";

// The base name of a group: a "SPLIT: " group is named by its bracketed part,
// and a folder suffix from an earlier start is cut off so that it is rebuilt
// the same way.
std::string GroupBaseName(std::string group) {
    if (group.find(kSplitMarker) != std::string::npos) {
        std::size_t open = group.find('<');
        std::size_t close = group.find('>');
        std::size_t start = open == std::string::npos ? 0 : open + 1;
        group = close == std::string::npos || close < start ? std::string() : group.substr(start, close - start);
    }
    std::size_t bracket = group.find('<');
    if (bracket != std::string::npos) group.erase(bracket);
    return Trim(group);
}

void ReplaceGroup(CatalogEntry& entry, const std::string& group) {
    entry.PlugInLst_GrpName.clear();
    SplitIntoList(group, entry.PlugInLst_GrpName);
    if (!EqualsNoCase(entry.GroupDescription, group)) entry.GroupDescription = group;
}

}  // namespace

int ComponentDatabase::DropMissingFiles() {
    if (!(flags & (kFlagLoaded | kFlagScanned))) return 0;
    int result = 0;
    for (auto it = entries.begin(); it != entries.end();) {
        const CatalogEntry* entry = &it.value();
        if (!entry->ProgLocation.empty() && platform_.files.CanOpen(entry->ProgLocation)) {
            ++it;
            continue;
        }
        result = 1;
        const std::string name = it.key();
        const int kind = SectionKind(name);
        if (kind == kKindInstallation) {
            installationNames.removeFirst(name);
        } else if (kind == kKindPlugIn) {
            for (const std::string& installation : installationNames) {
                const CatalogEntry* linker = Entry(installation);
                if (linker && linker->PlugInLst_GrpName.contains(name)) UnlinkAndSubstitute(installation, name);
            }
            plugInNames.removeFirst(name);
        }
        it = entries.erase(it);
        flags |= kFlagModified | kFlagEntriesRemoved;
    }
    return result;
}

void ComponentDatabase::UnlinkAndSubstitute(const std::string& installationName, const std::string& plugInName) {
    CatalogEntry* installation = Entry(installationName);
    const CatalogEntry* plugIn = Entry(plugInName);
    if (!installation || !plugIn) return;
    if (!installation->PlugInLst_GrpName.removeFirst(plugInName)) return;

    for (const std::string& candidate : plugInNames) {
        if (candidate == plugInName) continue;
        const CatalogEntry* substitute = Entry(candidate);
        if (!substitute || substitute->SdkVersion > installation->SdkVersion) continue;
        if (substitute->DisplayName != plugIn->DisplayName) continue;
        // A substitute the installation already links is not linked twice.
        installation->PlugInLst_GrpName.appendUnique(candidate);
        return;
    }
}

int ComponentDatabase::ReconcileGroups() {
    if (!(flags & (kFlagLoaded | kFlagScanned))) return 0;

    // Both maps iterate in the catalog's hash order, which decides the order
    // in which groups are formed.
    BucketMap<StringList> byLocation;
    BucketMap<StringList> byName;
    for (const std::string& name : plugInNames) {
        const CatalogEntry* entry = Entry(name);
        if (!entry) continue;
        if (!entry->PlugInLst_GrpName.empty()) {
            byName[entry->DisplayName].push_back(name);
        } else {
            byLocation[entry->ProgLocation].push_back(name);
        }
    }

    // Plug-ins without a group that share one library form a group named
    // after all of them.
    bool formed = false;
    for (const auto& shared : byLocation) {
        const StringList& names = shared.value();
        if (names.size() < 2) continue;
        std::string members;
        for (const std::string& name : names) {
            if (const CatalogEntry* entry = Entry(name)) members += "<" + entry->DisplayName + ">";
        }
        const std::string group = kSharedLibraryGroupPrefix + members;
        for (const std::string& name : names) {
            if (CatalogEntry* entry = Entry(name)) ReplaceGroup(*entry, group);
        }
        formed = true;
    }

    // A grouped plug-in's group is tied to the folder of its library, so that
    // copies of one group installed in different folders stay apart.
    for (const auto& sameName : byName) {
        for (const std::string& name : sameName.value()) {
            CatalogEntry* entry = Entry(name);
            if (!entry || entry->PlugInLst_GrpName.empty()) continue;
            const std::string base = GroupBaseName(entry->PlugInLst_GrpName.front());
            std::string folder = ToLower(DisplayPath(*entry));
            std::size_t slash = folder.rfind('\\');
            if (slash != std::string::npos && slash > 0) folder.erase(slash);
            ReplaceGroup(*entry, base + " <" + folder + ">");
        }
    }

    if (!formed) return 0;
    flags |= kFlagModified | kFlagGroupsReconciled;
    return 1;
}

}  // namespace comp_mgr
