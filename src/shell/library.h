// The library's global state: the application object of this process, made
// on first use and torn down when the library is unloaded.
#ifndef COMP_MGR_SHELL_LIBRARY_H
#define COMP_MGR_SHELL_LIBRARY_H

#include <memory>

#include "app/component_manager_app.h"
#include "platform/process_platform.h"

namespace comp_mgr {
namespace library {

// The application object, constructed and initialised on the first call.
// Null only if that failed.
ComponentManagerApp* App();

// The ports of this process, made if need be, without the application
// object: for an export that needs neither the catalog nor the start-up
// (reading a file's version information for the tool). Null if that failed.
const Platform* ProcessPorts();

// Runs the exit hook (only if the start-up ran) and destroys the object.
void Shutdown();

// Called after every export so that changes to the system are durable.
void AfterCall();

}  // namespace library
}  // namespace comp_mgr

#endif
