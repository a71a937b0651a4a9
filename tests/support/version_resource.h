// Version resources (VS_VERSIONINFO) made byte by byte for tests: the usual
// layout with one call, and every length open to a lie.
#ifndef COMP_MGR_TESTS_SUPPORT_VERSION_RESOURCE_H
#define COMP_MGR_TESTS_SUPPORT_VERSION_RESOURCE_H

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace comp_mgr {
namespace testing_support {

// One node of the resource: length, value length, type, key, value, children.
struct VersionNode {
    std::u16string key;
    bool text = false;
    std::string value;                         // raw bytes (UTF-16LE for text)
    std::optional<std::uint16_t> valueLength;  // default: bytes, or UTF-16 units for text
    std::optional<std::uint16_t> length;       // default: the true length
    std::vector<VersionNode> children;
};

// The node's bytes, padded to 4 (so that siblings can follow).
std::string Encode(const VersionNode& node);

// A text value; `terminated` stores and counts the NUL, as resource compilers do.
VersionNode TextValue(std::u16string key, std::u16string text, bool terminated = true);

// The eight standard values, each `name` + " of " + `what`, in their order,
// for instance "FileVersion of 040904B0".
std::vector<VersionNode> EightValues(const std::u16string& what);

// The 52-byte fixed record with these versions (major.minor.build.private).
std::string FixedInfo(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d);

// A whole resource: the root with the fixed record, a StringFileInfo holding
// the tables (key: the translation as eight hexadecimal digits), and a
// VarFileInfo whose Translation holds `translationWords` (language, code
// page, ...) unless it is null.
VersionNode VersionRoot(std::vector<std::pair<std::u16string, std::vector<VersionNode>>> tables,
                        std::optional<std::vector<std::uint16_t>> translationWords);

// The usual single-table resource: "040904B0", all eight values.
std::string StandardVersionResource();

}  // namespace testing_support
}  // namespace comp_mgr

#endif
