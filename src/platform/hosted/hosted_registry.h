// The Registry port on the hosted machine: an in-memory registry read from
// ROOT/registry.reg when the library first touches it and written back
// crash-safely by Flush() when something changed.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_REGISTRY_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_REGISTRY_H

#include <cstdint>
#include <functional>
#include <string>

#include "platform/memory/memory_registry.h"

namespace comp_mgr {

class HostedRegistry : public Registry {
public:
    using Report = std::function<void(const std::string& message)>;

    // `file` is the host path of the registry file. Warnings (skipped lines,
    // failed writes) go to `report`, by default standard error.
    explicit HostedRegistry(std::string file, Report report = nullptr);
    ~HostedRegistry() override;
    HostedRegistry(const HostedRegistry&) = delete;
    HostedRegistry& operator=(const HostedRegistry&) = delete;

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

    // Writes the file when the registry changed since it was read or last
    // written. A file that exists but could not be read is never overwritten.
    void Flush() override;

    bool loaded() const { return loaded_; }
    // The registry itself, read on first use.
    MemoryRegistry& memory();

private:
    void Load();

    std::string file_;
    Report report_;
    MemoryRegistry memory_;
    bool loaded_ = false;
    bool readOnly_ = false;
    bool writeFailed_ = false;  // reported once until a write succeeds
    std::uint64_t savedCount_ = 0;
};

}  // namespace comp_mgr

#endif
