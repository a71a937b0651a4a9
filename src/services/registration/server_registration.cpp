#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/events.h"
#include "platform/scoped_current_directory.h"
#include "services/registration/server_registration.h"
#include "support/event_line.h"
#include "support/path_parts.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

// DllRegisterServer / DllUnregisterServer: no arguments, an HRESULT result.
using ServerExport = std::int32_t (*)();

enum class PrepareMode { kFresh, kCurrent, kSwitch };

// The lists of one preparation, in insertion order without duplicates.
struct ServerLists {
    StringList registerPaths;
    StringList unregisterPaths;
    StringList unregisterNames;

    void AddToUnregister(const CatalogEntry& plugIn) {
        if (unregisterPaths.appendUnique(plugIn.ProgLocation)) unregisterNames.appendUnique(plugIn.DisplayName);
    }
    void AddToRegister(const CatalogEntry& plugIn) { registerPaths.appendUnique(plugIn.ProgLocation); }
};

std::string HresultText(std::int32_t result) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::uint32_t bits = static_cast<std::uint32_t>(result);
    std::string text = "0x00000000";
    for (int i = 9; i >= 2; --i, bits >>= 4) text[i] = kDigits[bits & 0xF];
    return text;
}

bool Registered(const CatalogEntry& plugIn) {
    return (plugIn.Status & kStatusFoundOrCurrent) != 0;
}
bool MayUnregister(const CatalogEntry& plugIn) {
    return Registered(plugIn) && (plugIn.Status & kStatusNeverUnlink) == 0;
}

}  // namespace

void ServerRegistration::RegisterServer(const std::string& serverPath, ServerAction action) {
    // The server's own folder becomes the current directory, so that a server
    // loading helper libraries next to it by bare name finds them.
    std::string cleaned = CollapseDoubleBackslashes(serverPath);
    if (cleaned.find('\\') != std::string::npos) platform_.files.SetCurrentDirectory(BeforeLastBackslash(cleaned));

    const bool registering = action == ServerAction::kRegister;
    const char* exportName = registering ? "DllRegisterServer" : "DllUnregisterServer";
    const char* failed = registering ? event_kind::kRegisterFailed : event_kind::kUnregisterFailed;
    LibraryHandle library = platform_.loader.Load(serverPath);
    if (!library) {
        Tell(platform_.events, failed, serverPath, [] { return std::string("the server did not load"); });
        return;
    }
    if (void* symbol = platform_.loader.Symbol(library, exportName)) {
        ServerExport call = reinterpret_cast<ServerExport>(symbol);
        const std::int32_t result = call();  // the server's own result is not acted upon, only told
        Tell(platform_.events,
             result < 0    ? failed
             : registering ? event_kind::kRegistered
                           : event_kind::kUnregistered,
             serverPath, [&] { return std::string(exportName) + " returned " + HresultText(result); });
    } else {
        Tell(platform_.events, failed, serverPath, [&] { return std::string("the server has no ") + exportName; });
    }
    platform_.loader.Free(library);
}

int ServerRegistration::PrepareInstallation(const std::string& sectionName) {
    if (!db_.installationNames().contains(sectionName)) return 0;
    CatalogEntry* target = db_.Entry(sectionName);
    if (!target) return 0;

    CatalogEntry* current = nullptr;
    for (const std::string& name : db_.installationNames()) {
        CatalogEntry* entry = db_.Entry(name);
        if (entry && (entry->Status & kStatusFoundOrCurrent)) {
            current = entry;
            break;
        }
    }

    PrepareMode mode;
    if (!current) {
        mode = PrepareMode::kFresh;
    } else if (current != target) {
        mode = PrepareMode::kSwitch;
    } else if (target->Status & kStatusCreatedOrRelinked) {
        target->Status &= ~kStatusCreatedOrRelinked;
        mode = PrepareMode::kFresh;
    } else {
        mode = PrepareMode::kCurrent;
    }

    const StringList& targetList = target->PlugInLst_GrpName;
    ServerLists lists;
    if (mode != PrepareMode::kSwitch) {
        for (const std::string& name : db_.plugInNames()) {
            const CatalogEntry* plugIn = db_.Entry(name);
            if (!plugIn) continue;
            const bool used = targetList.contains(name);
            if (!used && MayUnregister(*plugIn)) lists.AddToUnregister(*plugIn);
            if (used && !Registered(*plugIn)) lists.AddToRegister(*plugIn);
        }
    } else {
        const StringList& currentList = current->PlugInLst_GrpName;
        if (db_.plugInNames().size() < targetList.size() + currentList.size()) {
            for (const std::string& name : db_.plugInNames()) {
                const CatalogEntry* plugIn = db_.Entry(name);
                if (!plugIn) continue;
                const bool inTarget = targetList.contains(name);
                const bool inCurrent = currentList.contains(name);
                if (inTarget && !inCurrent && !Registered(*plugIn)) lists.AddToRegister(*plugIn);
                if (inCurrent && !inTarget && MayUnregister(*plugIn)) lists.AddToUnregister(*plugIn);
            }
        } else {
            for (const std::string& name : currentList) {
                const CatalogEntry* plugIn = db_.Entry(name);
                if (plugIn && !targetList.contains(name) && MayUnregister(*plugIn)) lists.AddToUnregister(*plugIn);
            }
            for (const std::string& name : targetList) {
                const CatalogEntry* plugIn = db_.Entry(name);
                if (plugIn && !currentList.contains(name) && !Registered(*plugIn)) lists.AddToRegister(*plugIn);
            }
        }
    }

    // A plug-in leaving with the old installation is replaced by the new
    // installation's plug-in of the same name, whose server must then be
    // registered after the old one is unregistered.
    if (!lists.unregisterNames.empty()) {
        std::unordered_map<std::string, std::vector<const CatalogEntry*>> targetByName;
        for (const std::string& name : targetList) {
            if (const CatalogEntry* plugIn = db_.Entry(name)) targetByName[plugIn->DisplayName].push_back(plugIn);
        }
        for (const std::string& unregisterName : lists.unregisterNames) {
            auto found = targetByName.find(unregisterName);
            if (found == targetByName.end()) continue;
            for (const CatalogEntry* plugIn : found->second) lists.AddToRegister(*plugIn);
        }
    }

    // A server the new installation still uses stays registered.
    if (!lists.unregisterPaths.empty()) {
        std::unordered_set<std::string> keptServers;
        for (const std::string& name : targetList) {
            if (const CatalogEntry* plugIn = db_.Entry(name)) keptServers.insert(ToUpper(plugIn->ProgLocation));
        }
        StringList remaining;
        for (const std::string& path : lists.unregisterPaths) {
            if (!keptServers.count(ToUpper(path))) remaining.push_back(path);
        }
        lists.unregisterPaths = std::move(remaining);
    }

    ScopedCurrentDirectory currentDirectory(platform_.files);
    if (!lists.unregisterPaths.empty() || !lists.registerPaths.empty()) {
        for (const std::string& path : lists.unregisterPaths) RegisterServer(path, ServerAction::kUnregister);
        for (const std::string& path : lists.registerPaths) RegisterServer(path, ServerAction::kRegister);
        lists.unregisterPaths.clear();
        lists.registerPaths.clear();
    }
    currentDirectory.Restore();

    if (mode == PrepareMode::kSwitch) {
        target->Status |= kStatusFoundOrCurrent;
        current->Status &= ~kStatusFoundOrCurrent;
    } else if (mode == PrepareMode::kFresh) {
        target->Status |= kStatusFoundOrCurrent;
    }
    if (mode != PrepareMode::kCurrent) db_.MarkModified(kFlagLinksChanged);

    // Servers an update moved into <installation root>\plugins\obsolete are
    // unregistered every time, controls before libraries. Folders that happen
    // to carry such a name are not libraries and are left alone.
    std::string obsolete = BeforeLastBackslash(BeforeLastBackslash(BeforeLastBackslash(target->ProgLocation)));
    obsolete += "\\plugins\\obsolete\\";
    for (const char* pattern : {"*.ocx", "*.dll"}) {
        for (const FoundFile& found : platform_.files.Find(obsolete + pattern)) {
            if (!found.isDirectory) RegisterServer(obsolete + found.name, ServerAction::kUnregister);
        }
    }
    // The directory is made current again once more as the preparation ends.
    db_.SetFlags(kFlagPrepared);
    return 1;
}

}  // namespace comp_mgr
