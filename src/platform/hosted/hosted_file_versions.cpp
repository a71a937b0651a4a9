#include "platform/hosted/hosted_file_versions.h"

#include <string_view>

#include "platform/hosted/host_file_io.h"
#include "platform/hosted/pe_version_resource.h"
#include "platform/memory/version_block.h"

namespace comp_mgr {

bool HostedFileVersions::ReadFile(const std::string& path, std::string* content) const {
    HostedMachine::Location loc;
    if (path.empty() || !machine_.Locate(path, &loc) || !loc.exists || loc.isDirectory) return false;
    return host_io::ReadFile(loc.hostPath, content);
}

std::uint32_t HostedFileVersions::InfoSize(const std::string& path) {
    std::string file;
    std::string_view resource;
    if (!ReadFile(path, &file) || !FindVersionResource(file, &resource)) return 0;
    return VersionInfoSizeFor(resource.size());
}

bool HostedFileVersions::ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) {
    std::string file;
    std::string_view resource;
    if (!ReadFile(path, &file) || !FindVersionResource(file, &resource)) return false;
    FillVersionBlock(resource, size, block);
    return true;
}

bool HostedFileVersions::QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) {
    return QueryVersionBlock(block, subBlock, value);
}

}  // namespace comp_mgr
