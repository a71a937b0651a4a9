// The catalog's data model: section naming and numbering, and SetProperty,
// through which every property text enters the catalog.
#include "catalog/component_database.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "catalog/comma_list.h"
#include "catalog/plug_in_location_index.h"
#include "support/text.h"

namespace comp_mgr {

const char kInstallationPrefix[] = "VntInstallation_";
const char kPlugInPrefix[] = "PlugIn_";
const char kMessageCaption[] = "comp_mgr";

namespace {
constexpr std::size_t kInstallationPrefixLength = sizeof(kInstallationPrefix) - 1;
constexpr std::size_t kPlugInPrefixLength = sizeof(kPlugInPrefix) - 1;
}  // namespace

ComponentDatabase::ComponentDatabase(const Platform& platform) : platform_(platform) {}

ComponentDatabase::~ComponentDatabase() {
    Clear();
}

int ComponentDatabase::SectionKind(const std::string& name) {
    if (name.compare(0, kInstallationPrefixLength, kInstallationPrefix) == 0 &&
        name.size() >= kInstallationPrefixLength)
        return kKindInstallation;
    if (name.compare(0, kPlugInPrefixLength, kPlugInPrefix) == 0 && name.size() >= kPlugInPrefixLength)
        return kKindPlugIn;
    return kKindOther;
}

void ComponentDatabase::RegisterSectionName(const std::string& name) {
    int kind = SectionKind(name);
    if (kind == kKindInstallation) {
        if (installationNames_.appendUnique(name)) {
            std::int32_t n = AtoI(std::string_view(name).substr(kInstallationPrefixLength));
            if (n > maxInstallationNumber_) maxInstallationNumber_ = n;
        }
    } else if (kind == kKindPlugIn) {
        if (plugInNames_.appendUnique(name)) {
            std::int32_t n = AtoI(std::string_view(name).substr(kPlugInPrefixLength));
            if (n > maxPlugInNumber_) maxPlugInNumber_ = n;
        }
    }
}

std::string ComponentDatabase::MakeNewSectionName(int kind) {
    constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
    const bool installation = kind == kKindInstallation;
    std::int32_t& max = installation ? maxInstallationNumber_ : maxPlugInNumber_;
    const char* prefix = installation ? kInstallationPrefix : kPlugInPrefix;
    // Never a name already taken, so that two records cannot share a section.
    std::string name;
    for (std::int64_t next = static_cast<std::int64_t>(max) + 1; next <= kLargest; ++next) {
        name = prefix + FormatInt(next);
        if (!entries_.contains(name)) {
            max = static_cast<std::int32_t>(next);
            return name;
        }
    }
    // No number above the highest is left that the file can hold (a section
    // numbered 2147483647 was loaded): the lowest free number is taken
    // instead, so the record is saved and found again at the next start.
    std::int32_t& lowest = installation ? lowestFreeInstallationNumber_ : lowestFreePlugInNumber_;
    for (; lowest < kLargest; ++lowest) {
        name = prefix + FormatInt(lowest);
        if (!entries_.contains(name)) return name;
    }
    // Every number has a section; nothing the file can hold is left.
    throw std::length_error("no section number left");
}

CatalogEntry* ComponentDatabase::Entry(const std::string& name) const {
    // The catalog hands out its entries for change also through a const look-up.
    return const_cast<CatalogEntry*>(entries_.find(name));
}

namespace {
void ReplaceUnlessSameIgnoringCase(std::string& field, std::string_view value) {
    if (!EqualsNoCase(field, value)) field.assign(value.data(), value.size());
}
}  // namespace

int ComponentDatabase::SetProperty(const std::string& section, const std::string& key, const std::string& value) {
    bool existed = false;
    CatalogEntry& entry = EntryForProperty(section, &existed);
    ApplyProperty(entry, existed, section, SectionKind(section), key, value);
    return 1;
}

CatalogEntry& ComponentDatabase::EntryForProperty(const std::string& section, bool* existed) {
    // One look-up: a new section is the one that makes the map grow.
    const std::size_t before = entries_.size();
    CatalogEntry& entry = entries_[section];
    *existed = entries_.size() == before;
    if (!*existed) RegisterSectionName(section);
    return entry;
}

void ComponentDatabase::ApplyProperty(CatalogEntry& target, bool existed, const std::string& section, int kind,
                                      std::string_view name, std::string_view value) {
    CatalogEntry* entry = &target;
    // Views, compared as views: a load applies every line of the file here,
    // straight from the file's text.
    if (name == "ProgLocation") {
        if (existed && kind == kKindPlugIn && !EqualsNoCase(entry->ProgLocation, value)) ForgetPlugInLocations();
        ReplaceUnlessSameIgnoringCase(entry->ProgLocation, value);
    } else if (name == "LastAccessDate") {
        ReplaceUnlessSameIgnoringCase(entry->LastAccessDate, value);
    } else if (name == "DisplayName") {
        ReplaceUnlessSameIgnoringCase(entry->DisplayName, value);
    } else if (name == "Sku") {
        ReplaceUnlessSameIgnoringCase(entry->Sku, value);
    } else if (name == "HelpFile") {
        ReplaceUnlessSameIgnoringCase(entry->HelpFile, value);
    } else if (name == "GroupDescription") {
        ReplaceUnlessSameIgnoringCase(entry->GroupDescription, value);
    } else if (name == "SdkVersion") {
        double v = AtoF(value);
        if (v > 1.0 && v != entry->SdkVersion) entry->SdkVersion = v;
    } else if (name == "Status") {
        entry->Status = AtoI(value);
    } else if (name == "Registration") {
        entry->extraProperties.set("Registration", std::string(value));
    } else if (name == "CpuSupport") {
        if (!value.empty()) SplitIntoList(value, entry->CpuSupport);
    } else if (name == "PlugInLst_GrpName") {
        if (!value.empty()) SplitIntoList(value, entry->PlugInLst_GrpName);
    } else if (name == "Family_InstDate") {
        if (kind == kKindInstallation) {
            if (entry->DisplayName.empty()) entry->DisplayName = section;
            if (entry->LastAccessDate.empty()) entry->LastAccessDate.assign(value.data(), value.size());
        } else if (kind == kKindPlugIn) {
            if (entry->DisplayName.empty()) entry->DisplayName.assign(value.data(), value.size());
        }
        entry->extraProperties.set("Family_InstDate", std::string(value));
    } else {
        entry->extraProperties.set(std::string(name), std::string(value));
    }

    if (kind == kKindPlugIn) entry->Status &= ~(kStatusFoundOrCurrent | kStatusCreatedOrRelinked);
    entry->Status &= ~0x100;
}

void ComponentDatabase::RemoveSection(const std::string& name) {
    const int kind = SectionKind(name);
    if (kind == kKindInstallation) {
        installationNames_.removeFirst(name);
    } else if (kind == kKindPlugIn) {
        plugInNames_.removeFirst(name);
    }
    entries_.erase(name);
}

void ComponentDatabase::RemoveSectionEntry(const std::string& name) {
    const int kind = SectionKind(name);
    if (kind == kKindInstallation) {
        removedInstallations_.insert(name);
    } else if (kind == kKindPlugIn) {
        removedPlugIns_.insert(name);
    }
    entries_.erase(name);
}

void ComponentDatabase::EndRemovingSections() {
    if (!removedInstallations_.empty()) installationNames_.removeFirstOfEach(std::move(removedInstallations_));
    if (!removedPlugIns_.empty()) plugInNames_.removeFirstOfEach(std::move(removedPlugIns_));
    removedInstallations_.clear();
    removedPlugIns_.clear();
}

void ComponentDatabase::RenameSection(int kind, std::size_t position, const std::string& newName) {
    StringList& names = kind == kKindInstallation ? installationNames_ : plugInNames_;
    entries_.rename(names[position], newName);
    names.replaceAt(position, newName);
}

void ComponentDatabase::SetMaxNumber(int kind, std::int32_t number) {
    (kind == kKindInstallation ? maxInstallationNumber_ : maxPlugInNumber_) = number;
}

void ComponentDatabase::ForgetPlugInLocations() {
    plugInLocations_.reset();
}

const std::vector<std::string>& ComponentDatabase::PlugInsAt(const std::string& location) {
    if (!plugInLocations_) plugInLocations_ = std::make_unique<PlugInLocationIndex>();
    return plugInLocations_->Candidates(*this, location);
}

void ComponentDatabase::Clear() {
    flags_ = 0;
    iniPath_.clear();
    lowestFreeInstallationNumber_ = 1;
    lowestFreePlugInNumber_ = 1;
    installationNames_.clear();
    plugInNames_.clear();
    newPlugInNames_.clear();
    entries_.clear();
    ForgetPlugInLocations();
    textBeforeSections_.clear();
    displayNameCache_.clear();
    displayFolderCache_.clear();
}

}  // namespace comp_mgr
