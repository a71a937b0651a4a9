#include "services/setup/installation_setup.h"

namespace comp_mgr {

const char* const kSetupClassKeys[3] = {
    "CLSID\\{5B7F2E81-D6A0-4C39-B2E4-71F0A8C9D563}",
    "CLSID\\{A9D4E6F0-2C3B-4F58-8E17-0B92D3C4A702}",
    "CLSID\\{3C5E9A12-7B44-4E1A-9D20-5A61C7E0B311}",
};

std::vector<KeyTreeSnapshot::RewriteOutcome> InstallationSetup::RewriteClassKeys() {
    KeyTreeSnapshot snapshot(platform_.registry);
    std::vector<KeyTreeSnapshot::RewriteOutcome> outcomes;
    for (const char* key : kSetupClassKeys) outcomes.push_back(snapshot.RewriteTree(kHkeyClassesRoot, key));
    return outcomes;
}

void InstallationSetup::WriteToolVersionsReport(const std::string& hostPath) {
    ToolVersionsReport report(platform_, fileVersion_);
    report.Run(hostPath, kToolVersionsFileName);
}

}  // namespace comp_mgr
