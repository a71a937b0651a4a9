// The registry port, shaped after the advapi32 calls the library makes so that
// buffer sizes, error codes and enumeration order behave as on Windows.
#ifndef COMP_MGR_PLATFORM_REGISTRY_H
#define COMP_MGR_PLATFORM_REGISTRY_H

#include <cstdint>
#include <string>

namespace comp_mgr {

using RegHandle = std::uintptr_t;

// Predefined root keys (the values Windows uses).
constexpr RegHandle kHkeyClassesRoot = 0x80000000u;
constexpr RegHandle kHkeyCurrentUser = 0x80000001u;
constexpr RegHandle kHkeyLocalMachine = 0x80000002u;

// Access masks.
constexpr std::uint32_t kKeyRead = 0x20019u;
constexpr std::uint32_t kKeyWrite = 0x20006u;
constexpr std::uint32_t kKeyAllAccess = 0xF003Fu;

// Value types.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Result codes (Win32 error numbers).
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA / RegCreateKeyExA: `subKey` may hold several components
    // separated by backslashes; an empty one opens a new handle to `parent`.
    virtual long OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) = 0;
    virtual long CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) = 0;
    virtual long CloseKey(RegHandle key) = 0;

    // RegEnumKeyExA: on entry *nameSize is the capacity of `name` in
    // characters, terminator included; on success it is the name's length.
    // A name that does not fit gives kErrorMoreData. Subkeys come in
    // case-insensitive name order.
    virtual long EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) = 0;

    // RegEnumValueA; values come in creation order. `type`, `data` and
    // `dataSize` may be null.
    virtual long EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* dataSize) = 0;

    // RegQueryValueExA: a null or empty name is the default value. With a
    // null `data` only the size is reported; data that does not fit gives
    // kErrorMoreData. Stored bytes are returned as stored (a string value
    // carries its terminator only if it was stored with one).
    virtual long QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* dataSize) = 0;

    virtual long SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t dataSize) = 0;
    virtual long DeleteValue(RegHandle key, const char* name) = 0;

    // RegDeleteKeyA: refuses a key that has subkeys of its own.
    virtual long DeleteKey(RegHandle parent, const std::string& subKey) = 0;

    // Makes every change so far durable (the hosted machine writes its
    // registry file); the library calls it before an export returns.
    virtual void Flush() {}
};

// Closes a key on every path out of a scope.
class ScopedKey {
public:
    explicit ScopedKey(Registry& registry) : registry_(registry) {}
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    ~ScopedKey() { reset(); }

    RegHandle* out() {
        reset();
        return &handle_;
    }
    RegHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }
    void reset() {
        if (handle_) registry_.CloseKey(handle_);
        handle_ = 0;
    }

private:
    Registry& registry_;
    RegHandle handle_ = 0;
};

}  // namespace comp_mgr

#endif
