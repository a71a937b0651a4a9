#include "support/win_path.h"

#include <algorithm>

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

namespace {

// Calls take(component) for each non-empty component of `path` from `from`.
template <class Take>
void ForEachComponent(std::string_view path, std::size_t from, Take&& take) {
    const std::size_t size = path.size();
    std::size_t i = from;
    while (i < size) {
        while (i < size && IsPathSeparator(path[i])) ++i;
        const std::size_t start = i;
        while (i < size && !IsPathSeparator(path[i])) ++i;
        if (i > start) take(path.substr(start, i - start));
    }
}

}  // namespace

std::vector<std::string> PathComponents(std::string_view absolutePath) {
    std::vector<std::string> out;
    ForEachComponent(absolutePath, DriveLetter(absolutePath) ? 2 : 0,
                     [&out](std::string_view c) { out.emplace_back(c); });
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
    std::string_view base;
    char root[3] = {0, ':', '\\'};
    if (drive) {
        root[0] = path[0];
        rest.remove_prefix(2);
        if ((rest.empty() || !IsPathSeparator(rest[0])) && DriveLetter(currentDirectory) == drive) {
            // "X:name" is relative to the current directory when it is on X:.
            base = currentDirectory;
        } else {
            base = std::string_view(root, sizeof root);
        }
    } else {
        if (!DriveLetter(currentDirectory)) return std::string();
        root[0] = currentDirectory[0];
        if (!rest.empty() && IsPathSeparator(rest[0]))
            base = std::string_view(root, sizeof root);
        else
            base = currentDirectory;
    }
    const char driveChar = root[0];
    // Built in place: each component is appended, and ".." cuts the result
    // back to the separator before its last component (never past "X:\").
    std::string result;
    result.reserve(base.size() + rest.size() + 4);
    result += driveChar;
    result += ":\\";
    constexpr std::size_t kRootLength = 3;
    const auto append = [&result](std::string_view c) {
        if (result.size() > kRootLength) result += '\\';
        result += c;
    };
    ForEachComponent(base, DriveLetter(base) ? 2 : 0, append);
    ForEachComponent(rest, 0, [&](std::string_view c) {
        if (c == ".") return;
        if (c == "..") {
            if (result.size() > kRootLength) result.resize(std::max(result.rfind('\\'), kRootLength));
            return;
        }
        append(c);
    });
    bool trailing = !rest.empty() ? IsPathSeparator(rest.back()) : (!base.empty() && IsPathSeparator(base.back()));
    if (trailing && result.size() > kRootLength) result += '\\';
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
