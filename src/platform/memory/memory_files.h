// A file system kept in memory, for tests of the core: drives, folders and
// files under Windows paths, looked up without regard to case.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_FILES_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_FILES_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace comp_mgr {

class MemoryFiles : public Files {
public:
    MemoryFiles();

    // ---- setting up a test machine ----------------------------------------
    // Creates a file (and its folders) with the given content.
    void Put(const std::string& path, std::string content);
    void MakeFolder(const std::string& path);
    // Reads a file back; empty when missing.
    std::string Get(const std::string& path) const;
    // Files that exist but cannot be opened.
    void SetUnreadable(const std::string& path, bool unreadable = true);
    // Folders in which nothing can be created, replaced or removed.
    void SetReadOnlyFolder(const std::string& path, bool readOnly = true);
    // A short name for a path (GetShortPathNameA fails for every other path).
    void SetShortName(const std::string& path, const std::string& shortPath);
    // Number of DisplayName questions asked so far.
    int displayNameCalls() const { return displayNameCalls_; }

    // ---- Files -------------------------------------------------------------
    bool ReadAll(const std::string& path, std::string* content) override;
    bool ReadPieces(const std::string& path, ContentSink& sink) override;
    bool CanOpen(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool ReplaceWith(const std::string& path, const ContentWriter& produce, const std::string& backupPath) override;
    std::string LastFailure() const override { return lastFailure_; }
    bool Remove(const std::string& path) override;
    std::vector<FoundFile> Find(const std::string& pattern) override;
    bool FullPath(const std::string& path, std::string* result, std::uint32_t capacity) override;
    std::uint32_t LongPathName(const std::string& path, char* buffer, std::uint32_t size) override;
    std::uint32_t ShortPathName(const std::string& path, char* buffer, std::uint32_t size) override;
    bool DisplayName(const std::string& path, std::string* name) override;
    bool GetCurrentDirectory(std::string* path, std::uint32_t capacity) override;
    bool SetCurrentDirectory(const std::string& path) override;

private:
    struct Node {
        std::string path;  // absolute, in the case it was created with
        bool isDirectory = false;
        std::string content;
    };

    std::string Key(const std::string& path) const;  // upper-cased absolute path, "" if invalid
    std::string ParentKey(const std::string& key) const;
    Node* Lookup(const std::string& path);
    void EnsureFolders(const std::string& absolutePath);
    bool FolderWritable(const std::string& path);
    static std::uint32_t CopyOut(const std::string& text, char* buffer, std::uint32_t size);

    std::map<std::string, Node> nodes_;
    std::set<std::string> unreadable_;
    std::set<std::string> readOnlyFolders_;
    std::map<std::string, std::string> shortNames_;
    std::string currentDirectory_ = "C:\\";
    std::string lastFailure_;
    std::string spare_;  // memory of a dropped backup, for the next content
    int displayNameCalls_ = 0;
};

}  // namespace comp_mgr

#endif
