// The tool chain's file search: a pattern in a folder, else in the folder's
// first subfolder, and so on down, never in a later subfolder.
#ifndef COMP_MGR_SERVICES_SETUP_FIRST_FILE_SEARCH_H
#define COMP_MGR_SERVICES_SETUP_FIRST_FILE_SEARCH_H

#include <string>

#include "platform/files.h"

namespace comp_mgr {

// Looks for `directory\pattern`; the first match's full path goes to `result`.
// Without a match the search goes on in the first entry of `directory\*` that
// is a folder other than "." and "..", and only there. It ends, failing, at a
// folder without subfolders, or when the path would reach 260 characters, so
// that a deep tree or a cycle through a link cannot hold it.
bool FindFileFollowingFirstFolder(Files& files, const std::string& directory, const std::string& pattern,
                                  std::string* result);

}  // namespace comp_mgr

#endif
