#include "services/linking/link_scope.h"

namespace comp_mgr {

Linker::Scope::Scope(Linker& linker) : linker_(linker), db_(linker.db_) {
    if (!linker_.active_) {
        linker_.active_ = &own_;
        outermost_ = true;
    }
}

Linker::Scope::~Scope() {
    // Nothing is allocated here: a scope left by an exception drops its
    // working copies, and the link lists stay as they were.
    if (outermost_) linker_.active_ = nullptr;
}

void Linker::Scope::Commit() {
    if (!outermost_ || committed_) return;
    // Every new list is built before any is put in place, so that running
    // out of memory half-way changes no installation.
    std::vector<std::pair<CatalogEntry*, StringList>> lists;
    for (auto& item : own_.links) {
        LinkIndex::Links& links = item.second;
        if (!links.changed) continue;
        StringList kept;
        for (std::size_t i = 0; i < links.items.size(); ++i)
            if (links.alive[i]) kept.push_back(links.items[i]);
        lists.emplace_back(links.entry, std::move(kept));
    }
    for (auto& list : lists) list.first->PlugInLst_GrpName = std::move(list.second);
    committed_ = true;
}

const LinkIndex::Links* Linker::Scope::Working(const Linker& linker, const std::string& installation) {
    if (!linker.active_) return nullptr;
    auto it = linker.active_->links.find(installation);
    return it == linker.active_->links.end() ? nullptr : &it->second;
}

const LinkIndex::Members& Linker::Scope::GroupMembers(const std::string& group) {
    static const LinkIndex::Members kNone;
    LinkIndex& idx = index();
    if (!idx.groupsBuilt) {
        for (const std::string& name : db_.plugInNames()) {
            CatalogEntry* entry = db_.Entry(name);
            if (entry && !entry->PlugInLst_GrpName.empty())
                idx.groups[entry->PlugInLst_GrpName.front()].push_back({name, entry});
        }
        idx.groupsBuilt = true;
    }
    auto it = idx.groups.find(group);
    return it == idx.groups.end() ? kNone : it->second;
}

LinkIndex::Links& Linker::Scope::Of(const std::string& installation, CatalogEntry& entry) {
    if (lastEntry_ == &entry) return *lastLinks_;
    LinkIndex& idx = index();
    auto found = idx.links.try_emplace(installation);
    LinkIndex::Links& links = found.first->second;
    if (found.second) {
        links.entry = &entry;
        for (const std::string& name : entry.PlugInLst_GrpName) Append(links, name);
    }
    lastEntry_ = &entry;
    lastLinks_ = &links;
    return links;
}

void Linker::Scope::Append(LinkIndex::Links& links, const std::string& plugIn) {
    const std::size_t place = links.items.size();
    links.items.push_back(plugIn);
    links.alive.push_back(true);
    ++links.aliveCount;
    const std::string* name = &links.items.back();
    links.byName.Add(place, name);
    if (const CatalogEntry* linked = db_.Entry(*name)) links.byDisplayName.Add(place, &linked->DisplayName);
}

bool Linker::Scope::Contains(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    return Of(installation, entry).byName.First(plugIn) != PlaceGroups::npos;
}

std::size_t Linker::Scope::Count(const std::string& installation, CatalogEntry& entry) {
    return Of(installation, entry).aliveCount;
}

bool Linker::Scope::FirstLinkedWithName(const std::string& installation, CatalogEntry& entry,
                                        const std::string& displayName, std::string* linked) {
    LinkIndex::Links& links = Of(installation, entry);
    const std::size_t place = links.byDisplayName.First(displayName);
    if (place == PlaceGroups::npos) return false;
    *linked = links.items[place];
    return true;
}

LinkIndex::Names Linker::Scope::LinkedWithName(const std::string& installation, CatalogEntry& entry,
                                               const std::string& displayName) {
    LinkIndex::Links& links = Of(installation, entry);
    LinkIndex::Names names;
    links.byDisplayName.ForEachLive(displayName, [&](std::size_t place) {
        const std::string& name = links.items[place];
        bool seen = false;
        for (const std::string& known : names) seen = seen || known == name;
        if (!seen) names.push_back(name);
    });
    return names;
}

void Linker::Scope::AppendLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    LinkIndex::Links& links = Of(installation, entry);
    Append(links, plugIn);
    links.changed = true;
}

bool Linker::Scope::RemoveLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn) {
    LinkIndex::Links& links = Of(installation, entry);
    const std::size_t place = links.byName.First(plugIn);
    if (place == PlaceGroups::npos) return false;
    links.alive[place] = false;
    --links.aliveCount;
    // Tidies the name's chain now; the display name's chain is tidied when a
    // walk meets the dead place.
    links.byName.First(plugIn);
    links.changed = true;
    return true;
}

}  // namespace comp_mgr
