// The version-information port on the hosted machine: the version resource
// is read out of the PE file itself (pe_version_resource.h) and answered as
// Windows answers for it (platform/memory/version_block.h).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_FILE_VERSIONS_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_FILE_VERSIONS_H

#include <string>

#include "platform/file_versions.h"
#include "platform/hosted/hosted_machine.h"

namespace comp_mgr {

class HostedFileVersions : public FileVersions {
public:
    explicit HostedFileVersions(const HostedMachine& machine) : machine_(machine) {}

    std::uint32_t InfoSize(const std::string& path) override;
    bool ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) override;
    bool QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) override;

private:
    // The file's content, when it is a regular file on the machine.
    bool ReadFile(const std::string& path, std::string* content) const;

    const HostedMachine& machine_;
};

}  // namespace comp_mgr

#endif
