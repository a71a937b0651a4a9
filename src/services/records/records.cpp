#include "services/records/records.h"

#include <string>

#include "catalog/comma_list.h"
#include "platform/events.h"
#include "services/records/time_stamp.h"
#include "support/event_line.h"
#include "support/text.h"

namespace comp_mgr {

namespace {
std::string Stamp(const Platform& platform, const char* prefix) {
    return FormatTimeStamp(prefix, platform.clock.Now());
}
}  // namespace

CatalogEntry* Records::FindRecord(const std::string& location, double sdkValue, const std::string& displayName,
                                  int kind, std::string* sectionName) {
    if (sectionName) sectionName->clear();
    if (kind == kKindInstallation) {
        for (const std::string& name : db_.installationNames()) {
            CatalogEntry* entry = db_.Entry(name);
            if (entry && EqualsNoCase(entry->ProgLocation, location)) {
                if (sectionName) *sectionName = name;
                return entry;
            }
        }
        return nullptr;
    }
    if (kind != kKindPlugIn) return nullptr;
    for (const std::string& name : db_.PlugInsAt(location)) {
        CatalogEntry* entry = db_.Entry(name);
        if (entry && EqualsNoCase(entry->ProgLocation, location) && EqualsNoCase(entry->DisplayName, displayName) &&
            entry->SdkVersion == sdkValue) {
            if (sectionName) *sectionName = name;
            return entry;
        }
    }
    return nullptr;
}

CatalogEntry* Records::AddOrUpdateRecord(const std::string& location, const std::string& sdkText,
                                         const std::string& cpuText, const std::string& displayName, int kind,
                                         FoundRecord found, const std::string& registration) {
    if (kind != kKindInstallation && kind != kKindPlugIn) return nullptr;
    const double version = AtoF(sdkText);
    if (!(version > 0) || cpuText.empty() || location.empty()) return nullptr;
    if (kind == kKindPlugIn && displayName.empty()) return nullptr;

    if (CatalogEntry* record = FindRecord(location, version, displayName, kind)) {
        if (found == FoundRecord::kUpdate && UpdateRecord(*record, location, displayName, sdkText, cpuText) == 1)
            db_.MarkModified(kFlagLinksChanged);
        return record;
    }

    const std::string stamp = Stamp(platform_, kInstalledStamp);
    const std::string name = db_.MakeNewSectionName(kind);
    db_.SetProperty(name, "ProgLocation", location);
    db_.SetProperty(name, "DisplayName", displayName);
    db_.SetProperty(name, "LastAccessDate", stamp);
    db_.SetProperty(name, "SdkVersion", sdkText);
    db_.SetProperty(name, "CpuSupport", cpuText);
    db_.SetProperty(name, "Sku", std::string());
    db_.SetProperty(name, "HelpFile", std::string());
    db_.SetProperty(name, "GroupDescription", std::string());
    CatalogEntry* entry = db_.Entry(name);
    entry->Status |= kStatusRecordWriter;
    if (kind == kKindPlugIn) {
        db_.AddNewPlugIn(name);
        entry->Status |= kStatusCreatedOrRelinked;
        // Stored directly: SetProperty would clear the bit just set.
        entry->extraProperties.set("Family_InstDate", displayName);
    } else {
        const std::string* current = entry->extraProperties.find("Registration");
        std::string merged = current ? *current : std::string();
        TokenListAppend(merged, registration);
        entry->extraProperties.set("Registration", merged);
    }
    db_.MarkModified(kFlagRecordCreated);
    Tell(platform_.events, event_kind::kAdded, name, [&] { return location; });
    return entry;
}

int Records::UpdateRecord(CatalogEntry& entry, const std::string& location, const std::string& displayName,
                          const std::string& sdkText, const std::string& cpuText) {
    if (location.empty() || AtoF(sdkText) == 0) return 0;
    bool changed = false;
    if (!EqualsNoCase(entry.ProgLocation, location)) {
        entry.ProgLocation = location;
        db_.ForgetPlugInLocations();
        changed = true;
    }
    if (!EqualsNoCase(entry.DisplayName, displayName)) {
        entry.DisplayName = displayName;
        changed = true;
    }
    const double version = AtoF(sdkText);
    if (version > 1.0 && version != entry.SdkVersion) {
        entry.SdkVersion = version;
        changed = true;
    }
    if (!entry.CpuSupport.contains(cpuText)) {
        if (cpuText.find('*') != std::string::npos) {
            entry.CpuSupport.clear();
            if (SplitIntoList(cpuText, entry.CpuSupport)) changed = true;
        } else if (!cpuText.empty()) {
            if (SplitIntoList(cpuText, entry.CpuSupport)) changed = true;
        }
    }
    if (!changed) return 0;
    const std::string stamp = Stamp(platform_, kUpdatedStamp);
    if (!EqualsNoCase(entry.LastAccessDate, stamp)) entry.LastAccessDate = stamp;
    return 1;
}

CatalogEntry* Records::FindPlugInRecord(const std::string& location, const std::string& sdkText,
                                        const std::string& cpuText, const std::string& displayName) {
    return AddOrUpdateRecord(location, sdkText, cpuText, displayName, kKindPlugIn, FoundRecord::kUpdate, std::string());
}

int Records::InstallProduct(const char* location, const char* sdkText, const char* cpuText, const char* skuText,
                            const char* displayName, const char* folder, const char* registration) {
    if (!location || !sdkText || !cpuText || !skuText) {
        detection_.DetectNewPlugIns(DetectionMode::kLink);
        return 0;
    }
    // The folder is accepted for the callers' sake and plays no part.
    (void)folder;
    const std::string path = CollapseDoubleBackslashes(location);
    const std::string registrationText = ArgText(registration);
    CatalogEntry* entry = AddOrUpdateRecord(path, sdkText, cpuText, ArgText(displayName), kKindInstallation,
                                            FoundRecord::kUpdate, registrationText);
    if (entry) {
        const std::string sku = skuText;
        if (!sku.empty()) {
            const std::string merged = MergeCommaTexts(entry->Sku, sku);
            db_.MarkModified();
            if (!EqualsNoCase(entry->Sku, merged)) entry->Sku = merged;
        }
        if (!registrationText.empty()) {
            const std::string* current = entry->extraProperties.find("Registration");
            const std::string merged =
                MergeCommaTexts(NormaliseCommaText(current ? *current : std::string()), registrationText);
            db_.MarkModified();
            entry->extraProperties.set("Registration", merged);
        }
    }
    detection_.DetectNewPlugIns(DetectionMode::kLink);
    return entry ? linker_.MakeCurrentInstallation(entry) : 0;
}

int Records::ReplaceSkuToken(const char* location, const char* sdkText, const char* oldToken, const char* newToken,
                             const char* displayName) {
    if (!oldToken || !newToken) return 0;
    CatalogEntry* entry = FindInstallationKey(location, sdkText, nullptr);
    if (!entry) return 0;
    const std::string oldItem = oldToken;
    const std::string newItem = newToken;
    if (oldItem == newItem) return 0;
    std::string sku = entry->Sku;
    if (sku.empty() || oldItem.empty() || newItem.empty() || sku.size() < oldItem.size()) return 0;
    sku = NormaliseCommaText(sku);
    const std::size_t at = sku.find(oldItem);
    if (at == std::string::npos) return 0;
    sku = NormaliseCommaText(sku.substr(0, at) + newItem + sku.substr(at + oldItem.size()));
    if (EqualsNoCase(entry->Sku, sku)) return 0;
    entry->Sku = sku;

    const double version = AtoF(sdkText);
    if (version > 1.0 && version != entry->SdkVersion) entry->SdkVersion = version;
    detection_.DetectNewPlugIns(DetectionMode::kLink);
    db_.MarkModified(kFlagLinksChanged);
    if (displayName && *displayName && !EqualsNoCase(entry->DisplayName, displayName)) entry->DisplayName = displayName;
    const std::string stamp = Stamp(platform_, kUpdatedStamp);
    if (!EqualsNoCase(entry->LastAccessDate, stamp)) entry->LastAccessDate = stamp;
    // The Sku was replaced: that is a success even when a change earlier in
    // the same second already left this very stamp.
    return 1;
}

CatalogEntry* Records::FindInstallationKey(const char* location, const char* sdkText, std::string* sectionName) {
    if (sectionName) sectionName->clear();
    if (!location || !sdkText) return nullptr;
    const double version = AtoF(sdkText);
    if (!(version > 0)) return nullptr;
    return FindRecord(CollapseDoubleBackslashes(location), version, std::string(), kKindInstallation, sectionName);
}

}  // namespace comp_mgr
