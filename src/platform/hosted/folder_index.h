// What the hosted machine learns of its folders in one run, so that each is
// resolved once: the existing folders by the Windows path that named them,
// and, for the folders where a name had to be matched without regard to
// case, their entries by lower-case name. The machine forgets a folder's
// entries when it changes them itself; names that appear from outside show
// in the next run (exact names are always asked of the file system afresh,
// through a kept descriptor of their folder where there is one).
#ifndef COMP_MGR_PLATFORM_HOSTED_FOLDER_INDEX_H
#define COMP_MGR_PLATFORM_HOSTED_FOLDER_INDEX_H

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace comp_mgr {

class FolderIndex {
public:
    static constexpr int kNotOpened = -2;
    struct Folder {
        std::string hostPath;     // on-disk case
        std::string longPath;     // the Windows path, existing components in on-disk case
        int handle = kNotOpened;  // see Handle()
    };

    FolderIndex() = default;
    FolderIndex(const FolderIndex&) = delete;
    FolderIndex& operator=(const FolderIndex&) = delete;
    ~FolderIndex();

    // The existing folder that `windowsPath` (drive letter and components as
    // written, separated by "\") resolved to, or null.
    Folder* Resolved(const std::string& windowsPath);
    void RememberResolved(const std::string& windowsPath, Folder folder);

    // A descriptor of a remembered folder (O_PATH), opened on first need, for
    // the *at calls: a name in the folder is then one component for the
    // kernel to look up, not the whole path. -1 when none can be had (at most
    // kMaxHandles are kept, so a run of many folders keeps few descriptors).
    int Handle(Folder& folder);
    static constexpr int kMaxHandles = 64;

    // The first entry of `hostFolder` in byte order that equals `name`
    // without regard to case; the folder is read on the first question.
    bool FindNoCase(const std::string& hostFolder, const std::string& name, std::string* actual);

    // The entries of `hostFolder` are read again when next needed.
    void ForgetEntries(const std::string& hostFolder);

private:
    std::unordered_map<std::string, Folder> resolved_;
    int handles_ = 0;
    // The names of one folder in one block, and a table of where each
    // starts, hashed without regard to case: of names equal but for case,
    // only the first in byte order is in the table. A folder of 100,000
    // files costs a few bytes a name and no sort.
    struct Listing {
        static constexpr std::uint32_t kEmpty = 0xffffffffu;
        std::string names;                 // each followed by NUL
        std::vector<std::uint32_t> slots;  // starts in `names`, or kEmpty; a power of two
        const char* at(std::uint32_t start) const;
        void Place(std::uint32_t start);
        const char* Find(const char* name) const;  // the entry for `name`, or null
    };
    std::unordered_map<std::string, Listing> entries_;  // by host folder
};

}  // namespace comp_mgr

#endif
