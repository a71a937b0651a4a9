// The process port: facts about the running process.
#ifndef COMP_MGR_PLATFORM_PROCESS_H
#define COMP_MGR_PLATFORM_PROCESS_H

#include <cstdint>
#include <string>

namespace comp_mgr {

class Process {
public:
    virtual ~Process() = default;

    // GetModuleFileNameA of the main executable into a buffer of `size`
    // characters: the number of characters stored (the path is cut to fit),
    // 0 on failure.
    virtual std::uint32_t ModuleFileName(char* buffer, std::uint32_t size) = 0;

    // An environment variable of the (Windows) process.
    virtual bool GetEnv(const std::string& name, std::string* value) = 0;
};

}  // namespace comp_mgr

#endif
