// What happens to the plug-ins the registry scan met for the first time in
// this run: linked to the installations, or their servers unregistered.
#include <limits>
#include <string>

#include "catalog/component_database.h"
#include "platform/scoped_current_directory.h"
#include "plugins/link_index.h"

namespace comp_mgr {

namespace {
constexpr int kDetectLink = 0;
constexpr int kDetectUnregister = 1;
}  // namespace

int ComponentDatabase::DetectNewPlugIns(int mode) {
    if (!(flags & (kFlagLoaded | kFlagScanned))) return -1;

    if (mode == kDetectLink) {
        LinkScope scope(*this);
        for (std::size_t p = 0; p < newPlugInNames.size(); ++p) {
            const std::string plugIn = newPlugInNames[p];
            if (!Entry(plugIn)) continue;
            for (std::size_t i = 0; i < installationNames.size(); ++i) {
                const std::string installation = installationNames[i];
                if (!Entry(installation)) continue;
                if (IsLinked(installation, plugIn)) continue;
                LinkPlugIn(installation, plugIn, 1, 0);
                // Refused (for instance because a plug-in of the same name is
                // linked): a better processor fit may still take its place.
                if (!IsLinked(installation, plugIn)) ReplaceByCpuFit(installation, plugIn);
            }
        }
        newPlugInNames.clear();
    } else if (mode == kDetectUnregister) {
        StringList servers;
        for (const std::string& plugIn : newPlugInNames) {
            const CatalogEntry* entry = Entry(plugIn);
            if (entry && (entry->Status & kStatusFoundOrCurrent)) servers.appendUnique(entry->ProgLocation);
        }
        {
            ScopedCurrentDirectory currentDirectory(platform_.files);
            for (const std::string& server : servers) RegisterServer(server, 0);
        }
        newPlugInNames.clear();
    }
    // Mode 3 (asking the user) is not available yet: like any other mode it
    // changes nothing.

    const std::size_t left = newPlugInNames.size();
    return left > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                            : static_cast<int>(left);
}

}  // namespace comp_mgr
