#include "platform/memory/memory_files.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "support/text.h"
#include "support/win_path.h"

namespace comp_mgr {

MemoryFiles::MemoryFiles() {
    for (char d : std::string("CD")) nodes_[std::string(1, d) + ":"] = Node{std::string(1, d) + ":\\", true, {}};
}

std::string MemoryFiles::Key(const std::string& path) const {
    std::string full = comp_mgr::FullPath(currentDirectory_, path, 1u << 20);
    if (full.empty()) return full;
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    if (full.size() == 3) full.pop_back();  // "C:\" -> "C:"
    return ToUpper(full);
}

std::string MemoryFiles::ParentKey(const std::string& key) const {
    std::size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

MemoryFiles::Node* MemoryFiles::Lookup(const std::string& path) {
    std::string key = Key(path);
    if (key.empty()) return nullptr;
    auto it = nodes_.find(key);
    return it == nodes_.end() ? nullptr : &it->second;
}

void MemoryFiles::EnsureFolders(const std::string& absolutePath) {
    std::vector<std::string> parts = PathComponents(absolutePath);
    std::string path(1, DriveLetter(absolutePath));
    path += ":";
    if (!nodes_.count(ToUpper(path))) nodes_[ToUpper(path)] = Node{path + "\\", true, {}};
    for (const auto& part : parts) {
        path += "\\" + part;
        std::string key = ToUpper(path);
        if (!nodes_.count(key)) nodes_[key] = Node{path, true, {}};
    }
}

void MemoryFiles::Put(const std::string& path, std::string content) {
    std::string full = comp_mgr::FullPath(currentDirectory_, path, 1u << 20);
    std::string key = Key(path);
    if (key.empty()) return;
    std::size_t slash = full.rfind('\\');
    EnsureFolders(full.substr(0, slash));
    Node& node = nodes_[key];
    if (node.path.empty()) node.path = full;
    node.isDirectory = false;
    node.content = std::move(content);
}

void MemoryFiles::MakeFolder(const std::string& path) {
    std::string full = comp_mgr::FullPath(currentDirectory_, path, 1u << 20);
    if (!full.empty()) EnsureFolders(full);
}

std::string MemoryFiles::Get(const std::string& path) const {
    auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? std::string() : it->second.content;
}

void MemoryFiles::SetUnreadable(const std::string& path, bool unreadable) {
    if (unreadable)
        unreadable_.insert(Key(path));
    else
        unreadable_.erase(Key(path));
}

void MemoryFiles::SetReadOnlyFolder(const std::string& path, bool readOnly) {
    if (readOnly)
        readOnlyFolders_.insert(Key(path));
    else
        readOnlyFolders_.erase(Key(path));
}

void MemoryFiles::SetShortName(const std::string& path, const std::string& shortPath) {
    shortNames_[Key(path)] = shortPath;
}

bool MemoryFiles::ReadAll(const std::string& path, std::string* content) {
    Node* node = Lookup(path);
    if (!node || node->isDirectory || unreadable_.count(Key(path))) return false;
    *content = node->content;
    return true;
}

bool MemoryFiles::ReadPieces(const std::string& path, ContentSink& sink) {
    Node* node = Lookup(path);
    if (!node || node->isDirectory || unreadable_.count(Key(path))) return false;
    sink.Write(node->content);  // no copy: the store holds it already
    return true;
}

bool MemoryFiles::CanOpen(const std::string& path) {
    Node* node = Lookup(path);
    return node && !node->isDirectory && !unreadable_.count(Key(path));
}

bool MemoryFiles::Exists(const std::string& path) {
    return Lookup(path) != nullptr;
}

bool MemoryFiles::FolderWritable(const std::string& path) {
    std::string parent = ParentKey(Key(path));
    if (parent.empty() || readOnlyFolders_.count(parent)) return false;
    auto it = nodes_.find(parent);
    return it != nodes_.end() && it->second.isDirectory;
}

namespace {

struct AppendingSink : ContentSink {
    explicit AppendingSink(std::string& text) : out(text) {}
    void Write(std::string_view piece) override { out.append(piece.data(), piece.size()); }
    std::string& out;
};

}  // namespace

bool MemoryFiles::ReplaceWith(const std::string& path, const ContentWriter& produce, const std::string& backupPath) {
    lastFailure_.clear();
    if (Key(path).empty() || !FolderWritable(path)) {
        lastFailure_ = "cannot write " + path + ": the folder is read-only or missing";
        return false;
    }
    Node* old = Lookup(path);
    if (old && old->isDirectory) {
        lastFailure_ = "cannot write " + path + ": a folder has that name";
        return false;
    }
    bool withBackup = !backupPath.empty() && old;
    if (withBackup) {
        if (!FolderWritable(backupPath)) {
            lastFailure_ = "cannot write " + backupPath + ": the folder is read-only";
            return false;
        }
        // A folder in the backup's place is left alone, and no backup made.
        Node* oldBackup = Lookup(backupPath);
        if (oldBackup && oldBackup->isDirectory) withBackup = false;
    }
    // The new content is written into the memory of the last backup dropped,
    // so a file saved again and again keeps reusing the same buffers.
    std::string content = std::move(spare_);
    content.clear();
    // A replaced file comes back at about its old size; a database written by
    // hand grows by up to a third when the library first saves it.
    if (old && content.capacity() < old->content.size()) content.reserve(old->content.size() + old->content.size() / 2);
    AppendingSink sink(content);
    produce(sink);
    if (withBackup) {
        Node& backup = nodes_[Key(backupPath)];
        if (&backup != old) spare_ = std::move(backup.content);
        // The old content moves to the backup: the file is replaced next, so
        // a copy of a large database would be made only to be thrown away.
        backup = Node{comp_mgr::FullPath(currentDirectory_, backupPath, 1u << 20), false, std::move(old->content)};
    }
    Put(path, std::move(content));
    return true;
}

bool MemoryFiles::Remove(const std::string& path) {
    Node* node = Lookup(path);
    if (!node || node->isDirectory || !FolderWritable(path)) return false;
    nodes_.erase(Key(path));
    return true;
}

std::vector<FoundFile> MemoryFiles::Find(const std::string& pattern) {
    std::vector<FoundFile> found;
    std::string full = comp_mgr::FullPath(currentDirectory_, pattern, 1u << 20);
    std::size_t slash = full.rfind('\\');
    if (full.empty() || slash == std::string::npos) return found;
    std::string folderKey = Key(full.substr(0, slash + 1));
    std::string namePattern = full.substr(slash + 1);
    auto folder = nodes_.find(folderKey);
    if (folder == nodes_.end() || !folder->second.isDirectory) return found;
    std::string prefix = folderKey + "\\";
    for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
         ++it) {
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue;  // deeper
        std::string name = it->second.path.substr(it->second.path.rfind('\\') + 1);
        if (WildcardMatch(namePattern, name)) found.push_back(FoundFile{name, it->second.isDirectory});
    }
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return CompareNoCase(a.name, b.name) < 0; });
    return found;
}

bool MemoryFiles::FullPath(const std::string& path, std::string* result, std::uint32_t capacity) {
    std::string full = comp_mgr::FullPath(currentDirectory_, path, capacity);
    if (full.empty()) return false;
    *result = full;
    return true;
}

std::uint32_t MemoryFiles::CopyOut(const std::string& text, char* buffer, std::uint32_t size) {
    if (text.size() + 1 > size) return static_cast<std::uint32_t>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<std::uint32_t>(text.size());
}

std::uint32_t MemoryFiles::LongPathName(const std::string& path, char* buffer, std::uint32_t size) {
    Node* node = Lookup(path);
    if (!node) return 0;
    // Every component in the case it was created with.
    std::string full = comp_mgr::FullPath(currentDirectory_, path, 1u << 20);
    std::string out(1, DriveLetter(full));
    out += ":";
    std::string key = out;
    for (const auto& part : PathComponents(full)) {
        key += "\\" + ToUpper(part);
        auto it = nodes_.find(key);
        out += "\\" + (it == nodes_.end() ? part : it->second.path.substr(it->second.path.rfind('\\') + 1));
    }
    if (out.size() == 2) out += "\\";
    return CopyOut(out, buffer, size);
}

std::uint32_t MemoryFiles::ShortPathName(const std::string& path, char* buffer, std::uint32_t size) {
    auto it = shortNames_.find(Key(path));
    if (it == shortNames_.end() || !Lookup(path)) return 0;
    return CopyOut(it->second, buffer, size);
}

bool MemoryFiles::DisplayName(const std::string& path, std::string* name) {
    ++displayNameCalls_;
    Node* node = Lookup(path);
    if (!node) return false;
    std::size_t slash = node->path.rfind('\\');
    *name = node->path.size() <= 3 ? node->path.substr(0, 2) : node->path.substr(slash + 1);
    return true;
}

bool MemoryFiles::GetCurrentDirectory(std::string* path, std::uint32_t capacity) {
    if (currentDirectory_.size() + 1 > capacity) return false;
    *path = currentDirectory_;
    return true;
}

bool MemoryFiles::SetCurrentDirectory(const std::string& path) {
    Node* node = Lookup(path);
    if (!node || !node->isDirectory) return false;
    std::string full = comp_mgr::FullPath(currentDirectory_, path, 1u << 20);
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    currentDirectory_ = full;
    return true;
}

}  // namespace comp_mgr
