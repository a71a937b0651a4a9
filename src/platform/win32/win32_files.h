// The file-system port on the Windows file API.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_FILES_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_FILES_H

#include <string>

#include "platform/files.h"

namespace comp_mgr {

class Win32Files : public Files {
public:
    bool ReadAll(const std::string& path, std::string* content) override;
    bool ReadPieces(const std::string& path, ContentSink& sink) override;
    bool CanOpen(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool ReplaceWith(const std::string& path, const ContentWriter& produce, const std::string& backupPath) override;
    std::string LastFailure() const override { return lastFailure_; }
    bool Remove(const std::string& path) override;
    // The lock is the file opened without sharing it for writing.
    std::unique_ptr<FileLock> Lock(const std::string& path, int waitMilliseconds) override;
    std::vector<FoundFile> Find(const std::string& pattern) override;
    bool FullPath(const std::string& path, std::string* result, std::uint32_t capacity = 260) override;
    std::uint32_t LongPathName(const std::string& path, char* buffer, std::uint32_t size) override;
    std::uint32_t ShortPathName(const std::string& path, char* buffer, std::uint32_t size) override;
    bool DisplayName(const std::string& path, std::string* name) override;
    bool GetCurrentDirectory(std::string* path, std::uint32_t capacity = 1024) override;
    bool SetCurrentDirectory(const std::string& path) override;

private:
    std::string lastFailure_;
};

}  // namespace comp_mgr

#endif
