// Look-ups that keep linking fast over catalogs of thousands of plug-ins:
// plug-ins by their group, and an installation's linked plug-ins by display
// name. They live for one linking operation (the outermost LinkScope), during
// which plug-in groups and names do not change and every change to an
// installation's links goes through the helpers below.
#ifndef COMP_MGR_PLUGINS_LINK_INDEX_H
#define COMP_MGR_PLUGINS_LINK_INDEX_H

#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/component_database.h"

namespace comp_mgr {

struct LinkIndex {
    using Names = std::vector<std::string>;
    using ByDisplayName = std::unordered_map<std::string, Names>;

    bool groupsBuilt = false;
    // First group item -> plug-in sections carrying it, in plugInNames order.
    std::unordered_map<std::string, Names> groups;
    // Installation section -> its linked sections (those with an entry) by
    // DisplayName; a name linked twice is listed twice.
    std::unordered_map<std::string, ByDisplayName> linkedByName;
};

// Makes a LinkIndex available for the duration of the outermost scope.
class LinkScope {
public:
    explicit LinkScope(ComponentDatabase& db);
    ~LinkScope();
    LinkScope(const LinkScope&) = delete;
    LinkScope& operator=(const LinkScope&) = delete;

    LinkIndex& index() { return *db_.linkIndex_; }

    // Plug-in sections whose entry's first group item is `group`.
    const LinkIndex::Names& GroupMembers(const std::string& group);
    // The first linked section of an installation (in list order) whose
    // entry's DisplayName is `displayName`; false when there is none.
    bool FirstLinkedWithName(const std::string& installation, CatalogEntry& entry, const std::string& displayName,
                             std::string* linked);
    // All distinct linked sections with that DisplayName, in list order.
    LinkIndex::Names LinkedWithName(const std::string& installation, CatalogEntry& entry,
                                    const std::string& displayName);
    void AppendLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn);
    // Removes the first occurrence; false when the plug-in is not linked.
    bool RemoveLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn);

private:
    LinkIndex::ByDisplayName& ByName(const std::string& installation, const CatalogEntry& entry);

    ComponentDatabase& db_;
    LinkIndex own_;
    bool outermost_ = false;
};

}  // namespace comp_mgr

#endif
