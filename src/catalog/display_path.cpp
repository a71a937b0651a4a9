// The display form of a program location: every component of the absolute
// path as the shell shows it.
#include <string_view>

#include "catalog/component_database.h"
#include "support/win_path.h"

namespace comp_mgr {

namespace {

const std::uint32_t kFullPathCapacity = 260;

using DisplayNameCache = std::unordered_map<std::string, std::string>;

// The shell's display name of `path`, asked at most once per run. Where the
// shell has none (nothing exists there) the last component of the path stands
// as written, so that the display form never loses a part of the path.
const std::string& CachedDisplayName(Files& files, DisplayNameCache& cache, const std::string& path) {
    auto it = cache.find(path);
    if (it != cache.end()) return it->second;
    std::string name;
    if (!files.DisplayName(path, &name)) {
        std::size_t slash = path.rfind('\\');
        name = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    return cache.emplace(path, std::move(name)).first->second;
}

// Cut before the last backslash when it is past the first character.
std::string FolderOf(std::string path) {
    const std::size_t slash = path.rfind('\\');
    if (slash != std::string::npos && slash > 0) path.erase(slash);
    return path;
}

}  // namespace

std::string ComponentDatabase::DisplayPath(const CatalogEntry& entry) {
    return DisplayForm(entry, true);
}

std::string ComponentDatabase::DisplayFolder(const CatalogEntry& entry) {
    return DisplayForm(entry, false);
}

std::string ComponentDatabase::DisplayForm(const CatalogEntry& entry, bool withName) {
    std::string absolute;
    if (!platform_.files.FullPath(entry.ProgLocation, &absolute, kFullPathCapacity)) {
        return withName ? entry.ProgLocation : FolderOf(entry.ProgLocation);
    }
    // A path without a drive (a network share) has no drive to start from.
    if (absolute.size() < 2 || absolute[1] != ':') return withName ? absolute : FolderOf(absolute);

    // Many entries share a folder: its display form is made once per run.
    std::size_t lastSeparator = 1;
    for (std::size_t i = 2; i < absolute.size(); ++i)
        if (IsPathSeparator(absolute[i])) lastSeparator = i;
    folderKey_.assign(absolute, 0, lastSeparator + 1);
    auto known = displayFolderCache_.find(folderKey_);
    if (known == displayFolderCache_.end()) {
        std::string form = absolute.substr(0, 2) + "\\";
        std::string_view dir = std::string_view(folderKey_).substr(2);
        while (!dir.empty() && IsPathSeparator(dir.front())) dir.remove_prefix(1);
        std::string query;
        for (std::size_t b = dir.find('\\'); b != std::string_view::npos; b = dir.find('\\')) {
            query.assign(form).append(dir.substr(0, b));
            form += CachedDisplayName(platform_.files, displayNameCache_, query);
            form += '\\';
            dir.remove_prefix(b + 1);
        }
        known = displayFolderCache_.emplace(folderKey_, std::move(form)).first;
    }
    std::string result = known->second;
    // The last name is asked for only when it is wanted: a display name
    // holds no backslash (no file name does), so the folder is what precedes
    // it, without the separator.
    if (!withName) {
        result.pop_back();
        return result;
    }
    result += CachedDisplayName(platform_.files, displayNameCache_, absolute);
    return result;
}

}  // namespace comp_mgr
