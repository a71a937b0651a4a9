#include "platform/win32/win32_process.h"

#include <vector>

#include "platform/win32/windows_api.h"

namespace comp_mgr {

std::uint32_t Win32Process::ModuleFileName(char* buffer, std::uint32_t size) {
    if (!buffer || size == 0) return 0;
    // The main executable, not this library.
    return GetModuleFileNameA(nullptr, buffer, size);
}

bool Win32Process::GetEnv(const std::string& name, std::string* value) {
    return Win32GetEnv(name, value);
}

bool Win32GetEnv(const std::string& name, std::string* value) {
    if (!value || name.empty()) return false;
    std::vector<char> buffer(256, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        SetLastError(ERROR_SUCCESS);
        DWORD n = GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            // An empty variable also reads as 0 characters, without an error.
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
            value->clear();
            return true;
        }
        if (n < buffer.size()) {
            value->assign(buffer.data(), n);
            return true;
        }
        buffer.assign(n + 1, '\0');  // n is the size needed; the variable may grow meanwhile
    }
    return false;
}

}  // namespace comp_mgr
