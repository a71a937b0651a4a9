#include "platform/win32/win32_registry.h"

#include "platform/win32/windows_api.h"

namespace comp_mgr {
namespace {

// The port numbers the predefined keys as 32-bit Windows does; on 64-bit
// Windows their HKEY values are the same numbers sign-extended.
bool IsPredefined(RegHandle key) {
    return key >= 0x80000000u && key <= 0x800000FFu;
}

HKEY ToHkey(RegHandle key) {
    if (IsPredefined(key)) {
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(key))));
    }
    return reinterpret_cast<HKEY>(key);
}

// A predefined key handed back (an empty sub-key may do that) gets its port number.
RegHandle FromHkey(HKEY key) {
    RegHandle value = reinterpret_cast<RegHandle>(key);
    const RegHandle low = value & 0xFFFFFFFFu;
    if (IsPredefined(low) && ToHkey(low) == key) return low;
    return value;
}

DWORD* AsDword(std::uint32_t* p) {
    return reinterpret_cast<DWORD*>(p);
}

}  // namespace

static_assert(sizeof(DWORD) == sizeof(std::uint32_t), "DWORD is 32 bits");

long Win32Registry::OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) {
    if (!result) return kErrorInvalidParameter;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, access, &key);
    *result = rc == ERROR_SUCCESS ? FromHkey(key) : 0;
    return rc;
}

long Win32Registry::CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) {
    if (!result) return kErrorInvalidParameter;
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(ToHkey(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                              &key, nullptr);
    *result = rc == ERROR_SUCCESS ? FromHkey(key) : 0;
    return rc;
}

long Win32Registry::CloseKey(RegHandle key) {
    if (IsPredefined(key)) return kErrorSuccess;
    return RegCloseKey(ToHkey(key));
}

long Win32Registry::EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) {
    if (!name || !nameSize) return kErrorInvalidParameter;
    return RegEnumKeyExA(ToHkey(key), index, name, AsDword(nameSize), nullptr, nullptr, nullptr, nullptr);
}

long Win32Registry::EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                              std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    if (!name || !nameSize) return kErrorInvalidParameter;
    return RegEnumValueA(ToHkey(key), index, name, AsDword(nameSize), nullptr, AsDword(type), data, AsDword(dataSize));
}

long Win32Registry::QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* dataSize) {
    return RegQueryValueExA(ToHkey(key), name, nullptr, AsDword(type), data, AsDword(dataSize));
}

long Win32Registry::SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                             std::uint32_t dataSize) {
    if (!data && dataSize != 0) return kErrorInvalidParameter;
    return RegSetValueExA(ToHkey(key), name, 0, type, data, dataSize);
}

long Win32Registry::DeleteValue(RegHandle key, const char* name) {
    return RegDeleteValueA(ToHkey(key), name);
}

long Win32Registry::DeleteKey(RegHandle parent, const std::string& subKey) {
    // An empty name would delete the key the handle is open on.
    if (subKey.empty()) return kErrorInvalidParameter;
    return RegDeleteKeyA(ToHkey(parent), subKey.c_str());
}

}  // namespace comp_mgr
