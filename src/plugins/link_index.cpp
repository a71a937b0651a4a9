#include "plugins/link_index.h"

namespace comp_mgr {

LinkScope::LinkScope(ComponentDatabase& db) : db_(db) {
    if (!db_.linkIndex_) {
        db_.linkIndex_ = &own_;
        outermost_ = true;
    }
}

LinkScope::~LinkScope() {
    if (!outermost_) return;
    for (auto& item : own_.links) {
        LinkIndex::Links& links = item.second;
        if (!links.changed) continue;
        StringList kept;
        for (std::size_t i = 0; i < links.items.size(); ++i)
            if (links.alive[i]) kept.push_back(links.items[i]);
        links.entry->PlugInLst_GrpName = std::move(kept);
    }
    db_.linkIndex_ = nullptr;
}

const LinkIndex::Links* LinkScope::Working(const ComponentDatabase& db, const std::string& installation) {
    if (!db.linkIndex_) return nullptr;
    auto it = db.linkIndex_->links.find(installation);
    return it == db.linkIndex_->links.end() ? nullptr : &it->second;
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

LinkIndex::Links& LinkScope::Of(const std::string& installation, CatalogEntry& entry) {
    LinkIndex& idx = index();
    auto found = idx.links.find(installation);
    if (found != idx.links.end()) return found->second;
    LinkIndex::Links& links = idx.links[installation];
    links.entry = &entry;
    links.items = entry.PlugInLst_GrpName.items();
    links.alive.assign(links.items.size(), true);
    links.aliveCount = links.items.size();
    for (std::size_t i = 0; i < links.items.size(); ++i) {
        const std::string& name = links.items[i];
        links.places[name].push_back(i);
        if (const CatalogEntry* linked = db_.Entry(name)) links.byDisplayName[linked->DisplayName].emplace(i, name);
    }
    return links;
}

bool LinkScope::Contains(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    LinkIndex::Links& links = Of(installation, entry);
    auto it = links.places.find(plugIn);
    return it != links.places.end() && !it->second.empty();
}

std::size_t LinkScope::Count(const std::string& installation, CatalogEntry& entry) {
    return Of(installation, entry).aliveCount;
}

bool LinkScope::FirstLinkedWithName(const std::string& installation, CatalogEntry& entry,
                                    const std::string& displayName, std::string* linked) {
    LinkIndex::Links& links = Of(installation, entry);
    auto it = links.byDisplayName.find(displayName);
    if (it == links.byDisplayName.end() || it->second.empty()) return false;
    *linked = it->second.begin()->second;
    return true;
}

LinkIndex::Names LinkScope::LinkedWithName(const std::string& installation, CatalogEntry& entry,
                                           const std::string& displayName) {
    LinkIndex::Links& links = Of(installation, entry);
    LinkIndex::Names names;
    auto it = links.byDisplayName.find(displayName);
    if (it == links.byDisplayName.end()) return names;
    for (const auto& placed : it->second) {
        bool seen = false;
        for (const std::string& name : names) seen = seen || name == placed.second;
        if (!seen) names.push_back(placed.second);
    }
    return names;
}

void LinkScope::AppendLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    LinkIndex::Links& links = Of(installation, entry);
    const std::size_t place = links.items.size();
    links.items.push_back(plugIn);
    links.alive.push_back(true);
    ++links.aliveCount;
    links.places[plugIn].push_back(place);
    if (const CatalogEntry* linked = db_.Entry(plugIn)) links.byDisplayName[linked->DisplayName].emplace(place, plugIn);
    links.changed = true;
}

bool LinkScope::RemoveLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    LinkIndex::Links& links = Of(installation, entry);
    auto it = links.places.find(plugIn);
    if (it == links.places.end() || it->second.empty()) return false;
    const std::size_t place = it->second.front();
    it->second.pop_front();
    if (it->second.empty()) links.places.erase(it);
    links.alive[place] = false;
    --links.aliveCount;
    if (const CatalogEntry* linked = db_.Entry(plugIn)) {
        auto named = links.byDisplayName.find(linked->DisplayName);
        if (named != links.byDisplayName.end()) {
            named->second.erase({place, plugIn});
            if (named->second.empty()) links.byDisplayName.erase(named);
        }
    }
    links.changed = true;
    return true;
}

}  // namespace comp_mgr
