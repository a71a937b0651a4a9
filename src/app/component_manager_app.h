// The one application object of the library: it owns the catalog and the
// services for the whole life of the process and runs the start-up and
// unload steps.
#ifndef COMP_MGR_APP_COMPONENT_MANAGER_APP_H
#define COMP_MGR_APP_COMPONENT_MANAGER_APP_H

#include <string>

#include "app/services.h"
#include "catalog/component_database.h"
#include "platform/platform.h"
#include "services/advisor/file_plug_in_versions.h"
#include "services/advisor/web_settings.h"
#include "services/repairs/startup_record.h"

namespace comp_mgr {

class ComponentManagerApp {
public:
    // Tells the component engine about the host, then opens the database
    // file.
    explicit ComponentManagerApp(const Platform& platform);
    ComponentManagerApp(const ComponentManagerApp&) = delete;
    ComponentManagerApp& operator=(const ComponentManagerApp&) = delete;

    // Load, registry plug-in scan, then the two start-up repairs.
    int InitInstance();
    // Unless the host aborted: renumbering, then the save.
    int ExitInstance();

    // Shows and empties the message the load left for the user, if any.
    void ShowPendingMessage();
    const std::string& pendingMessage() const { return pendingMessage_; }

    // The run's changes are not to be saved at unload.
    void AbortUpdate() { abortUpdate_ = true; }

    ComponentDatabase& database() { return database_; }
    Services& services() { return services_; }
    WebSettings& webSettings() { return webSettings_; }
    const Platform& platform() const { return platform_; }
    // What the start-up of this run found and repaired.
    const StartupRecord& startupRecord() const { return startupRecord_; }

private:
    const Platform& platform_;
    ComponentDatabase database_;
    Services services_;
    FilePlugInVersions plugInVersions_;  // before the advisor that points at it
    WebSettings webSettings_;
    bool abortUpdate_ = false;
    std::string pendingMessage_;
    StartupRecord startupRecord_;
};

}  // namespace comp_mgr

#endif
