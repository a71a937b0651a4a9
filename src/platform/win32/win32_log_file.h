// Appending one line to a log of the log folder (VNT_LOG_DIR).
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_LOG_FILE_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_LOG_FILE_H

#include <string>

namespace comp_mgr {

// Appends `line` and a line feed to `folder`\`name`, making the folder (not
// its parents); a log that cannot be written is skipped silently.
void AppendToLogFile(const std::string& folder, const std::string& name, const std::string& line);

}  // namespace comp_mgr

#endif
