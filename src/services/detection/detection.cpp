#include "services/detection/detection.h"

#include <limits>
#include <string>

#include "platform/scoped_current_directory.h"
#include "services/detection/new_components_dialog.h"
#include "services/linking/link_scope.h"

namespace comp_mgr {

void NewPlugInDetection::AskTheUser() {
    NewComponentsDialog dialog(platform_, engines_);
    dialog.SetDatabase(db_);
    StringList names;
    if (dialog.SetPendingList(db_.newPlugInNames())) {
        dialog.DoModal();
        // Turned off by the user: their servers go; left on: linked.
        dialog.GetUncheckedList(names);
        db_.ReplaceNewPlugIns(names);
        if (!names.empty()) DetectNewPlugIns(DetectionMode::kUnregister);
        dialog.GetCheckedList(names);
        db_.ReplaceNewPlugIns(names);
        if (!names.empty()) DetectNewPlugIns(DetectionMode::kLink);
    }
    // Refused by the engine, whether or not the user was asked.
    dialog.GetRejectedList(names);
    db_.ReplaceNewPlugIns(names);
    if (!names.empty()) DetectNewPlugIns(DetectionMode::kUnregister);
}

int NewPlugInDetection::DetectNewPlugIns(DetectionMode mode) {
    if (!(db_.flags() & (kFlagLoaded | kFlagScanned))) return -1;

    if (mode == DetectionMode::kLink) {
        // One linking operation for every pair, so the look-ups are built once.
        Linker::Scope scope(linker_);
        const StringList& newPlugIns = db_.newPlugInNames();
        const StringList& installations = db_.installationNames();
        for (std::size_t p = 0; p < newPlugIns.size(); ++p) {
            const std::string plugIn = newPlugIns[p];
            if (!db_.Entry(plugIn)) continue;
            for (std::size_t i = 0; i < installations.size(); ++i) {
                const std::string installation = installations[i];
                if (!db_.Entry(installation)) continue;
                if (linker_.IsLinked(installation, plugIn)) continue;
                linker_.LinkPlugIn(installation, plugIn, LinkMode::kLink, SameName::kRefuse);
                // Refused (for instance because a plug-in of the same name is
                // linked): a better processor fit may still take its place.
                if (!linker_.IsLinked(installation, plugIn)) linker_.ReplaceByCpuFit(installation, plugIn);
            }
        }
        scope.Commit();
        db_.ClearNewPlugIns();
    } else if (mode == DetectionMode::kUnregister) {
        StringList servers;
        for (const std::string& plugIn : db_.newPlugInNames()) {
            const CatalogEntry* entry = db_.Entry(plugIn);
            if (entry && (entry->Status & kStatusFoundOrCurrent)) servers.appendUnique(entry->ProgLocation);
        }
        {
            ScopedCurrentDirectory currentDirectory(platform_.files);
            for (const std::string& server : servers) registration_.RegisterServer(server, ServerAction::kUnregister);
        }
        db_.ClearNewPlugIns();
    } else if (mode == DetectionMode::kAsk) {
        AskTheUser();
    }

    const std::size_t left = db_.newPlugInNames().size();
    return left > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                            : static_cast<int>(left);
}

}  // namespace comp_mgr
