// The version-information port answered from memory, for tests of the core:
// a test gives a file's version resource (the bytes a PE file holds under
// RT_VERSION), and the port answers as Windows does for a file holding it.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_FILE_VERSIONS_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_FILE_VERSIONS_H

#include <map>
#include <set>
#include <string>

#include "platform/file_versions.h"

namespace comp_mgr {

class MemoryFileVersions : public FileVersions {
public:
    // ---- setting up a test machine ----------------------------------------
    // The file at `path` (any letter case) holds this version resource.
    void SetResource(const std::string& path, std::string resource);
    void Remove(const std::string& path);
    // The size is known, but reading the information fails (a file locked
    // between the two calls).
    void SetReadFails(const std::string& path, bool fails = true);
    // Number of ReadInfo calls so far.
    int reads() const { return reads_; }

    // ---- FileVersions -------------------------------------------------------
    std::uint32_t InfoSize(const std::string& path) override;
    bool ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) override;
    bool QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) override;

private:
    const std::string* Find(const std::string& path) const;

    std::map<std::string, std::string> resources_;  // by upper-cased path
    std::set<std::string> readFails_;
    int reads_ = 0;
};

}  // namespace comp_mgr

#endif
