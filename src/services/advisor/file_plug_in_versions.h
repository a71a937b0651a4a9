// Plug-in versions read from the files themselves: each lookup loads the
// file's version resource afresh, so a plug-in updated since the last
// start-up is sent with its new version.
#ifndef COMP_MGR_SERVICES_ADVISOR_FILE_PLUG_IN_VERSIONS_H
#define COMP_MGR_SERVICES_ADVISOR_FILE_PLUG_IN_VERSIONS_H

#include "platform/file_versions.h"
#include "services/advisor/plug_in_versions.h"

namespace comp_mgr {

class FilePlugInVersions : public PlugInVersions {
public:
    explicit FilePlugInVersions(FileVersions& versions) : versions_(versions) {}
    PlugInVersion Lookup(const std::string& path, std::uint32_t translation) override;

private:
    FileVersions& versions_;
};

}  // namespace comp_mgr

#endif
