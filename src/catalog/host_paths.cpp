#include "catalog/host_paths.h"

#include <string_view>
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

bool CouldNameHostProgram(const std::string& location) {
    // The shell shows a file under its own name, perhaps without extension,
    // and a short 8.3 alias under the long name. So only a location whose last
    // component starts with vn_app, holds a tilde, or is not a plain name
    // ("", ".", "..") can be shown as vn_app or vn_app.exe.
    const std::size_t cut = location.find_last_of("\\/:");
    const std::string_view name =
        cut == std::string::npos ? std::string_view(location) : std::string_view(location).substr(cut + 1);
    if (name.empty() || name == "." || name == ".." || name.find('~') != std::string_view::npos) return true;
    return name.size() >= 6 && EqualsNoCase(name.substr(0, 6), "vn_app");
}

}  // namespace comp_mgr
