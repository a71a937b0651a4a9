// Linking plug-ins to installations: the version, processor, group and
// display-name rules, and linking everything to the current installation.
// The linker keeps, for the length of one linking operation, working copies
// of the link lists it changes and the look-ups that keep it fast.
#ifndef COMP_MGR_SERVICES_LINKING_LINKER_H
#define COMP_MGR_SERVICES_LINKING_LINKER_H

#include <string>

#include "catalog/component_database.h"

namespace comp_mgr {

// What a LinkPlugIn request asks for; hosts pass these as integers.
enum class LinkMode : int {
    kCheckOnly = -1,  // every rule is tested, no list changes (as kCheck)
    kUnlink = 0,
    kLink = 1,
    kCheck = 2,  // every rule is tested, no list changes
};

// What linking does when a plug-in of the same display name is linked already.
enum class SameName : int {
    kRefuse = 0,    // the request is refused
    kMakeRoom = 1,  // that plug-in and its group are unlinked first
};

struct LinkIndex;  // services/linking/link_scope.h

class Linker {
public:
    explicit Linker(ComponentDatabase& database) : db_(database) {}
    Linker(const Linker&) = delete;
    Linker& operator=(const Linker&) = delete;

    // 1 when the request was carried out, 0 when it was refused.
    int LinkPlugIn(const std::string& installationName, const std::string& plugInName, LinkMode mode,
                   SameName sameName);
    int IsLinked(const std::string& installationName, const std::string& plugInName) const;
    bool UnlinkSameName(const std::string& installationName, const std::string& plugInName);
    bool UnlinkGroup(const std::string& installationName, const CatalogEntry& linked);
    int ReplaceByCpuFit(const std::string& installationName, const std::string& plugInName);
    void LinkAllPlugIns(const std::string& installationName);
    int MakeCurrentInstallation(CatalogEntry* entry);

    // One linking operation: the working copies and look-ups live from the
    // outermost scope's start to its end, where changed link lists are
    // written back. Callers that make many requests in a row hold one around
    // them (services/linking/link_scope.h).
    class Scope;

private:
    // Runs `work(scope)` inside one linking operation and commits it, so that
    // every way out of an operation but an exception writes its changes back.
    template <class Work>
    auto InOperation(Work&& work);

    ComponentDatabase& db_;
    // The look-ups of the linking operation now running, or null.
    LinkIndex* active_ = nullptr;
};

}  // namespace comp_mgr

#endif
