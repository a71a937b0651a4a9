#include "services/versions/version.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace comp_mgr {

std::string CVersion::StringPath(TranslationCode code, std::size_t index) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%8.8X\\", static_cast<unsigned>(code));
    return prefix + std::string(CVersionStringInfo::ValueNames()[index]);
}

bool CVersion::Load(const std::string& path) {
    const std::uint32_t size = versions_.InfoSize(path);
    if (size == 0) return false;
    VersionBlock block;
    if (!versions_.ReadInfo(path, size, &block)) return false;

    bool result = true;
    VersionValue value;
    if (versions_.QueryValue(block, "\\", &value)) {
        // A record shorter than it should be is taken as far as it goes.
        fixedInfo_.fill(0);
        std::memcpy(fixedInfo_.data(), value.bytes.data(), std::min(value.bytes.size(), fixedInfo_.size()));
    } else {
        result = false;
    }

    if (!versions_.QueryValue(block, "\\VarFileInfo\\Translation", &value)) return false;
    // Pairs of 16-bit words (language, code page); a remainder is dropped.
    const std::size_t pairs = std::min<std::size_t>(value.length, value.bytes.size()) / 4;
    const std::string table = value.bytes;
    for (std::size_t i = 0; i < pairs; ++i) {
        const auto byte = [&](std::size_t k) {
            return static_cast<TranslationCode>(static_cast<unsigned char>(table[4 * i + k]));
        };
        const TranslationCode language = byte(0) | (byte(1) << 8);
        const TranslationCode codePage = byte(2) | (byte(3) << 8);
        const TranslationCode code = (language << 16) | codePage;
        CVersionStringInfo info;
        if (ReadStringInfo(block, code, info)) {
            stringInfos_[code] = info;
        } else {
            result = false;
        }
    }
    return result;
}

bool CVersion::ReadStringInfo(VersionBlock& block, TranslationCode code, CVersionStringInfo& info) {
    bool all = true;
    for (std::size_t index = 0; index < CVersionStringInfo::kValueCount; ++index) {
        std::string value;
        if (QueryVersionString(block, code, index, value)) {
            info.Value(index) = value;
        } else {
            all = false;
        }
    }
    return all;
}

bool CVersion::QueryVersionString(VersionBlock& block, TranslationCode code, std::size_t index, std::string& value) {
    VersionValue found;
    if (!versions_.QueryValue(block, StringPath(code, index), &found)) {
        value.clear();
        return false;
    }
    // The text ends at its terminator, or with the value.
    const std::size_t length = std::min<std::size_t>(found.length, found.bytes.size());
    const auto end = found.bytes.begin() + static_cast<std::ptrdiff_t>(length);
    value.assign(found.bytes.begin(), std::find(found.bytes.begin(), end, '\0'));
    return true;
}

bool CVersion::GetFileVersion(TranslationCode code, std::string& text) const {
    const auto it = stringInfos_.find(code);
    if (it == stringInfos_.end()) return false;
    text = it->second.FileVersion;
    return true;
}

}  // namespace comp_mgr
