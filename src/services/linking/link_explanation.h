// The text of a link explanation, one line per rule: "<rule>: ok: <why>" or
// "<rule>: refused: <why>", then the verdicts "check: ..." (what mode 2 of
// bLinkPlugIns answers) and "link: ..." or "unlink: ..." (the next request).
#ifndef COMP_MGR_SERVICES_LINKING_LINK_EXPLANATION_H
#define COMP_MGR_SERVICES_LINKING_LINK_EXPLANATION_H

#include <string>

#include "services/linking/linker.h"

namespace comp_mgr {

std::string LinkExplanationText(const LinkExplanation& explanation);

}  // namespace comp_mgr

#endif
