// A file's version resource as the library keeps it: the fixed record and,
// for every translation the file lists whose eight strings are all there,
// those strings.
#ifndef COMP_MGR_SERVICES_VERSIONS_VERSION_H
#define COMP_MGR_SERVICES_VERSIONS_VERSION_H

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/file_versions.h"
#include "services/versions/version_string_info.h"

namespace comp_mgr {

// Language in the high 16 bits, code page in the low ones: 0x040904B0 is US
// English in the Unicode code page.
using TranslationCode = std::uint32_t;
constexpr TranslationCode kUsEnglishUnicode = 0x040904B0;

class CVersion {
public:
    static constexpr std::size_t kFixedInfoSize = 52;  // VS_FIXEDFILEINFO

    explicit CVersion(FileVersions& versions) : versions_(versions) {}

    // Reads the file's version resource, adding to what earlier loads kept.
    // True only when the fixed record, the translation table and all eight
    // strings of every translation listed were found.
    bool Load(const std::string& path);

    // The FileVersion of a recorded translation; false (and `text` left as
    // it was) for a code that is not recorded.
    bool GetFileVersion(TranslationCode code, std::string& text) const;

    const std::array<unsigned char, kFixedInfoSize>& fixedInfo() const { return fixedInfo_; }
    const std::unordered_map<TranslationCode, CVersionStringInfo>& stringInfos() const { return stringInfos_; }

    // The query path of one of the eight values: "\StringFileInfo\" + the code
    // as eight upper-case hexadecimal digits + "\" + the value's name.
    static std::string StringPath(TranslationCode code, std::size_t index);

private:
    bool ReadStringInfo(VersionBlock& block, TranslationCode code, CVersionStringInfo& info);
    bool QueryVersionString(VersionBlock& block, TranslationCode code, std::size_t index, std::string& value);

    FileVersions& versions_;
    std::array<unsigned char, kFixedInfoSize> fixedInfo_{};
    std::unordered_map<TranslationCode, CVersionStringInfo> stringInfos_;
};

}  // namespace comp_mgr

#endif
