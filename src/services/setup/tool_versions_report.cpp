#include "services/setup/tool_versions_report.h"

#include <utility>

#include "services/setup/first_file_search.h"
#include "services/setup/version_command.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

constexpr const char* kProductsKey = "SOFTWARE\\Brimwell";
constexpr const char* kKernelContent = "Target Content (Lumakern)";
// Subkey names are enumerated with a buffer of this many bytes.
constexpr std::uint32_t kNameBuffer = 513;

// The name of subkey `index`, or false at the end (or any error).
bool SubkeyName(Registry& registry, RegHandle key, std::uint32_t index, std::string* name) {
    char buffer[kNameBuffer];
    std::uint32_t size = kNameBuffer;
    if (registry.EnumKey(key, index, buffer, &size) != kErrorSuccess) return false;
    name->assign(buffer, size);
    return true;
}

std::string Slashes(const std::string& s) {
    return ReplaceAll(s, "|", "\\");
}

// A mixed-case spelling of the kernel's short name becomes upper case.
std::string Normalised(const std::string& name) {
    const std::size_t at = ToUpper(name).find("LUMA");
    if (at == std::string::npos) return name;
    return ReplaceAll(name, name.substr(at, 4), "LUMA");
}

}  // namespace

ToolVersionsReport::ToolVersionsReport(const Platform& platform, FileVersionReader fileVersion,
                                       std::uint32_t toolWaitMs)
    : platform_(platform), fileVersion_(std::move(fileVersion)), toolWaitMs_(toolWaitMs) {}

ToolVersionsReport::~ToolVersionsReport() {
    CloseProductKey();
}

void ToolVersionsReport::CloseProductKey() {
    if (productKey_) platform_.registry.CloseKey(productKey_);
    productKey_ = 0;
}

void ToolVersionsReport::Run(const std::string& hostPath, const std::string& reportFileName) {
    LocateVersionTool(hostPath);
    if (!FindProductKey(hostPath)) return;
    if (platform_.registry.OpenKey(kHkeyLocalMachine, productKeyPath_, kKeyAllAccess, &productKey_) != kErrorSuccess) {
        productKey_ = 0;
        return;
    }
    if (CreateReportFile(hostPath, reportFileName)) {
        mode_ = kBuildTools;
        CollectBuildTools();
        mode_ = kPackages;
        CollectPackages();
        std::string content;
        for (const std::string& line : lines_) content += line;
        platform_.files.Replace(reportPath_, content, "");
    }
    CloseProductKey();
}

void ToolVersionsReport::LocateVersionTool(const std::string& hostPath) {
    // The tool chain's bin folder stands three levels above the host program.
    versionToolPath_ = hostPath;
    std::string folder = hostPath;
    for (int level = 0; level < 3; ++level) {
        const std::size_t slash = folder.rfind('\\');
        // Without three levels there is no tool to run (the path as it stands
        // could name the host program itself).
        if (slash == std::string::npos) return;
        folder.erase(slash);
    }
    folder += "\\bin";
    versionToolPath_ = folder;
    std::string found;
    if (FindFileFollowingFirstFolder(platform_.files, folder, "vers.exe", &found)) {
        versionToolPath_ = found;
        versionToolFound_ = true;
    }
}

bool ToolVersionsReport::FindProductKey(const std::string& hostPath) {
    Registry& registry = platform_.registry;
    ScopedKey products(registry);
    if (registry.OpenKey(kHkeyLocalMachine, kProductsKey, kKeyAllAccess, products.out()) != kErrorSuccess) return false;
    const std::string host = ToUpper(hostPath);
    std::string name;
    for (std::uint32_t i = 0; SubkeyName(registry, products.get(), i, &name); ++i) {
        ScopedKey product(registry);
        if (registry.OpenKey(products.get(), name, kKeyAllAccess, product.out()) != kErrorSuccess) continue;
        std::string program;
        if (ReadString(product.get(), "VN_APP", &program) && ToUpper(program) == host) {
            productKeyPath_ = std::string(kProductsKey) + "\\" + name;
            return true;
        }
    }
    return false;
}

bool ToolVersionsReport::CreateReportFile(const std::string& hostPath, const std::string& reportFileName) {
    // Beside the host program when its name is spelt as installed; otherwise
    // in the current directory.
    const std::size_t at = hostPath.find("vn_app.exe");
    reportPath_ = (at == std::string::npos ? std::string() : hostPath.substr(0, at)) + reportFileName;
    platform_.files.Remove(reportPath_);
    // The file is made at once, empty, so that a folder that takes no file
    // ends the run before anything is recorded.
    return platform_.files.Replace(reportPath_, "", "");
}

void ToolVersionsReport::CollectBuildTools() {
    Registry& registry = platform_.registry;
    std::string family;
    for (std::uint32_t i = 0; SubkeyName(registry, productKey_, i, &family); ++i) {
        ScopedKey tools(registry);
        if (registry.OpenKey(kHkeyLocalMachine, productKeyPath_ + "\\" + family + "\\Build Tools", kKeyAllAccess,
                             tools.out()) != kErrorSuccess) {
            continue;
        }
        std::string toolKey;
        if (ReadString(tools.get(), nullptr, &toolKey)) Describe(toolKey, family);
    }
}

void ToolVersionsReport::CollectPackages() {
    Registry& registry = platform_.registry;
    const std::string packagesPath = productKeyPath_ + "\\Packages";
    ScopedKey packages(registry);
    if (registry.OpenKey(kHkeyLocalMachine, packagesPath, kKeyAllAccess, packages.out()) != kErrorSuccess) return;
    std::string family;
    for (std::uint32_t i = 0; SubkeyName(registry, packages.get(), i, &family); ++i) {
        ScopedKey familyKey(registry);
        if (registry.OpenKey(packages.get(), family, kKeyAllAccess, familyKey.out()) != kErrorSuccess) continue;
        std::string package;
        for (std::uint32_t j = 0; SubkeyName(registry, familyKey.get(), j, &package); ++j) {
            const std::string path = packagesPath + "\\" + family + "\\" + package;
            if (path.find("LUMA") == std::string::npos) continue;
            ScopedKey packageKey(registry);
            std::string toolKey;
            if (registry.OpenKey(kHkeyLocalMachine, path, kKeyAllAccess, packageKey.out()) != kErrorSuccess ||
                !ReadString(packageKey.get(), nullptr, &toolKey)) {
                break;  // the rest of this family's packages are not looked at
            }
            Describe(toolKey, family);
        }
    }
}

void ToolVersionsReport::Describe(const std::string& keyPath, const std::string& label) {
    Registry& registry = platform_.registry;
    ScopedKey key(registry);
    if (registry.OpenKey(kHkeyLocalMachine, keyPath, kKeyAllAccess, key.out()) != kErrorSuccess) return;
    std::string name;
    if (!ReadString(key.get(), "ProductName", &name)) return;

    if (mode_ == kPackages) {
        std::string version;
        if (ReadString(key.get(), "Version", &version)) AddLine(label, Normalised(name), version);
        return;
    }

    bool compilerFound = false;
    std::string version;
    const std::size_t cgt = keyPath.find("CGT_");
    if (cgt != std::string::npos) {
        std::string compiler;
        if (FindFileFollowingFirstFolder(platform_.files, Slashes(keyPath.substr(cgt + 4)), "cl*.exe", &compiler)) {
            if (fileVersion_) version = fileVersion_(compiler);
            compilerFound = true;
            const std::string stored = version + '\0';
            registry.SetValue(key.get(), "Version", kRegSz, reinterpret_cast<const std::uint8_t*>(stored.data()),
                              static_cast<std::uint32_t>(stored.size()));
        }
    }
    const std::string content = KernelContent(keyPath);
    if (!content.empty()) AddLine(label, kKernelContent, content);
    if (compilerFound) AddLine(label, Normalised(name), version);
}

std::string ToolVersionsReport::KernelContent(const std::string& keyPath) {
    // The kernel content sits beside the tool chain's cgtools folder, on the
    // drive the key path names before ":|".
    const std::size_t drive = keyPath.find(":|");
    if (drive == std::string::npos || drive == 0) return std::string();
    std::string folder = keyPath.substr(drive - 1);
    const std::size_t cgtools = folder.find("cgtools");
    if (cgtools != std::string::npos) folder = folder.substr(0, cgtools) + "luma|";
    folder = Slashes(folder);
    std::string file;
    if (!FindFileFollowingFirstFolder(platform_.files, folder, "luma.a*", &file) &&
        !FindFileFollowingFirstFolder(platform_.files, folder, "clk*.h", &file)) {
        return std::string();
    }
    if (!versionToolFound_) return std::string();
    std::string text = VersionCommand(versionToolPath_, file).Run(platform_.process, toolWaitMs_);
    if (text.empty()) return text;
    const std::size_t kernel = text.find("Lumakern");
    if (kernel != std::string::npos) text.erase(0, kernel);
    std::string line;
    for (char c : text)
        if (c != '\r' && c != '\n') line += c;
    return line;
}

void ToolVersionsReport::AddLine(const std::string& label, const std::string& name, const std::string& version) {
    if (mode_ == kPackages) {
        // A package's recorded version supersedes the kernel content the
        // build-tools pass found for the same family.
        const std::string prefix = label + " : " + kKernelContent + " :";
        for (std::string& line : lines_) {
            if (line.find(prefix) != std::string::npos) {
                line = prefix + " " + version + "\r\n";
                return;
            }
        }
    }
    lines_.push_back(label + " : " + name + " : " + version + "\r\n");
}

bool ToolVersionsReport::ReadString(RegHandle key, const char* name, std::string* value) const {
    std::string buffer(valueBufferSize_, '\0');
    std::uint32_t size = valueBufferSize_;
    std::uint32_t type = kRegNone;
    if (platform_.registry.QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(&buffer[0]), &size) !=
        kErrorSuccess) {
        return false;
    }
    // Only text is read as text: a number or bytes under the name count as
    // no value.
    if (type != kRegSz && type != kRegExpandSz) return false;
    buffer.resize(size);
    value->assign(buffer.substr(0, buffer.find('\0')));
    return true;
}

}  // namespace comp_mgr
