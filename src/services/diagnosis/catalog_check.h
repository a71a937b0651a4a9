// The catalog's health as a person would want it checked: what the start-up
// of this run repaired, files and links that lead nowhere, plug-ins of one
// name linked twice, servers that do not load, and the state of the backup.
// It changes nothing: servers are loaded and freed, never called.
#ifndef COMP_MGR_SERVICES_DIAGNOSIS_CATALOG_CHECK_H
#define COMP_MGR_SERVICES_DIAGNOSIS_CATALOG_CHECK_H

#include <string>
#include <vector>

#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/repairs/startup_record.h"

namespace comp_mgr {

struct Finding {
    bool problem = true;  // false: worth knowing, nothing wrong
    std::string kind;     // "missing-file", "dangling-link", ...
    std::string section;  // empty when the finding is not about one section
    std::string text;
};

class CatalogCheck {
public:
    CatalogCheck(ComponentDatabase& database, const Platform& platform, const StartupRecord& startup)
        : db_(database), platform_(platform), startup_(startup) {}

    std::vector<Finding> Run();

private:
    void CheckStartup(std::vector<Finding>* findings);
    void CheckFiles(std::vector<Finding>* findings);
    void CheckLinks(std::vector<Finding>* findings);
    void CheckServers(std::vector<Finding>* findings);
    void CheckBackup(std::vector<Finding>* findings);

    ComponentDatabase& db_;
    const Platform& platform_;
    const StartupRecord& startup_;
};

// One line a finding: "problem|<kind>|<section>|<text>" or "note|...".
std::string FindingsText(const std::vector<Finding>& findings);
int ProblemCount(const std::vector<Finding>& findings);

}  // namespace comp_mgr

#endif
