// Linking plug-ins to installations: the version, processor, group and
// display-name rules, and linking everything to the current installation.
// The linker keeps, for the length of one linking operation, working copies
// of the link lists it changes and the look-ups that keep it fast.
#ifndef COMP_MGR_SERVICES_LINKING_LINKER_H
#define COMP_MGR_SERVICES_LINKING_LINKER_H

#include <string>
#include <vector>

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

// One rule as the linker evaluated it, for a person who asks why.
struct LinkRule {
    std::string rule;  // "sections", "record", "processors", "processor fit", ...
    bool ok = false;
    std::string reason;
};
using LinkRules = std::vector<LinkRule>;

// What ExplainLink found: the answer of a check (mode 2), and that of the
// request a person would make next (link when not linked, else unlink, with
// room made as bLinkPlugIns makes it), with the rules behind both.
struct LinkExplanation {
    int check = 0;
    bool linked = false;
    LinkMode request = LinkMode::kLink;
    int requestAnswer = 0;
    LinkRules rules;  // in the order the linker tests them; each rule once
};

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

    // Runs LinkPlugIn itself for a check and for the next request, noting
    // each rule it tests, and changes nothing: the request runs in a linking
    // operation that is never committed, and the marks it leaves are put
    // back (services/linking/link_explanation.cpp).
    LinkExplanation ExplainLink(const std::string& installationName, const std::string& plugInName);

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

    // Notes a rule's outcome while explaining (the reason is only built
    // then) and returns `ok`.
    template <class Reason>
    bool Rule(const char* rule, bool ok, Reason&& reason);
    // Runs `work` without noting rules: a step whose outcome decides nothing
    // would otherwise show refusals where the request succeeds.
    template <class Work>
    void Unexplained(Work&& work);
    // LinkPlugIn's rules and work; LinkPlugIn adds what the event log is told.
    int Decide(const std::string& installationName, const std::string& plugInName, LinkMode mode, SameName sameName);

    ComponentDatabase& db_;
    // Where the rules go while ExplainLink runs, else null.
    LinkRules* explaining_ = nullptr;
    // Where the first refusing rule's reason goes while a request of the
    // host's own runs with the event log on, else null.
    std::string* refusal_ = nullptr;
    // The look-ups of the linking operation now running, or null.
    LinkIndex* active_ = nullptr;
};

}  // namespace comp_mgr

#endif
