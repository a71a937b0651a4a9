#include "frame/paths.h"

#include <vector>

#include "support/path_parts.h"
#include "support/text.h"

namespace comp_mgr {

std::string ModulePath(const Platform& platform, unsigned capacity) {
    std::vector<char> buffer(capacity + 1, '\0');
    std::uint32_t n = platform.process.ModuleFileName(buffer.data(), capacity);
    if (n == 0) return std::string();
    if (n > capacity) n = capacity;
    return std::string(buffer.data(), n).c_str();  // stop at a terminator inside
}

std::string HostExecutablePath(const Platform& platform) {
    const unsigned kCapacity = 260;
    std::string module = ModulePath(platform, kCapacity);
    if (module.empty()) return module;
    std::vector<char> buffer(kCapacity + 1, '\0');
    std::uint32_t n = platform.files.LongPathName(module, buffer.data(), kCapacity);
    if (n == 0 || n >= kCapacity) return module;  // no long form: keep what the process reported
    return std::string(buffer.data(), n);
}

std::string HostDirectory(const Platform& platform) {
    return ThroughLastBackslash(HostExecutablePath(platform));
}

std::string HostProgramPath(const Platform& platform) {
    return HostDirectory(platform) + "vn_app.exe";
}

std::string InstallEntryPath(const Platform& platform) {
    return HostDirectory(platform) + "VNTInstallEntry.ini";
}

bool IsInstallerProcess(const Platform& platform) {
    return ToUpper(HostExecutablePath(platform)).find("VNTINSTALL_PLUGIN") != std::string::npos;
}

}  // namespace comp_mgr
