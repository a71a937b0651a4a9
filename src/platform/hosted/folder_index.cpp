#include "platform/hosted/folder_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string_view>
#include <vector>

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

// FNV-1a over the names' lower-case bytes: names equal but for case meet.
std::uint32_t HashNoCase(const char* name) {
    std::uint32_t h = 2166136261u;
    for (; *name; ++name) h = (h ^ Lower(*name)) * 16777619u;
    return h;
}

const char* FolderIndex::Listing::at(std::uint32_t start) const {
    return names.data() + start;
}

void FolderIndex::Listing::Place(std::uint32_t start) {
    const char* name = at(start);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = HashNoCase(name) & mask;; i = (i + 1) & mask) {
        if (slots[i] == kEmpty) {
            slots[i] = start;
            return;
        }
        // Of names equal but for case, the first in byte order is the one kept.
        if (CompareNoCase(at(slots[i]), name) == 0) {
            if (std::strcmp(name, at(slots[i])) < 0) slots[i] = start;
            return;
        }
    }
}

const char* FolderIndex::Listing::Find(const char* name) const {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = HashNoCase(name) & mask; slots[i] != kEmpty; i = (i + 1) & mask)
        if (CompareNoCase(at(slots[i]), name) == 0) return at(slots[i]);
    return nullptr;
}

bool FolderIndex::FindNoCase(const std::string& hostFolder, const std::string& name, std::string* actual) {
    if (name.find('\0') != std::string::npos) return false;  // no entry holds one
    auto listed = entries_.find(hostFolder);
    if (listed == entries_.end()) {
        Listing listing;
        DIR* dir = ::opendir(hostFolder.c_str());
        // An unreadable folder is not remembered: it may be readable later.
        if (!dir) return false;
        std::vector<std::uint32_t> starts;
        while (dirent* entry = ::readdir(dir)) {
            std::string_view candidate(entry->d_name);
            if (candidate == "." || candidate == "..") continue;
            starts.push_back(static_cast<std::uint32_t>(listing.names.size()));
            listing.names.append(candidate);
            listing.names += '\0';
        }
        ::closedir(dir);
        std::size_t capacity = 16;
        while (capacity < starts.size() * 2) capacity *= 2;
        listing.slots.assign(capacity, Listing::kEmpty);
        for (std::uint32_t start : starts) listing.Place(start);
        listed = entries_.emplace(hostFolder, std::move(listing)).first;
    }
    const char* found = listed->second.Find(name.c_str());
    if (!found) return false;
    actual->assign(found);
    return true;
}

void FolderIndex::ForgetEntries(const std::string& hostFolder) {
    entries_.erase(hostFolder);
}

}  // namespace comp_mgr
