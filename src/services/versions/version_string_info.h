// The eight standard descriptive strings of one translation of a file's
// version resource.
#ifndef COMP_MGR_SERVICES_VERSIONS_VERSION_STRING_INFO_H
#define COMP_MGR_SERVICES_VERSIONS_VERSION_STRING_INFO_H

#include <array>
#include <cstddef>
#include <string>

namespace comp_mgr {

class CVersionStringInfo {
public:
    static constexpr std::size_t kValueCount = 8;
    // The value names in member order, as the resource names them.
    static const std::array<const char*, kValueCount>& ValueNames();

    void SetCompanyName(const char* text) { CompanyName = text ? text : ""; }
    void SetFileDescription(const char* text) { FileDescription = text ? text : ""; }
    void SetFileVersion(const char* text) { FileVersion = text ? text : ""; }
    void SetInternalName(const char* text) { InternalName = text ? text : ""; }
    void SetLegalCopyright(const char* text) { LegalCopyright = text ? text : ""; }
    void SetOriginalFilename(const char* text) { OriginalFilename = text ? text : ""; }
    void SetProductName(const char* text) { ProductName = text ? text : ""; }
    void SetProductVersion(const char* text) { ProductVersion = text ? text : ""; }

    // The member of index 0 to 7, in member order.
    std::string& Value(std::size_t index);
    const std::string& Value(std::size_t index) const;

    bool operator==(const CVersionStringInfo& other) const;

    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string OriginalFilename;
    std::string ProductName;
    std::string ProductVersion;
};

}  // namespace comp_mgr

#endif
