// The setup work of preparing an installation: the three class registrations
// rewritten from a copy of themselves, and the tool versions report.
#ifndef COMP_MGR_SERVICES_SETUP_INSTALLATION_SETUP_H
#define COMP_MGR_SERVICES_SETUP_INSTALLATION_SETUP_H

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "services/setup/key_tree_snapshot.h"
#include "services/setup/tool_versions_report.h"

namespace comp_mgr {

// Below HKEY_CLASSES_ROOT, in the order they are rewritten.
extern const char* const kSetupClassKeys[3];

// The report's file name, beside the host program.
constexpr const char* kToolVersionsFileName = "VN_App_Tool_Versions.txt";

class InstallationSetup {
public:
    InstallationSetup(const Platform& platform, FileVersionReader fileVersion)
        : platform_(platform), fileVersion_(std::move(fileVersion)) {}

    // One outcome per class key, in order.
    std::vector<KeyTreeSnapshot::RewriteOutcome> RewriteClassKeys();
    void WriteToolVersionsReport(const std::string& hostPath);

private:
    const Platform& platform_;
    FileVersionReader fileVersion_;
};

}  // namespace comp_mgr

#endif
