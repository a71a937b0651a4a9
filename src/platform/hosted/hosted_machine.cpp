#include "platform/hosted/hosted_machine.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "support/path_parts.h"
#include "support/text.h"
#include "support/win_path.h"

namespace comp_mgr {
namespace {

std::string AbsoluteHostPath(std::string path) {
    if (path.empty()) path = "vnt-machine";
    if (path.front() != '/') {
        std::vector<char> buffer(4096);
        if (::getcwd(buffer.data(), buffer.size())) path = std::string(buffer.data()) + "/" + path;
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The entry of `folder` that stands for `name`: the exact name if it is
// there, else the first case-insensitive match in byte order.
bool FindEntry(const std::string& folder, const std::string& name, std::string* actual) {
    struct stat st;
    if (::lstat((folder + "/" + name).c_str(), &st) == 0) {
        *actual = name;
        return true;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    bool found = false;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view candidate(entry->d_name);
        if (candidate == "." || candidate == "..") continue;
        if (!EqualsNoCase(candidate, name)) continue;
        if (!found || candidate < std::string_view(*actual)) *actual = std::string(candidate);
        found = true;
    }
    ::closedir(dir);
    return found;
}

bool IsFolder(const std::string& hostPath) {
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

HostedMachine::HostedMachine(const std::string& root, const std::string& hostExe, const std::string& currentDirectory)
    : root_(AbsoluteHostPath(root)), hostExe_(hostExe) {
    std::string exeFolder = comp_mgr::FullPath("C:\\", WindowsFolder(hostExe));
    if (exeFolder.empty()) exeFolder = "C:\\";
    std::string cwd = currentDirectory.empty() ? exeFolder : comp_mgr::FullPath(exeFolder, currentDirectory);
    if (cwd.empty()) cwd = exeFolder;
    while (cwd.size() > 3 && cwd.back() == '\\') cwd.pop_back();
    currentDirectory_ = cwd;
}

std::string HostedMachine::FullPath(std::string_view path, std::size_t capacity) const {
    return comp_mgr::FullPath(currentDirectory_, path, capacity);
}

bool HostedMachine::Locate(std::string_view path, Location* location) const {
    if (path.find('\0') != std::string_view::npos) return false;
    // "\\server\share" is a network path, outside every drive of the machine.
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) return false;
    const std::string full = FullPath(path);
    const char drive = DriveLetter(full);
    if (full.empty() || !drive) return false;
    const std::string driveFolder = root_ + "/drive_" + AsciiLower(drive);
    if (!IsFolder(driveFolder)) return false;

    Location loc;
    loc.hostPath = driveFolder;
    loc.longPath = std::string(1, drive) + ":";
    const std::vector<std::string> parts = PathComponents(full);
    bool present = true;
    bool folder = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        if (last) loc.folderExists = present && folder;
        std::string actual = parts[i];
        if (present && folder && FindEntry(loc.hostPath, parts[i], &actual)) {
            loc.hostPath += "/" + actual;
            folder = IsFolder(loc.hostPath);
        } else {
            present = false;
            loc.hostPath += "/" + parts[i];
        }
        loc.longPath += "\\" + actual;
        loc.name = actual;
    }
    if (parts.empty()) {
        loc.longPath += "\\";
        loc.name = std::string(1, drive) + ":";
        loc.isDriveRoot = true;
        loc.folderExists = true;
    } else if (full.back() == '\\') {
        loc.longPath += "\\";
    }
    loc.exists = present;
    loc.isDirectory = present && folder;
    *location = std::move(loc);
    return true;
}

bool HostedMachine::ChangeDirectory(std::string_view path) {
    Location loc;
    if (!Locate(path, &loc) || !loc.isDirectory) return false;
    std::string full = FullPath(path);
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    currentDirectory_ = full;
    return true;
}

std::string HostedMachine::LogPath(const std::string& name) const {
    return root_ + "/log/" + name;
}

}  // namespace comp_mgr
