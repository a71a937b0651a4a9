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
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // A network path keeps its two leading separators and has no drive.
        std::string result = "\\\\";
        std::vector<std::string> parts;
        for (auto& c : PathComponents(path)) {
            if (c == ".") continue;
            if (c == "..") {
                if (parts.size() > 2) parts.pop_back();  // never above \\server\share
                continue;
            }
            parts.push_back(c);
        }
        if (parts.size() < 2) return std::string();
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i) result += '\\';
            result += parts[i];
        }
        if (IsPathSeparator(path.back())) result += '\\';
        return result.size() + 1 > capacity ? std::string() : result;
    }
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
        if (!rest.empty() && IsPathSeparator(rest[0]))
            base = std::string(1, driveChar) + ":\\";
        else
            base = std::string(currentDirectory);
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

namespace {
bool MatchExactly(std::string_view pattern, std::string_view name) {
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

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (MatchExactly(pattern, name)) return true;
    // As on Windows, a trailing ".*" also matches a name without any dot ("*.*" matches "readme").
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return MatchExactly(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

}  // namespace comp_mgr
