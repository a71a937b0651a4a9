// The Windows machine kept in a folder: drive X: is ROOT/drive_x, each path
// component is found without regard to case (an exact match first, else the
// first case-insensitive match in byte order), and the current directory is
// the machine's own, never the process's.
//
// A run resolves each folder once (FolderIndex) and each drive folder once;
// the last component of a path is asked of the file system every time, in
// one call when it exists as written (opening a file is that call).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_MACHINE_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_MACHINE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/hosted/folder_index.h"

namespace comp_mgr {

class HostedMachine {
public:
    // `root` is a host folder (made absolute here); `hostExe` and
    // `currentDirectory` are Windows paths. An unusable current directory
    // falls back to the folder of `hostExe`, then to C:\.
    HostedMachine(const std::string& root, const std::string& hostExe, const std::string& currentDirectory);

    const std::string& root() const { return root_; }
    const std::string& hostExe() const { return hostExe_; }
    const std::string& currentDirectory() const { return currentDirectory_; }

    // _fullpath against the machine's current directory; empty when the path
    // cannot be made absolute or needs `capacity` characters or more.
    std::string FullPath(std::string_view path, std::size_t capacity = 32768) const;

    struct Location {
        std::string hostPath;  // under the root; existing components in their on-disk case
        std::string longPath;  // the absolute Windows path, existing components in on-disk case
        std::string name;      // last component (on-disk case when it exists)
        bool exists = false;
        bool isDirectory = false;
        bool folderExists = false;  // everything but the last component exists as folders
        bool isDriveRoot = false;
        // When not -1, a descriptor of the folder that holds `name`, owned by
        // the machine, for opening the file with one component to look up.
        // The machine keeps it open as long as the machine lives.
        int folderHandle = -1;
    };
    // False for a path that cannot be made absolute or names a drive without
    // a folder under the root. With `askLast` false the last component is
    // not looked at: `name` is as written and `exists` false (OpenFile asks
    // by opening), and where `folderHandle` is set the paths are left empty.
    bool Locate(std::string_view path, Location* location, bool askLast = true) const;

    // open(2) of the file `path` names, with `flags`: the exact name in one
    // call, another case only when that name is not there. -1 when the path
    // is not a name in an existing folder or the open fails.
    int OpenFile(std::string_view path, int flags) const;

    // The adapter created, replaced, renamed or removed the file at
    // `hostPath`: the names of its folder are read again when next needed.
    void Changed(const std::string& hostPath);
    // How many changes the adapter has made: an answer found before the
    // count moved may no longer hold.
    std::uint64_t changes() const { return changes_; }

    // Makes an existing folder the current directory.
    bool ChangeDirectory(std::string_view path);

    // ROOT/log/<name>, for the UI and shell logs.
    std::string LogPath(const std::string& name) const;

private:
    bool FindEntry(const std::string& folder, const std::string& name, std::string* actual) const;

    std::string root_;
    std::string hostExe_;
    std::string currentDirectory_;
    mutable FolderIndex folders_;
    mutable std::string scratchKey_;         // the folder key of a Locate, kept for its capacity
    mutable std::uint32_t drivesFound_ = 0;  // bit n: the folder of drive 'A' + n exists
    std::uint64_t changes_ = 0;
};

}  // namespace comp_mgr

#endif
