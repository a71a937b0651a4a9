#include "support/temp_names.h"

namespace comp_mgr {
namespace {

constexpr std::string_view kMarker = ".cmtmp";
constexpr std::size_t kMaxUniqueLength = 16;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAlphanumeric(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string TemporaryNamePrefix(std::string_view baseName, std::uint32_t processId) {
    std::string prefix = ".";
    prefix.append(baseName);
    prefix.append(kMarker);
    prefix.append(std::to_string(processId));
    prefix.push_back('.');
    return prefix;
}

bool ParseTemporaryName(std::string_view name, std::uint32_t* processId) {
    // The base name may hold the marker itself: the last one counts.
    const std::size_t marker = name.rfind(kMarker);
    if (name.size() < 2 || name.front() != '.' || marker == std::string_view::npos || marker < 2) return false;
    std::size_t pos = marker + kMarker.size();
    std::uint64_t id = 0;
    const std::size_t digitsStart = pos;
    while (pos < name.size() && IsDigit(name[pos]) && pos - digitsStart < 10) {
        id = id * 10 + static_cast<std::uint64_t>(name[pos] - '0');
        ++pos;
    }
    if (pos == digitsStart || id > 0xFFFFFFFFu || pos >= name.size() || name[pos] != '.') return false;
    const std::string_view unique = name.substr(pos + 1);
    if (unique.empty() || unique.size() > kMaxUniqueLength) return false;
    for (char c : unique) {
        if (!IsAlphanumeric(c)) return false;
    }
    *processId = static_cast<std::uint32_t>(id);
    return true;
}

bool IsOlderTemporaryName(std::string_view name, std::string_view baseName) {
    if (name.size() < baseName.size() + 3 || name.front() != '.' || name.substr(1, baseName.size()) != baseName ||
        name[baseName.size() + 1] != '.')
        return false;
    const std::string_view tail = name.substr(baseName.size() + 2);
    if (tail == "link") return true;
    if (tail.size() != 6) return false;
    bool digit = false, lower = false, upper = false;
    for (char c : tail) {
        if (!IsAlphanumeric(c)) return false;
        digit = digit || IsDigit(c);
        lower = lower || (c >= 'a' && c <= 'z');
        upper = upper || (c >= 'A' && c <= 'Z');
    }
    // ".registry.reg.backup" is somebody's name, not a leftover.
    return digit || (lower && upper);
}

bool IsOlderWindowsTemporaryName(std::string_view name) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (name.size() < 8 || name.size() > 11) return false;
    for (std::size_t i = 0; i < 3; ++i)
        if (lower(name[i]) != "cmg"[i]) return false;
    const std::string_view digits = name.substr(3, name.size() - 7);
    for (char c : digits) {
        const char l = lower(c);
        if (!IsDigit(l) && !(l >= 'a' && l <= 'f')) return false;
    }
    const std::string_view extension = name.substr(name.size() - 4);
    for (std::size_t i = 0; i < 4; ++i)
        if (lower(extension[i]) != ".tmp"[i]) return false;
    return true;
}

}  // namespace comp_mgr
