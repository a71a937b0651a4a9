// A compiler's version as the tool versions report records it.
#ifndef COMP_MGR_SERVICES_SETUP_COMPILER_VERSION_H
#define COMP_MGR_SERVICES_SETUP_COMPILER_VERSION_H

#include <string>

#include "platform/file_versions.h"

namespace comp_mgr {

// The "FileVersion" text of the file's version resource, through the first
// language and code page of its translation table; empty when the file has
// no version resource, no table, or no such text.
std::string CompilerFileVersion(FileVersions& versions, const std::string& path);

}  // namespace comp_mgr

#endif
