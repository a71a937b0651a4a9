// The hosted machine the tool runs on: refusing a root that is no machine,
// and making a fresh one.
#ifndef COMP_MGR_TOOL_MACHINE_ROOT_H
#define COMP_MGR_TOOL_MACHINE_ROOT_H

#include <ostream>
#include <string>

namespace comp_mgr_tool {

// The root a run uses: --root, else VNT_ROOT, else ./vnt-machine.
std::string EffectiveRoot(bool hasRoot, const std::string& root);

// False with the reason when `root` is not a folder holding registry.reg, so
// a mistyped root is refused instead of being created empty.
bool IsMachineRoot(const std::string& root, std::string* reason);

// Creates a machine at `root`: the registry naming the catalog's folder,
// drive C: with the host program's folder and an empty catalog. Refuses a
// root that already holds a registry. Returns the exit status.
int InitMachine(const std::string& root, std::ostream& out, std::ostream& err);

}  // namespace comp_mgr_tool

#endif
