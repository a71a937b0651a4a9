#include "plugins/link_index.h"

#include <algorithm>
#include <utility>

namespace comp_mgr {

LinkScope::LinkScope(ComponentDatabase& db) : db_(db) {
    if (!db_.linkIndex_) {
        db_.linkIndex_ = &own_;
        outermost_ = true;
    }
}

LinkScope::~LinkScope() {
    if (outermost_) db_.linkIndex_ = nullptr;
}

const LinkIndex::Names& LinkScope::GroupMembers(const std::string& group) {
    static const LinkIndex::Names kNone;
    LinkIndex& idx = index();
    if (!idx.groupsBuilt) {
        for (const std::string& name : db_.plugInNames) {
            const CatalogEntry* entry = db_.Entry(name);
            if (entry && !entry->PlugInLst_GrpName.empty())
                idx.groups[entry->PlugInLst_GrpName.front()].push_back(name);
        }
        idx.groupsBuilt = true;
    }
    auto it = idx.groups.find(group);
    return it == idx.groups.end() ? kNone : it->second;
}

LinkIndex::ByDisplayName& LinkScope::ByName(const std::string& installation, const CatalogEntry& entry) {
    LinkIndex& idx = index();
    auto found = idx.linkedByName.find(installation);
    if (found != idx.linkedByName.end()) return found->second;
    LinkIndex::ByDisplayName& map = idx.linkedByName[installation];
    for (const std::string& name : entry.PlugInLst_GrpName)
        if (const CatalogEntry* linked = db_.Entry(name)) map[linked->DisplayName].push_back(name);
    return map;
}

LinkIndex::Names LinkScope::LinkedWithName(const std::string& installation, CatalogEntry& entry,
                                           const std::string& displayName) {
    LinkIndex::ByDisplayName& map = ByName(installation, entry);
    auto it = map.find(displayName);
    if (it == map.end() || it->second.empty()) return {};
    std::vector<std::pair<std::size_t, std::string>> placed;
    for (const std::string& name : it->second) {
        std::size_t at = entry.PlugInLst_GrpName.indexOf(name);
        if (at == StringList::npos) continue;
        bool seen = false;
        for (const auto& p : placed) seen = seen || p.second == name;
        if (!seen) placed.emplace_back(at, name);
    }
    std::sort(placed.begin(), placed.end());
    LinkIndex::Names names;
    for (auto& p : placed) names.push_back(std::move(p.second));
    return names;
}

bool LinkScope::FirstLinkedWithName(const std::string& installation, CatalogEntry& entry,
                                    const std::string& displayName, std::string* linked) {
    LinkIndex::ByDisplayName& map = ByName(installation, entry);
    auto it = map.find(displayName);
    if (it == map.end() || it->second.empty()) return false;
    if (it->second.size() == 1) {
        *linked = it->second.front();
        return true;
    }
    LinkIndex::Names names = LinkedWithName(installation, entry, displayName);
    if (names.empty()) return false;
    *linked = names.front();
    return true;
}

void LinkScope::AppendLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    LinkIndex::ByDisplayName& map = ByName(installation, entry);
    entry.PlugInLst_GrpName.push_back(plugIn);
    if (const CatalogEntry* linked = db_.Entry(plugIn)) map[linked->DisplayName].push_back(plugIn);
}

bool LinkScope::RemoveLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    LinkIndex::ByDisplayName& map = ByName(installation, entry);
    if (!entry.PlugInLst_GrpName.removeFirst(plugIn)) return false;
    if (const CatalogEntry* linked = db_.Entry(plugIn)) {
        auto it = map.find(linked->DisplayName);
        if (it != map.end()) {
            auto at = std::find(it->second.begin(), it->second.end(), plugIn);
            if (at != it->second.end()) it->second.erase(at);
            if (it->second.empty()) map.erase(it);
        }
    }
    return true;
}

}  // namespace comp_mgr
