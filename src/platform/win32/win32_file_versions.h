// The version-information port on Windows: the system's own functions.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_FILE_VERSIONS_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_FILE_VERSIONS_H

#include "platform/file_versions.h"

namespace comp_mgr {

class Win32FileVersions : public FileVersions {
public:
    std::uint32_t InfoSize(const std::string& path) override;
    bool ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) override;
    // A value found past the block (a resource that lies) is returned with
    // the bytes of it that lie inside.
    bool QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) override;
};

}  // namespace comp_mgr

#endif
