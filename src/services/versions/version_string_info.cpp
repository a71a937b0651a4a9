#include "services/versions/version_string_info.h"

namespace comp_mgr {

const std::array<const char*, CVersionStringInfo::kValueCount>& CVersionStringInfo::ValueNames() {
    static const std::array<const char*, kValueCount> names = {
        "CompanyName",    "FileDescription",  "FileVersion", "InternalName",
        "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion",
    };
    return names;
}

std::string& CVersionStringInfo::Value(std::size_t index) {
    return const_cast<std::string&>(static_cast<const CVersionStringInfo&>(*this).Value(index));
}

const std::string& CVersionStringInfo::Value(std::size_t index) const {
    const std::string* members[kValueCount] = {&CompanyName,    &FileDescription,  &FileVersion, &InternalName,
                                               &LegalCopyright, &OriginalFilename, &ProductName, &ProductVersion};
    return *members[index < kValueCount ? index : 0];
}

bool CVersionStringInfo::operator==(const CVersionStringInfo& other) const {
    for (std::size_t i = 0; i < kValueCount; ++i) {
        if (Value(i) != other.Value(i)) return false;
    }
    return true;
}

}  // namespace comp_mgr
