#include "services/advisor/file_plug_in_versions.h"

#include "services/versions/version.h"

namespace comp_mgr {

PlugInVersion FilePlugInVersions::Lookup(const std::string& path, std::uint32_t translation) {
    PlugInVersion result;
    CVersion version(versions_);
    // An incomplete resource counts as unread: the plug-in goes by its Sku.
    result.loaded = version.Load(path);
    if (result.loaded) result.found = version.GetFileVersion(translation, result.fileVersion);
    return result;
}

}  // namespace comp_mgr
