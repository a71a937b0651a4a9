#include "support/path_parts.h"

namespace comp_mgr {

std::string BeforeLastBackslash(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string ThroughLastBackslash(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string WindowsFolder(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string_view::npos) return std::string();
    std::string folder(path.substr(0, slash));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

std::string WindowsFolderForJoin(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string_view::npos) return std::string(path.substr(0, slash + 1));
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
    return ".";
}

std::string WithExtension(std::string_view path, std::string_view extension) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    std::string result;
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        result.assign(path).append(".");
    } else {
        result.assign(path.substr(0, dot + 1));
    }
    return result.append(extension);
}

std::string PosixFolder(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string PosixBaseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace comp_mgr
