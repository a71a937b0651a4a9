#include "services/scan/registry_scan.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalog/comma_list.h"
#include "platform/events.h"
#include "support/event_line.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

const char kRootPath[] = "SOFTWARE\\KOVRA\\Vantrel";
const char kClassesPath[] = "SOFTWARE\\Classes\\CLSID";
const char* const kCategoryPaths[] = {"Plugins\\ActiveX Tools", "Plugins\\Command Tools", "Plugins\\Server Tools",
                                      "Plugins\\Sub Menus"};

// Values are read into 512 bytes; one more zero byte behind them keeps a value
// that fills the buffer exactly a terminated string.
constexpr std::uint32_t kValueCapacity = 512;
// Key names of up to 512 characters plus the terminator.
constexpr std::uint32_t kKeyNameCapacity = 513;
// GetShortPathNameA's buffer.
constexpr std::uint32_t kShortPathCapacity = 256;

// A value as text: the bytes up to the first zero, whatever the value's type;
// empty when the value is absent or does not fit.
std::string ReadText(Registry& registry, RegHandle key, const char* name) {
    std::uint8_t buffer[kValueCapacity + 1] = {};
    std::uint32_t size = kValueCapacity;
    std::uint32_t type = kRegNone;
    if (registry.QueryValue(key, name, &type, buffer, &size) != kErrorSuccess) return std::string();
    return std::string(reinterpret_cast<const char*>(buffer));
}

// The name of subkey `index`, or false at the end of the list or on any other
// enumeration error (a name longer than 512 characters among them).
bool EnumName(Registry& registry, RegHandle key, std::uint32_t index, std::string* name) {
    char buffer[kKeyNameCapacity] = {};
    std::uint32_t size = kKeyNameCapacity;
    if (registry.EnumKey(key, index, buffer, &size) != kErrorSuccess) return false;
    if (size >= kKeyNameCapacity) size = static_cast<std::uint32_t>(std::strlen(buffer));
    name->assign(buffer, size);
    return true;
}

}  // namespace

int RegistryScan::ScanRegistryPlugins() {
    Registry& registry = platform_.registry;
    ScopedKey root(registry);
    if (registry.OpenKey(kHkeyLocalMachine, kRootPath, kKeyRead, root.out()) != kErrorSuccess) return 0;

    for (const char* category : kCategoryPaths) {
        {
            ScopedKey categoryKey(registry);
            if (registry.OpenKey(root.get(), category, kKeyRead, categoryKey.out()) == kErrorSuccess)
                ScanCategoryKey(categoryKey.get(), kKeyRead, "*");
        }
        // Installations and processor families keep category keys of their
        // own below the root; the family's name is the plug-ins' scope.
        std::string family;
        for (std::uint32_t index = 0; EnumName(registry, root.get(), index, &family); ++index) {
            ScopedKey familyCategory(registry);
            if (registry.OpenKey(root.get(), family + "\\" + category, kKeyRead, familyCategory.out()) == kErrorSuccess)
                ScanCategoryKey(familyCategory.get(), kKeyRead, family);
        }
    }
    db_.SetFlags(kFlagScanned);
    return 1;
}

void RegistryScan::ScanCategoryKey(RegHandle categoryKey, std::uint32_t access, const std::string& scope) {
    Registry& registry = platform_.registry;
    std::string plugIn;
    for (std::uint32_t index = 0; EnumName(registry, categoryKey, index, &plugIn); ++index) {
        ScopedKey pluginKey(registry);
        if (registry.OpenKey(categoryKey, plugIn, access, pluginKey.out()) != kErrorSuccess) continue;
        std::string name = plugIn;
        ScanPluginKey(pluginKey.get(), access, scope, name);
    }
}

void RegistryScan::ScanPluginKey(RegHandle pluginKey, std::uint32_t access, const std::string& scope,
                                 std::string& name) {
    ReadPluginVersion(pluginKey, access, scope, "1.0", name);

    // The version names are collected before any version is read: reading
    // one may delete its key, which would shift the indexes of the rest and
    // make an enumeration by index pass over the next version.
    Registry& registry = platform_.registry;
    std::vector<std::string> versions;
    std::string version;
    for (std::uint32_t index = 0; EnumName(registry, pluginKey, index, &version); ++index) {
        if (AtoF(version) > 1.0) versions.push_back(version);
    }
    for (const std::string& v : versions) ReadPluginVersion(pluginKey, access, scope, v, name);
}

int RegistryScan::ReadPluginVersion(RegHandle pluginKey, std::uint32_t access, const std::string& scope,
                                    const std::string& version, std::string& name) {
    Registry& registry = platform_.registry;
    // Version 1.0 lives in the plug-in key itself; that key is the caller's.
    ScopedKey versionSubkey(registry);
    RegHandle versionKey = pluginKey;
    if (version != "1.0") {
        if (registry.OpenKey(pluginKey, version, access, versionSubkey.out()) != kErrorSuccess) return 0;
        versionKey = versionSubkey.get();
    }

    const std::string sku = Trim(ReadText(registry, versionKey, "SKU"));
    const std::string displayName = Trim(ReadText(registry, versionKey, "DisplayName"));
    const std::string helpFile = Trim(ReadText(registry, versionKey, "HelpFile"));
    const std::string groupName = Trim(ReadText(registry, versionKey, "GroupName"));
    std::string groupDescription = Trim(ReadText(registry, versionKey, "GroupDescription"));
    if (groupName.empty()) groupDescription.clear();

    std::uint8_t probe[kValueCapacity + 1] = {};
    std::uint32_t probeSize = kValueCapacity;
    if (registry.QueryValue(versionKey, "CLSID", nullptr, probe, &probeSize) != kErrorSuccess) return 0;
    const std::string classId(reinterpret_cast<const char*>(probe));

    ScopedKey server(registry);
    {
        ScopedKey classes(registry);
        if (registry.OpenKey(kHkeyLocalMachine, kClassesPath, access, classes.out()) != kErrorSuccess) return 0;
        if (registry.OpenKey(classes.get(), classId + "\\InprocServer32", access, server.out()) != kErrorSuccess)
            return 0;
    }
    std::uint8_t pathBuffer[kValueCapacity + 1] = {};
    std::uint32_t pathSize = kValueCapacity;
    if (registry.QueryValue(server.get(), nullptr, nullptr, pathBuffer, &pathSize) != kErrorSuccess) return 0;
    std::string serverPath(reinterpret_cast<const char*>(pathBuffer));

    ToShortPath(serverPath);
    if (!platform_.files.Exists(serverPath)) {
        // The server is gone: its version key goes too (when it is a key of
        // its own without subkeys); the version is still recorded this time.
        const bool deleted = DeleteVersionKey(pluginKey, version) == 1;
        if (record_)
            record_->goneServers.push_back({displayName.empty() ? name : displayName, version, serverPath, deleted});
        if (!deleted) return 0;
        Tell(platform_.events, event_kind::kRegistrationRemoved, serverPath, [&] {
            return "version " + version + " of " + (displayName.empty() ? Trim(name) : displayName) +
                   ": its key left the registry, the server file is gone";
        });
    }

    if (!displayName.empty()) name = displayName;
    name = Trim(name);

    if (CatalogEntry* entry = records_.FindPlugInRecord(serverPath, version, scope, name)) {
        entry->Status |= kStatusFoundOrCurrent;
        if (!sku.empty() && !EqualsNoCase(sku, entry->Sku)) entry->Sku = sku;
        if (!helpFile.empty() && !EqualsNoCase(helpFile, entry->HelpFile)) entry->HelpFile = helpFile;
        if (!groupName.empty()) {
            entry->PlugInLst_GrpName.clear();
            SplitIntoList(groupName, entry->PlugInLst_GrpName);
        }
        if (!groupDescription.empty() && !EqualsNoCase(groupDescription, entry->GroupDescription))
            entry->GroupDescription = groupDescription;
    }
    return 1;
}

int RegistryScan::DeleteVersionKey(RegHandle pluginKey, const std::string& version) {
    // An empty name would delete the plug-in key itself.
    if (version.empty()) return 0;
    return platform_.registry.DeleteKey(pluginKey, version) == kErrorSuccess ? 1 : 0;
}

int RegistryScan::ToShortPath(std::string& path) {
    // A name that already holds a tilde is taken to be short already.
    if (path.find('~', 1) != std::string::npos) return 0;
    // One byte more than the system is told, so the text always ends.
    char buffer[kShortPathCapacity + 1] = {};
    std::uint32_t length = platform_.files.ShortPathName(path, buffer, kShortPathCapacity);
    std::size_t stored = std::strlen(buffer);
    if (length == 0 || length >= kShortPathCapacity || length != stored) return 0;
    path.assign(buffer, stored);
    return 1;
}

}  // namespace comp_mgr
