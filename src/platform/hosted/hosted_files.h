// The Files port on the hosted machine.
//
// Windows has no FIFOs, devices or sockets among its files; one found in the
// machine folder is a name that is taken (Exists) by something that cannot be
// opened as a file (CanOpen and ReadAll false), as a file locked by another
// process is on Windows. It is found out without opening it, so nothing
// waits on it.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_FILES_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_FILES_H

#include <cstdint>
#include <memory>

#include "platform/files.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/open_ahead.h"

namespace comp_mgr {

class HostedFiles : public Files {
public:
    explicit HostedFiles(HostedMachine& machine) : machine_(machine) {}

    bool ReadAll(const std::string& path, std::string* content) override;
    bool ReadPieces(const std::string& path, ContentSink& sink) override;
    bool CanOpen(const std::string& path) override;
    // Many questions are asked by several threads at once; those told ahead
    // are answered meanwhile.
    std::vector<bool> CanOpenEach(const std::vector<const std::string*>& paths) override;
    void CanOpenSoon(std::string_view path) override;
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
    void AddQuestion(OpenAhead& ahead, std::string_view path);

    HostedMachine& machine_;
    std::string lastFailure_;
    std::unique_ptr<OpenAhead> toldAhead_;  // the questions CanOpenSoon was told of
    std::uint64_t toldAt_ = 0;              // the machine's change count when the first was told
};

}  // namespace comp_mgr

#endif
