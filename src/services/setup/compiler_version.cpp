#include "services/setup/compiler_version.h"

#include <cstdint>
#include <cstdio>

namespace comp_mgr {

std::string CompilerFileVersion(FileVersions& versions, const std::string& path) {
    const std::uint32_t size = versions.InfoSize(path);
    if (size == 0) return std::string();
    VersionBlock block;
    if (!versions.ReadInfo(path, size, &block)) return std::string();
    VersionValue table;
    if (!versions.QueryValue(block, "\\VarFileInfo\\Translation", &table) || table.bytes.size() < 4)
        return std::string();
    // The table's first pair of little-endian words: language, code page.
    auto word = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(table.bytes[at]) |
                                     (static_cast<unsigned char>(table.bytes[at + 1]) << 8));
    };
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\FileVersion", word(0), word(2));
    VersionValue value;
    if (!versions.QueryValue(block, query, &value)) return std::string();
    return value.bytes.substr(0, value.bytes.find('\0'));
}

}  // namespace comp_mgr
