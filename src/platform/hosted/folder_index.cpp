#include "platform/hosted/folder_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <string_view>

#include "support/text.h"

namespace comp_mgr {

FolderIndex::~FolderIndex() {
    for (auto& item : resolved_)
        if (item.second.handle >= 0) ::close(item.second.handle);
}

FolderIndex::Folder* FolderIndex::Resolved(const std::string& windowsPath) {
    auto found = resolved_.find(windowsPath);
    return found == resolved_.end() ? nullptr : &found->second;
}

void FolderIndex::RememberResolved(const std::string& windowsPath, Folder folder) {
    // A copy names the same folder but owns no descriptor.
    folder.handle = kNotOpened;
    auto slot = resolved_.try_emplace(windowsPath, std::move(folder));
    if (!slot.second) {
        if (slot.first->second.handle >= 0) {
            ::close(slot.first->second.handle);
            --handles_;
        }
        slot.first->second = std::move(folder);
    }
}

int FolderIndex::Handle(Folder& folder) {
    if (folder.handle != kNotOpened) return folder.handle;
    folder.handle = -1;
    if (handles_ >= kMaxHandles) return -1;
    folder.handle = ::open(folder.hostPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder.handle >= 0) ++handles_;
    return folder.handle;
}

bool FolderIndex::FindNoCase(const std::string& hostFolder, const std::string& name, std::string* actual) {
    auto listed = entries_.find(hostFolder);
    if (listed == entries_.end()) {
        std::unordered_map<std::string, std::string> byLowerName;
        DIR* dir = ::opendir(hostFolder.c_str());
        // An unreadable folder is not remembered: it may be readable later.
        if (!dir) return false;
        while (dirent* entry = ::readdir(dir)) {
            std::string_view candidate(entry->d_name);
            if (candidate == "." || candidate == "..") continue;
            auto slot = byLowerName.try_emplace(ToLower(candidate), candidate);
            if (!slot.second && candidate < std::string_view(slot.first->second))
                slot.first->second = std::string(candidate);
        }
        ::closedir(dir);
        listed = entries_.emplace(hostFolder, std::move(byLowerName)).first;
    }
    auto found = listed->second.find(ToLower(name));
    if (found == listed->second.end()) return false;
    *actual = found->second;
    return true;
}

void FolderIndex::ForgetEntries(const std::string& hostFolder) {
    entries_.erase(hostFolder);
}

}  // namespace comp_mgr
