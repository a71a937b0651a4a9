// The process port on Windows.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_PROCESS_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_PROCESS_H

#include "platform/process.h"

namespace comp_mgr {

class Win32Process : public Process {
public:
    std::uint32_t ModuleFileName(char* buffer, std::uint32_t size) override;
    bool GetEnv(const std::string& name, std::string* value) override;
    // CreatePipe, CreateProcessA (detached), one ReadFile once output is
    // there, TerminateProcess.
    bool RunForOutput(const std::string& commandLine, std::uint32_t maxBytes, std::uint32_t waitMs,
                      std::string* output) override;
};

// GetEnvironmentVariableA as a string; false when the variable is not set.
bool Win32GetEnv(const std::string& name, std::string* value);

}  // namespace comp_mgr

#endif
