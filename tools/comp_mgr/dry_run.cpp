#include "dry_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <system_error>

#include "support/code_page_1252.h"
#include "support/ini_sections.h"

namespace comp_mgr_tool {

namespace fs = std::filesystem;

namespace {

// Lock files (the tool's, the catalog save's) are no change of the run.
bool Ignored(const fs::path& relative) {
    return relative.extension() == ".lock";
}

// Every file and link under `root`, by its path relative to it.
std::map<std::string, fs::path> FilesUnder(const fs::path& root) {
    std::map<std::string, fs::path> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (it->is_directory(kind) && !it->is_symlink(kind)) continue;
        const fs::path relative = it->path().lexically_relative(root);
        if (!Ignored(relative)) files.emplace(relative.generic_string(), it->path());
    }
    return files;
}

std::string ReadWhole(const fs::path& path) {
    std::error_code ec;
    if (fs::is_symlink(path, ec)) return "link:" + fs::read_symlink(path, ec).string();
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IniForm(const std::string& name) {
    std::string extension = fs::path(name).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".ini" || extension == ".reg" || extension == ".bak";
}

}  // namespace

ScratchMachine::~ScratchMachine() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

bool ScratchMachine::CopyOf(const std::string& root, std::string* error) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = "/tmp";
    // A folder no other run holds: created here, never one that existed.
    std::random_device seed;
    std::mt19937_64 pick(seed());
    for (int n = 0; n < 100 && path_.empty(); ++n) {
        fs::path candidate = base / ("comp_mgr-dry-run-" + std::to_string(pick() % 100000000));
        if (fs::create_directory(candidate, ec)) path_ = candidate.string();
    }
    if (path_.empty()) {
        *error = "no scratch folder could be made under " + base.string();
        return false;
    }
    root_ = root;
    fs::copy(root, path_, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec) {
        *error = "the machine " + root + " could not be copied to " + path_ + " (" + ec.message() + ")";
        return false;
    }
    fs::remove(fs::path(path_) / "comp_mgr.lock", ec);
    return true;
}

std::string ScratchMachine::Changes() const {
    const std::map<std::string, fs::path> before = FilesUnder(root_), after = FilesUnder(path_);
    std::string text;
    for (const auto& [name, path] : before)
        if (!after.count(name)) text += "  - " + name + "\n";
    for (const auto& [name, path] : after) {
        auto old = before.find(name);
        if (old == before.end()) {
            text += "  + " + name + "\n";
            continue;
        }
        const std::string was = ReadWhole(old->second), is = ReadWhole(path);
        if (was == is) continue;
        text += "  ~ " + name + "\n";
        if (!IniForm(name)) continue;
        for (const comp_mgr::SectionDifference& d : comp_mgr::CompareIniSections(was, is)) {
            // Section names come in the catalog's code page.
            text += std::string("      ") + d.change + " [" + comp_mgr::Cp1252ToUtf8(d.section) + "]" +
                    (d.keys.empty() ? "" : " " + comp_mgr::Cp1252ToUtf8(d.keys)) + "\n";
        }
    }
    return text;
}

}  // namespace comp_mgr_tool
