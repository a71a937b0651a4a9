#include "platform/hosted/folder_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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

namespace {

unsigned char Lower(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Two names (NUL-terminated) compared without regard to ASCII case, bytes
// taken unsigned: negative, 0 or positive.
int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char x = Lower(*a);
        const unsigned char y = Lower(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

}  // namespace

const char* FolderIndex::Listing::at(std::size_t i) const {
    return names.data() + starts[i];
}

bool FolderIndex::FindNoCase(const std::string& hostFolder, const std::string& name, std::string* actual) {
    if (name.find('\0') != std::string::npos) return false;  // no entry holds one
    auto listed = entries_.find(hostFolder);
    if (listed == entries_.end()) {
        Listing listing;
        DIR* dir = ::opendir(hostFolder.c_str());
        // An unreadable folder is not remembered: it may be readable later.
        if (!dir) return false;
        while (dirent* entry = ::readdir(dir)) {
            std::string_view candidate(entry->d_name);
            if (candidate == "." || candidate == "..") continue;
            listing.starts.push_back(static_cast<std::uint32_t>(listing.names.size()));
            listing.names.append(candidate);
            listing.names += '\0';
        }
        ::closedir(dir);
        const char* names = listing.names.data();
        std::sort(listing.starts.begin(), listing.starts.end(), [names](std::uint32_t a, std::uint32_t b) {
            const int order = CompareNoCase(names + a, names + b);
            // Of names equal but for case, the first in byte order comes first.
            return order != 0 ? order < 0 : std::strcmp(names + a, names + b) < 0;
        });
        listed = entries_.emplace(hostFolder, std::move(listing)).first;
    }
    const Listing& listing = listed->second;
    std::size_t low = 0, high = listing.starts.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (CompareNoCase(listing.at(middle), name.c_str()) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == listing.starts.size() || CompareNoCase(listing.at(low), name.c_str()) != 0) return false;
    actual->assign(listing.at(low));
    return true;
}

void FolderIndex::ForgetEntries(const std::string& hostFolder) {
    entries_.erase(hostFolder);
}

}  // namespace comp_mgr
