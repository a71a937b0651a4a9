#include "platform/hosted/hosted_process.h"

#include <cstdlib>
#include <cstring>

#include "support/text.h"

extern char** environ;

namespace comp_mgr {

std::uint32_t HostedProcess::ModuleFileName(char* buffer, std::uint32_t size) {
    const std::string& exe = machine_.hostExe();
    if (!buffer || size == 0 || exe.empty()) return 0;
    // As GetModuleFileNameA: cut to the buffer, terminated.
    std::size_t n = exe.size() < size ? exe.size() : size - 1;
    std::memcpy(buffer, exe.data(), n);
    buffer[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

bool HostedProcess::GetEnv(const std::string& name, std::string* value) {
    if (name.empty() || name.find('=') != std::string::npos || !value) return false;
    if (const char* exact = std::getenv(name.c_str())) {
        *value = exact;
        return true;
    }
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        if (eq && EqualsNoCase(std::string_view(*entry, static_cast<std::size_t>(eq - *entry)), name)) {
            *value = eq + 1;
            return true;
        }
    }
    return false;
}

}  // namespace comp_mgr
