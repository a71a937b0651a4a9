#include "support/win_path.h"

#include "support/text.h"

namespace comp_mgr {

SplitPathParts SplitPath(std::string_view path) {
    SplitPathParts parts;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    std::size_t lastSep = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (IsPathSeparator(path[i])) lastSep = i;
    std::string_view name = path;
    if (lastSep != std::string_view::npos) {
        parts.dir = std::string(path.substr(0, lastSep + 1));
        name = path.substr(lastSep + 1);
    }
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        parts.fname = std::string(name);
    } else {
        parts.fname = std::string(name.substr(0, dot));
        parts.ext = std::string(name.substr(dot));
    }
    return parts;
}

char DriveLetter(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') {
        char c = AsciiUpper(path[0]);
        if (c >= 'A' && c <= 'Z') return c;
    }
    return 0;
}

std::vector<std::string> PathComponents(std::string_view absolutePath) {
    std::vector<std::string> out;
    std::size_t i = DriveLetter(absolutePath) ? 2 : 0;
    std::string current;
    for (; i < absolutePath.size(); ++i) {
        if (IsPathSeparator(absolutePath[i])) {
            if (!current.empty()) out.push_back(current);
            current.clear();
        } else {
            current.push_back(absolutePath[i]);
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

std::string FullPath(std::string_view currentDirectory, std::string_view path, std::size_t capacity) {
    // The drive letter keeps the case it was written in, as _fullpath keeps it.
    const char drive = DriveLetter(path);
    std::string_view rest = path;
    std::string base;
    char driveChar = 0;
    if (drive) {
        driveChar = path[0];
        rest.remove_prefix(2);
        if ((rest.empty() || !IsPathSeparator(rest[0])) && DriveLetter(currentDirectory) == drive) {
            // "X:name" is relative to the current directory when it is on X:.
            base = std::string(currentDirectory);
        } else {
            base = std::string(1, driveChar) + ":\\";
        }
    } else {
        if (!DriveLetter(currentDirectory)) return std::string();
        driveChar = currentDirectory[0];
        if (!rest.empty() && IsPathSeparator(rest[0])) base = std::string(1, driveChar) + ":\\";
        else base = std::string(currentDirectory);
    }
    std::vector<std::string> parts = PathComponents(base);
    for (auto& c : PathComponents(rest)) {
        if (c == ".") continue;
        if (c == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(c);
    }
    std::string result(1, driveChar);
    result += ":\\";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) result += '\\';
        result += parts[i];
    }
    bool trailing = !rest.empty() ? IsPathSeparator(rest.back()) : (!base.empty() && IsPathSeparator(base.back()));
    if (trailing && !parts.empty()) result += '\\';
    if (result.size() + 1 > capacity) return std::string();
    return result;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace comp_mgr
