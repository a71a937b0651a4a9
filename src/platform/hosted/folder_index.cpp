#include "platform/hosted/folder_index.h"

#include <dirent.h>

#include <string_view>

#include "support/text.h"

namespace comp_mgr {

const FolderIndex::Folder* FolderIndex::Resolved(const std::string& windowsPath) const {
    auto found = resolved_.find(windowsPath);
    return found == resolved_.end() ? nullptr : &found->second;
}

void FolderIndex::RememberResolved(const std::string& windowsPath, Folder folder) {
    resolved_[windowsPath] = std::move(folder);
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
