// Why a plug-in may or may not be linked: the linker's own rule code, run
// without effect.
#include "services/linking/link_explanation.h"

#include <set>
#include <utility>

#include "services/linking/link_scope.h"

namespace comp_mgr {

LinkExplanation Linker::ExplainLink(const std::string& installationName, const std::string& plugInName) {
    LinkExplanation result;
    // What the evaluation marks is put back: asking is no change.
    const std::uint32_t flags = db_.flags();
    CatalogEntry* installation = db_.Entry(installationName);
    const std::int32_t status = installation ? installation->Status : 0;
    auto restore = [&] {
        explaining_ = nullptr;
        db_.ClearFlags(~0u);
        db_.SetFlags(flags);
        if (installation) installation->Status = status;
    };
    LinkRules requestRules;
    try {
        explaining_ = &result.rules;
        result.check = LinkPlugIn(installationName, plugInName, LinkMode::kCheck, SameName::kMakeRoom);
        result.linked = installation && IsLinked(installationName, plugInName) == 1;
        result.request = result.linked ? LinkMode::kUnlink : LinkMode::kLink;
        // Inside a running operation the dry run's lists would be committed
        // with it, so the request is then left unexplained.
        if (!active_) {
            explaining_ = &requestRules;
            Scope dryRun(*this);  // never committed: the link lists stay as they are
            result.requestAnswer = LinkPlugIn(installationName, plugInName, result.request, SameName::kMakeRoom);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    // The rules the check tested are the request's too, with the same
    // outcome; each is told once, in the check's place.
    std::set<std::string> told;
    for (const LinkRule& rule : result.rules) told.insert(rule.rule);
    for (LinkRule& rule : requestRules)
        if (!told.count(rule.rule)) result.rules.push_back(std::move(rule));
    return result;
}

std::string LinkExplanationText(const LinkExplanation& explanation) {
    std::string text;
    auto line = [&text](const std::string& rule, bool ok, const std::string& reason) {
        text += rule + (ok ? ": ok: " : ": refused: ") + reason + "\n";
    };
    for (const LinkRule& rule : explanation.rules) line(rule.rule, rule.ok, rule.reason);
    line("check", explanation.check == 1,
         std::string("bLinkPlugIns mode 2 answers ") + (explanation.check == 1 ? "1" : "0"));
    const bool link = explanation.request == LinkMode::kLink;
    line(link ? "link" : "unlink", explanation.requestAnswer == 1,
         std::string("bLinkPlugIns mode ") + (link ? "1" : "0") + " would answer " +
             (explanation.requestAnswer == 1 ? "1" : "0"));
    return text;
}

}  // namespace comp_mgr
