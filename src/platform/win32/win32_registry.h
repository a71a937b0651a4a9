// The registry port on the real Windows registry (advapi32, A functions).
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_REGISTRY_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_REGISTRY_H

#include "platform/registry.h"

namespace comp_mgr {

class Win32Registry : public Registry {
public:
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
    // Windows writes the registry itself.
    void Flush() override {}
};

}  // namespace comp_mgr

#endif
