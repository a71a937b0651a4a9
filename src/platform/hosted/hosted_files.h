// The Files port on the hosted machine.
//
// Windows has no FIFOs, devices or sockets among its files; one found in the
// machine folder is a name that is taken (Exists) by something that cannot be
// opened as a file (CanOpen and ReadAll false), as a file locked by another
// process is on Windows. It is found out without opening it, so nothing
// waits on it.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_FILES_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_FILES_H

#include "platform/files.h"
#include "platform/hosted/hosted_machine.h"

namespace comp_mgr {

class HostedFiles : public Files {
public:
    explicit HostedFiles(HostedMachine& machine) : machine_(machine) {}

    bool ReadAll(const std::string& path, std::string* content) override;
    bool ReadPieces(const std::string& path, ContentSink& sink) override;
    bool CanOpen(const std::string& path) override;
    // Many questions are asked by several threads at once.
    std::vector<bool> CanOpenEach(const std::vector<const std::string*>& paths) override;
    bool Exists(const std::string& path) override;
    bool ReplaceWith(const std::string& path, const ContentWriter& produce, const std::string& backupPath) override;
    std::string LastFailure() const override { return lastFailure_; }
    bool Remove(const std::string& path) override;
    std::unique_ptr<FileLock> Lock(const std::string& path, int waitMilliseconds) override;
    std::vector<FoundFile> Find(const std::string& pattern) override;
    bool FullPath(const std::string& path, std::string* result, std::uint32_t capacity = 260) override;
    // The long form is each existing component in its on-disk case.
    std::uint32_t LongPathName(const std::string& path, char* buffer, std::uint32_t size) override;
    // The hosted machine has no short names: always 0.
    std::uint32_t ShortPathName(const std::string& path, char* buffer, std::uint32_t size) override;
    bool DisplayName(const std::string& path, std::string* name) override;
    bool GetCurrentDirectory(std::string* path, std::uint32_t capacity = 1024) override;
    bool SetCurrentDirectory(const std::string& path) override;

private:
    HostedMachine& machine_;
    std::string lastFailure_;
};

}  // namespace comp_mgr

#endif
