#include "platform/memory/memory_file_versions.h"

#include <utility>

#include "platform/memory/version_block.h"
#include "support/text.h"

namespace comp_mgr {

void MemoryFileVersions::SetResource(const std::string& path, std::string resource) {
    resources_[ToUpper(path)] = std::move(resource);
}

void MemoryFileVersions::Remove(const std::string& path) {
    resources_.erase(ToUpper(path));
}

void MemoryFileVersions::SetReadFails(const std::string& path, bool fails) {
    if (fails) {
        readFails_.insert(ToUpper(path));
    } else {
        readFails_.erase(ToUpper(path));
    }
}

const std::string* MemoryFileVersions::Find(const std::string& path) const {
    const auto it = resources_.find(ToUpper(path));
    return it == resources_.end() ? nullptr : &it->second;
}

std::uint32_t MemoryFileVersions::InfoSize(const std::string& path) {
    const std::string* resource = Find(path);
    return resource ? VersionInfoSizeFor(resource->size()) : 0;
}

bool MemoryFileVersions::ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) {
    ++reads_;
    const std::string* resource = Find(path);
    if (!resource || readFails_.count(ToUpper(path)) != 0) return false;
    FillVersionBlock(*resource, size, block);
    return true;
}

bool MemoryFileVersions::QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) {
    return QueryVersionBlock(block, subBlock, value);
}

}  // namespace comp_mgr
