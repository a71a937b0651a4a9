// The in-memory process port for tests: a module path and an environment.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_PROCESS_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_PROCESS_H

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "platform/process.h"

namespace comp_mgr {

class MemoryProcess : public Process {
public:
    std::string modulePath = "C:\\Vantrel\\bin\\vn_app.exe";
    std::map<std::string, std::string> environment;

    std::uint32_t ModuleFileName(char* buffer, std::uint32_t size) override {
        if (size == 0 || modulePath.empty()) return 0;
        // As GetModuleFileNameA: cut to the buffer, terminated.
        std::uint32_t n = static_cast<std::uint32_t>(modulePath.size());
        if (n >= size) n = size - 1;
        std::memcpy(buffer, modulePath.data(), n);
        buffer[n] = '\0';
        return n;
    }
    bool GetEnv(const std::string& name, std::string* value) override {
        auto it = environment.find(name);
        if (it == environment.end()) return false;
        *value = it->second;
        return true;
    }
};

}  // namespace comp_mgr

#endif
