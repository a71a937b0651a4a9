// Windows path arithmetic as the C runtime does it (_fullpath, _splitpath),
// without touching any file system, so every adapter resolves paths alike.
#ifndef COMP_MGR_SUPPORT_WIN_PATH_H
#define COMP_MGR_SUPPORT_WIN_PATH_H

#include <string>
#include <string_view>
#include <vector>

namespace comp_mgr {

inline bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

struct SplitPathParts {
    std::string drive;  // "C:" or empty
    std::string dir;    // up to and including the last separator
    std::string fname;  // file name without extension
    std::string ext;    // from the last '.' of the file name, or empty
};

// _splitpath.
SplitPathParts SplitPath(std::string_view path);

// _fullpath against a current directory (itself absolute, "C:\x\y"): makes
// `path` absolute, resolves "." and "..", reduces doubled separators and
// writes backslashes. A trailing separator stays. Empty when `path` cannot be
// made absolute or the result needs more than `capacity` characters with its
// terminator.
std::string FullPath(std::string_view currentDirectory, std::string_view path, std::size_t capacity = 260);

// The components of an absolute path after its drive ("C:\a\b" -> {"a", "b"}).
std::vector<std::string> PathComponents(std::string_view absolutePath);

// Upper-case drive letter of "X:..." or 0.
char DriveLetter(std::string_view path);

// Case-insensitive match of a name against a pattern with * and ?.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace comp_mgr

#endif
