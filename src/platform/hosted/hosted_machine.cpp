#include "platform/hosted/hosted_machine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool HostedMachine::Locate(std::string_view path, Location* location, bool askLast) const {
    if (path.find('\0') != std::string_view::npos) return false;
    // "\\server\share" is a network path, outside every drive of the machine.
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) return false;
    const std::string full = FullPath(path);
    const char drive = DriveLetter(full);
    if (full.empty() || !drive) return false;
    // Made only where needed: a path in a known folder does without it.
    const auto driveFolder = [&] { return root_ + "/drive_" + AsciiLower(drive); };
    const std::uint32_t driveBit = std::uint32_t{1} << (drive - 'A');
    if (!(drivesFound_ & driveBit)) {
        if (!IsFolder(driveFolder())) return false;
        drivesFound_ |= driveBit;
    }

    Location loc;
    // `full` is normalised ("X:\a\b", maybe with one trailing separator): its
    // components are the pieces between single backslashes.
    std::string_view body(full);
    if (body.size() > 3 && body.back() == '\\') body.remove_suffix(1);
    if (body.size() <= 3) {
        loc.hostPath = driveFolder();
        loc.longPath = std::string(1, drive) + ":\\";
        loc.name = std::string(1, drive) + ":";
        loc.isDriveRoot = true;
        loc.folderExists = true;
        loc.exists = true;
        loc.isDirectory = true;
        *location = std::move(loc);
        return true;
    }
    const std::size_t lastSlash = body.rfind('\\');
    const std::string_view last = body.substr(lastSlash + 1);

    // The folders down to the last component: remembered once found, so a
    // known folder is one look-up.
    bool present = true;
    std::string& key = scratchKey_;
    key.assign(1, drive);
    key += ':';
    if (lastSlash == 2) {
        loc.hostPath = driveFolder();
        loc.longPath = key;
    } else if (FolderIndex::Folder* known = folders_.Resolved(key.append(body.substr(2, lastSlash - 2)))) {
        loc.folderHandle = folders_.Handle(*known);
        if (!askLast && loc.folderHandle >= 0) {
            // Opening through the folder's descriptor needs the name only.
            loc.folderExists = true;
            loc.name.assign(last);
            *location = std::move(loc);
            return true;
        }
        loc.hostPath = known->hostPath;
        loc.longPath = known->longPath;
    } else {
        key.resize(2);
        FolderIndex::Folder folder{driveFolder(), key};
        std::size_t at = 3;  // the first component
        while (at < lastSlash) {
            std::size_t end = body.find('\\', at);
            const std::string_view part = body.substr(at, end - at);
            at = end + 1;
            key += '\\';
            key += part;
            if (const FolderIndex::Folder* resolved = folders_.Resolved(key)) {
                folder = *resolved;
                continue;
            }
            const std::string written(part);
            std::string actual = written;
            const bool found = FindEntry(folder.hostPath, written, &actual);
            folder.hostPath += '/';
            folder.hostPath += actual;
            folder.longPath += '\\';
            folder.longPath += actual;
            if (!found || !IsFolder(folder.hostPath)) {
                present = false;
                break;
            }
            folders_.RememberResolved(key, folder);
        }
        loc.hostPath = std::move(folder.hostPath);
        loc.longPath = std::move(folder.longPath);
        // What does not exist stays as written.
        for (; at < lastSlash; at = body.find('\\', at) + 1) {
            const std::string_view part = body.substr(at, body.find('\\', at) - at);
            loc.hostPath += '/';
            loc.hostPath += part;
            loc.longPath += '\\';
            loc.longPath += part;
        }
    }
    loc.folderExists = present;

    // The last component: one call when it exists as written.
    std::string actual(last);
    if (present && askLast) {
        struct stat st;
        const auto statInFolder = [&loc, &st](const std::string& name) {
            if (loc.folderHandle >= 0) return ::fstatat(loc.folderHandle, name.c_str(), &st, 0) == 0;
            return ::stat((loc.hostPath + "/" + name).c_str(), &st) == 0;
        };
        bool known = statInFolder(actual);
        if (!known && FindEntry(loc.hostPath, std::string(last), &actual)) {
            // Another case, or a link that leads nowhere (a name that is taken).
            loc.exists = true;
            known = statInFolder(actual);
        }
        if (known) {
            loc.exists = true;
            loc.isDirectory = S_ISDIR(st.st_mode);
        }
    }
    loc.hostPath += '/';
    loc.hostPath += actual;
    loc.longPath += '\\';
    loc.longPath += actual;
    loc.name = std::move(actual);
    loc.isDirectory = loc.exists && loc.isDirectory;
    if (full.back() == '\\') loc.longPath += "\\";
    *location = std::move(loc);
    return true;
}

int HostedMachine::OpenFile(std::string_view path, int flags) const {
    const auto open = [flags](const Location& at) {
        return at.folderHandle >= 0 ? ::openat(at.folderHandle, at.name.c_str(), flags)
                                    : ::open(at.hostPath.c_str(), flags);
    };
    Location loc;
    if (!Locate(path, &loc, false) || !loc.folderExists || loc.isDriveRoot) return -1;
    const int fd = open(loc);
    if (fd >= 0 || errno != ENOENT) return fd;
    // Not there as written: the name in another case, if the folder has one.
    Location asked;
    if (!Locate(path, &asked) || !asked.exists || asked.name == loc.name) return -1;  // absent, or a dangling link
    return open(asked);
}

// The entry of `folder` that stands for `name`: the exact name if it is
// there, else the first case-insensitive match in byte order.
bool HostedMachine::FindEntry(const std::string& folder, const std::string& name, std::string* actual) const {
    struct stat st;
    if (::lstat((folder + "/" + name).c_str(), &st) == 0) {
        *actual = name;
        return true;
    }
    return folders_.FindNoCase(folder, name, actual);
}

void HostedMachine::Changed(const std::string& hostPath) {
    ++changes_;
    const std::size_t slash = hostPath.rfind('/');
    if (slash != std::string::npos) folders_.ForgetEntries(hostPath.substr(0, slash));
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
