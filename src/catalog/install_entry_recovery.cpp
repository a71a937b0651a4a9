// Rebuilding lost installation records from VNTInstallEntry.ini, the copy of
// its own installation sections that every host keeps beside its program.
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "catalog/component_database.h"
#include "catalog/host_paths.h"
#include "platform/events.h"
#include "support/event_line.h"
#include "support/ini_grammar.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

// The executable is taken as the process reports it, not in long form.
const unsigned kExecutablePathCapacity = 1024;

// The folders (upper case) holding a catalog entry whose display path names
// vn_app.exe: answers FindHostInstallation for any path in constant time, so
// that a long VNTInstallEntry.ini is checked in linear time.
class HostFolders {
public:
    void Add(const std::string& displayPath) {
        std::size_t slash = displayPath.rfind('\\');
        if (slash == std::string::npos) return;
        std::string_view name = std::string_view(displayPath).substr(slash + 1);
        if (EqualsNoCase(name, "vn_app.exe") || EqualsNoCase(name, "vn_app"))
            folders_.insert(ToUpper(std::string_view(displayPath.data(), slash)));
    }
    // Same answer as ComponentDatabase::FindHostInstallation(path).
    bool Holds(const std::string& path) const {
        std::size_t slash = path.rfind('\\');
        return slash != std::string::npos && folders_.count(ToUpper(std::string_view(path.data(), slash))) != 0;
    }

private:
    std::unordered_set<std::string> folders_;
};

}  // namespace

bool ComponentDatabase::RecoverFromInstallEntry() {
    std::string content;
    if (!platform_.files.ReadAll(InstallEntryPath(platform_), &content)) return false;
    const std::string executable = ModulePath(platform_, kExecutablePathCapacity);

    HostFolders hostFolders;
    bool indexed = false;
    bool ownInstallationRestored = false;
    std::vector<std::pair<std::string, std::string>> properties;
    std::size_t progLocation = std::string::npos;

    auto finishSection = [&]() {
        if (progLocation == std::string::npos) return;
        const std::string location = properties[progLocation].second;
        if (!indexed) {
            for (const auto& item : entries_)
                if (CouldNameHostProgram(item.value().ProgLocation)) hostFolders.Add(DisplayPath(item.value()));
            indexed = true;
        }
        if (hostFolders.Holds(location)) return;
        // The file's own section name is not kept: it may be taken in this catalog.
        const std::string name = MakeNewSectionName(kKindInstallation);
        for (const auto& property : properties) SetProperty(name, property.first, property.second);
        flags_ |= kFlagModified;
        Tell(platform_.events, event_kind::kRecovered, name,
             [&] { return location + " (from " + InstallEntryPath(platform_) + ")"; });
        if (const CatalogEntry* restored = Entry(name)) hostFolders.Add(DisplayPath(*restored));
        if (!ownInstallationRestored) ownInstallationRestored = IsHostProgram(executable, location);
    };

    ParseIni(
        content,
        [&](std::string) {
            finishSection();
            properties.clear();
            progLocation = std::string::npos;
        },
        [&](std::string_view key, std::string_view value) {
            if (key == "ProgLocation") progLocation = properties.size();
            properties.emplace_back(std::string(key), std::string(value));
        });
    finishSection();
    return ownInstallationRestored;
}

}  // namespace comp_mgr
