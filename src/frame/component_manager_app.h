// The one application object of the library: it owns the catalog for the
// whole life of the process and runs the start-up and unload steps.
#ifndef COMP_MGR_FRAME_COMPONENT_MANAGER_APP_H
#define COMP_MGR_FRAME_COMPONENT_MANAGER_APP_H

#include <cstdint>
#include <string>

#include "catalog/component_database.h"
#include "platform/platform.h"

namespace comp_mgr {

class ComponentManagerApp {
public:
    // Constructs the database, which opens the database file.
    explicit ComponentManagerApp(const Platform& platform);

    // Load, registry plug-in scan, then the two start-up repairs.
    int InitInstance();
    // Unless the host aborted: renumbering, then the save.
    int ExitInstance();

    // Shows and empties the message the load left for the user, if any.
    void ShowPendingMessage();

    const Platform& platform() const { return platform_; }

    const Platform& platform_;
    ComponentDatabase database;
    std::int32_t abortUpdate = 0;
    std::string pendingMessage;
};

// Caption of every message box the library shows.
extern const char kMessageCaption[];

}  // namespace comp_mgr

#endif
