// Keeps the process's current directory across work that changes it (loading
// plug-in servers from their own folders): read on construction into a
// buffer of 1024 characters, made current again on destruction when it
// could be read.
#ifndef COMP_MGR_PLATFORM_SCOPED_CURRENT_DIRECTORY_H
#define COMP_MGR_PLATFORM_SCOPED_CURRENT_DIRECTORY_H

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace comp_mgr {

class ScopedCurrentDirectory {
public:
    static constexpr std::uint32_t kCapacity = 1024;

    explicit ScopedCurrentDirectory(Files& files)
        : files_(files), saved_(files.GetCurrentDirectory(&path_, kCapacity)) {}
    ~ScopedCurrentDirectory() { Restore(); }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

    // Makes the saved directory current again now (and again at the end).
    void Restore() {
        if (saved_) files_.SetCurrentDirectory(path_);
    }

private:
    Files& files_;
    std::string path_;
    bool saved_;
};

}  // namespace comp_mgr

#endif
