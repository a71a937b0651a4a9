// Where the running host lives: its executable, its folder, and the files the
// library keeps beside it; and which catalog locations could name it.
#ifndef COMP_MGR_CATALOG_HOST_PATHS_H
#define COMP_MGR_CATALOG_HOST_PATHS_H

#include <string>

#include "platform/platform.h"

namespace comp_mgr {

// Full path of the process's main executable (not of this library), in its
// long form.
std::string HostExecutablePath(const Platform& platform);
// HostExecutablePath up to and including its last backslash.
std::string HostDirectory(const Platform& platform);
// The host directory followed by vn_app.exe.
std::string HostProgramPath(const Platform& platform);
// The host directory followed by VNTInstallEntry.ini.
std::string InstallEntryPath(const Platform& platform);
// True when the executable's path names an installer of plug-ins.
bool IsInstallerProcess(const Platform& platform);
// GetModuleFileNameA of the main executable into a buffer of `capacity`
// characters, as the process reports it.
std::string ModulePath(const Platform& platform, unsigned capacity);

// False when the display form of `location` cannot be vn_app or vn_app.exe,
// so that the host check need not ask the file system about it.
bool CouldNameHostProgram(const std::string& location);

}  // namespace comp_mgr

#endif
