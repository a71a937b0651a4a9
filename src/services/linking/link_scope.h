// Look-ups that keep linking fast over catalogs of thousands of plug-ins:
// plug-ins by their group, and a working copy of each installation's link
// list that answers "is it linked", "which linked plug-in has this display
// name first" and removes a link without shifting the rest. They live for
// one linking operation (the outermost scope); plug-in groups and names
// do not change meanwhile, every change to a link list goes through the
// scope, and the working copies are written back when the scope ends.
#ifndef COMP_MGR_SERVICES_LINKING_LINK_SCOPE_H
#define COMP_MGR_SERVICES_LINKING_LINK_SCOPE_H

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalog/component_database.h"
#include "services/linking/linker.h"
#include "services/linking/place_groups.h"

namespace comp_mgr {

struct LinkIndex {
    using Names = std::vector<std::string>;
    struct Member {
        std::string name;
        CatalogEntry* entry;
    };
    using Members = std::vector<Member>;

    // One installation's links: removed items stay in place as dead slots,
    // so places only grow and keep the list's order. A deque keeps every
    // item where it is while the list grows, so the groups can point at it.
    struct Links {
        Links() = default;
        Links(const Links&) = delete;
        Links& operator=(const Links&) = delete;

        CatalogEntry* entry = nullptr;
        std::deque<std::string> items;
        std::vector<bool> alive;
        std::size_t aliveCount = 0;
        // Places by linked name.
        PlaceGroups byName{alive};
        // Places of the linked names with an entry, by that entry's DisplayName.
        PlaceGroups byDisplayName{alive};
        bool changed = false;
    };

    bool groupsBuilt = false;
    // First group item -> plug-in sections carrying it, in plugInNames order.
    std::unordered_map<std::string, Members> groups;
    // By installation section.
    std::unordered_map<std::string, Links> links;
};

class Linker::Scope {
public:
    explicit Scope(Linker& linker);
    // Drops the working copies without writing them back.
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    // Plug-in sections whose entry's first group item is `group`, with their
    // entries; valid until the outermost scope ends.
    const LinkIndex::Members& GroupMembers(const std::string& group);

    bool Contains(const std::string& installation, CatalogEntry& entry, const std::string& plugIn);
    std::size_t Count(const std::string& installation, CatalogEntry& entry);
    // The first linked section (in list order) whose entry's DisplayName is
    // `displayName`; false when there is none.
    bool FirstLinkedWithName(const std::string& installation, CatalogEntry& entry, const std::string& displayName,
                             std::string* linked);
    // All distinct linked sections with that DisplayName, in list order.
    LinkIndex::Names LinkedWithName(const std::string& installation, CatalogEntry& entry,
                                    const std::string& displayName);
    void AppendLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn);
    // Removes the first occurrence; false when the plug-in is not linked.
    bool RemoveLink(const std::string& installation, CatalogEntry& entry, const std::string& plugIn);

    // Whether a link list is held in a working copy of the running scope.
    static const LinkIndex::Links* Working(const Linker& linker, const std::string& installation);

    // Writes the changed working copies back into their installations (the
    // outermost scope only; an inner one leaves that to it). All or none: on
    // running out of memory nothing is written and the exception goes on.
    void Commit();

private:
    LinkIndex& index() { return *linker_.active_; }
    LinkIndex::Links& Of(const std::string& installation, CatalogEntry& entry);
    // Puts a link at the end of a working copy.
    void Append(LinkIndex::Links& links, const std::string& plugIn);
    // The links asked for last, as one operation asks for one installation's
    // links many times over.
    const CatalogEntry* lastEntry_ = nullptr;
    LinkIndex::Links* lastLinks_ = nullptr;

    Linker& linker_;
    ComponentDatabase& db_;
    LinkIndex own_;
    bool outermost_ = false;
    bool committed_ = false;
};

}  // namespace comp_mgr

#endif
