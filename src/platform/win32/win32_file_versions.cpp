#include "platform/win32/win32_file_versions.h"

#include <algorithm>

#include "platform/win32/windows_api.h"

#include <winver.h>

namespace comp_mgr {

std::uint32_t Win32FileVersions::InfoSize(const std::string& path) {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path.c_str(), &handle);
}

bool Win32FileVersions::ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) {
    // The slack of zeros keeps what VerQueryValueA reads and converts, even
    // for a resource that lies about its lengths, inside the block.
    block->assign(std::size_t{size} + kVersionBlockSlack, 0);
    return GetFileVersionInfoA(path.c_str(), 0, size, block->data()) != FALSE;
}

bool Win32FileVersions::QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) {
    void* found = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueA(block.data(), subBlock.c_str(), &found, &length) || !found) {
        *value = VersionValue{};
        return false;
    }
    value->length = length;
    value->bytes.clear();
    const auto* at = static_cast<const unsigned char*>(found);
    const unsigned char* end = block.data() + block.size();
    if (at >= block.data() && at < end) {
        const std::size_t inside = std::min<std::size_t>(length, static_cast<std::size_t>(end - at));
        value->bytes.assign(reinterpret_cast<const char*>(at), inside);
    }
    return true;
}

}  // namespace comp_mgr
