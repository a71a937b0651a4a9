#include "services/setup/first_file_search.h"

#include <vector>

namespace comp_mgr {
namespace {

// The longest path the ANSI file calls accept, terminator included.
constexpr std::size_t kMaxPath = 260;

}  // namespace

bool FindFileFollowingFirstFolder(Files& files, const std::string& directory, const std::string& pattern,
                                  std::string* result) {
    std::string folder = directory;
    while (folder.size() + 1 + pattern.size() < kMaxPath) {
        const std::vector<FoundFile> matches = files.Find(folder + "\\" + pattern);
        if (!matches.empty()) {
            *result = folder + "\\" + matches.front().name;
            return true;
        }
        const std::vector<FoundFile> entries = files.Find(folder + "\\*");
        const FoundFile* next = nullptr;
        for (const FoundFile& entry : entries) {
            if (entry.isDirectory && entry.name != "." && entry.name != "..") {
                next = &entry;
                break;
            }
        }
        if (!next) return false;
        folder += "\\" + next->name;
    }
    return false;
}

}  // namespace comp_mgr
