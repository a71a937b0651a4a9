// A registry kept in memory, behaving as advapi32 does for the calls the
// library makes. Unit tests use it directly; the hosted machine loads it from
// and saves it to its registry file.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_REGISTRY_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_REGISTRY_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace comp_mgr {

// RegOpenKeyExA's answer to a subkey path that starts with a backslash or has
// an empty component.
constexpr long kErrorBadPathname = 161;

class MemoryRegistry : public Registry {
public:
    struct Value {
        std::string name;
        std::string folded;  // lower-case name, for lookups
        std::uint32_t type = kRegNone;
        std::string data;  // the bytes as stored
    };

    // One key. Subkeys are kept sorted case-insensitively so that lookup is
    // logarithmic and enumeration by index is constant time.
    class Key : public std::enable_shared_from_this<Key> {
    public:
        Key() = default;
        // Takes the keys below apart one at a time: a chain of keys as deep
        // as a registry file may describe would overflow the stack if each
        // key's destructor ran its subkeys' destructors.
        ~Key();
        Key(const Key&) = delete;
        Key& operator=(const Key&) = delete;

        const std::string& name() const { return name_; }
        std::size_t subkeyCount() const { return subkeys_.size(); }
        const Key& subkey(std::size_t i) const { return *subkeys_[i]; }
        const std::vector<Value>& values() const { return values_; }
        bool deleted() const { return deleted_; }

    private:
        friend class MemoryRegistry;
        Key* FindSubkey(std::string_view folded) const;
        std::size_t SubkeyPosition(std::string_view folded) const;
        const Value* FindValue(std::string_view folded) const;
        std::size_t ValuePosition(std::string_view folded) const;
        void RebuildValueIndex();

        std::string name_;
        std::string folded_;
        Key* parent_ = nullptr;
        bool deleted_ = false;
        // Sorted by folded name; `owned_` keeps the same keys alive in any
        // order (plain pointers move cheaply when a key is inserted).
        std::vector<Key*> subkeys_;
        std::vector<std::shared_ptr<Key>> owned_;
        std::vector<Value> values_;
        // Only keys with many values get an index; small keys are scanned.
        std::unordered_map<std::string, std::size_t> valueIndex_;
    };

    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    // The Registry port.
    long OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) override;
    long CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) override;
    long CloseKey(RegHandle key) override;
    long EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) override;
    long EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                   std::uint8_t* data, std::uint32_t* dataSize) override;
    long QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* dataSize) override;
    long SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t dataSize) override;
    long DeleteValue(RegHandle key, const char* name) override;
    long DeleteKey(RegHandle parent, const std::string& subKey) override;

    // Grows with every change to keys or values; the owner of a persistent
    // copy compares it with the count it last saved.
    std::uint64_t changeCount() const { return changeCount_; }
    std::size_t openHandleCount() const { return handles_.size(); }

    // Direct access for loaders, savers and tests. `hive` is one of the
    // predefined root handles; paths are backslash-separated.
    // The root of HKLM or HKCU; for HKCR the Classes key, or null while it
    // does not exist.
    const Key* Root(RegHandle hive) const;
    const Key* FindKey(RegHandle hive, std::string_view path) const;
    // Creates the key and its missing parents; null for an invalid path.
    Key* CreatePath(RegHandle hive, std::string_view path);
    // Creates or replaces a value (name "" is the default value).
    void PutValue(Key* key, std::string_view name, std::uint32_t type, std::string_view data);
    // False when there was no such value.
    bool RemoveValue(Key* key, std::string_view name);
    // Removes a key with everything below it; false when it did not exist or
    // is a root. Open handles to removed keys become invalid.
    bool RemoveTree(RegHandle hive, std::string_view path);
    // Removes every key and value (open handles become invalid).
    void Clear();

    // Conveniences for tests and tools. Strings are stored with a terminator
    // and read back without one.
    void SetString(RegHandle hive, std::string_view path, std::string_view name, std::string_view value,
                   std::uint32_t type = kRegSz);
    bool GetString(RegHandle hive, std::string_view path, std::string_view name, std::string* value) const;
    void SetDword(RegHandle hive, std::string_view path, std::string_view name, std::uint32_t value);
    bool GetDword(RegHandle hive, std::string_view path, std::string_view name, std::uint32_t* value) const;
    void SetRaw(RegHandle hive, std::string_view path, std::string_view name, std::uint32_t type,
                std::string_view data);
    bool GetRaw(RegHandle hive, std::string_view path, std::string_view name, std::uint32_t* type,
                std::string* data) const;
    bool KeyExists(RegHandle hive, std::string_view path) const;
    bool ValueExists(RegHandle hive, std::string_view path, std::string_view name) const;
    std::vector<std::string> SubkeyNames(RegHandle hive, std::string_view path) const;
    std::vector<std::string> ValueNames(RegHandle hive, std::string_view path) const;

private:
    struct Handle {
        std::shared_ptr<Key> key;
        std::uint32_t access = 0;
    };

    // The key a handle stands for; null with `*error` set when it has none.
    // `create` makes HKLM\SOFTWARE\Classes when HKCR is used for writing.
    Key* Resolve(RegHandle handle, std::uint32_t needed, bool create, long* error);
    Key* Walk(Key* from, std::string_view path, bool create, long* error);
    RegHandle NewHandle(Key* key, std::uint32_t access);
    Key* ClassesKey(bool create);
    void MarkDeleted(Key& key);
    // Unlinks `key` from its parent and marks it and everything below it deleted.
    void Unlink(Key* key);
    void Touch() { ++changeCount_; }

    std::shared_ptr<Key> localMachine_;
    std::shared_ptr<Key> currentUser_;
    std::unordered_map<RegHandle, Handle> handles_;
    RegHandle nextHandle_ = 0x1000;
    std::uint64_t changeCount_ = 0;
};

}  // namespace comp_mgr

#endif
