#include "library.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace comp_mgr_tool {

#ifdef _WIN32

bool Library::Load(const std::string& path, std::string* error) {
    Unload();
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    handle_ = reinterpret_cast<void*>(module);
    path_ = path;
    return true;
}

AnyFunction Library::Find(const ExportInfo& exported) const {
    if (!handle_) return nullptr;
    for (const auto& symbol : exported.symbols) {
        FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(handle_), symbol.c_str());
        if (address) return reinterpret_cast<AnyFunction>(address);
    }
    return nullptr;
}

void Library::Unload() {
    if (handle_) FreeLibrary(reinterpret_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

std::string DefaultLibraryPath(const char*) {
    char self[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self, n < MAX_PATH ? n : 0);
    std::size_t cut = dir.find_last_of("\\/");
    dir = cut == std::string::npos ? std::string() : dir.substr(0, cut + 1);
    return dir + "comp_mgr.dll";
}

std::string TakeLibraryReport() {
    // The library sets it with SetEnvironmentVariableA, which the C runtime's
    // copy of the environment does not see.
    std::string text(1024, '\0');
    DWORD n = GetEnvironmentVariableA("COMP_MGR_REPORT", &text[0], static_cast<DWORD>(text.size()));
    if (n >= text.size()) {
        text.assign(n + 1, '\0');
        n = GetEnvironmentVariableA("COMP_MGR_REPORT", &text[0], static_cast<DWORD>(text.size()));
    }
    text.resize(n < text.size() ? n : 0);
    SetEnvironmentVariableA("COMP_MGR_REPORT", nullptr);
    return text;
}

bool SetEnvironment(const std::string& name, const std::string& value) {
    // Through the C runtime, which also updates the process environment, so
    // both getenv and GetEnvironmentVariableA in the library see it.
    return _putenv_s(name.c_str(), value.c_str()) == 0;
}

#else

bool Library::Load(const std::string& path, std::string* error) {
    Unload();
    // A bare file name would make dlopen search the system's folders.
    std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* raw = dlerror();
        std::string reason = raw ? raw : "";
        // dlerror repeats the path; say it once.
        if (reason.compare(0, where.size() + 2, where + ": ") == 0) reason.erase(0, where.size() + 2);
        *error = "cannot load " + path + (reason.empty() ? std::string() : ": " + reason);
        return false;
    }
    handle_ = handle;
    path_ = path;
    return true;
}

AnyFunction Library::Find(const ExportInfo& exported) const {
    if (!handle_) return nullptr;
    for (const auto& symbol : exported.symbols) {
        void* address = dlsym(handle_, symbol.c_str());
        if (address) {
            AnyFunction function = nullptr;
            static_assert(sizeof function == sizeof address, "function and data pointers differ in size");
            std::memcpy(&function, &address, sizeof function);
            return function;
        }
    }
    return nullptr;
}

void Library::Unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

std::string DefaultLibraryPath(const char* argv0) {
    std::string self;
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n > 0) {
        self.assign(buffer, static_cast<std::size_t>(n));
    } else if (argv0) {
        self = argv0;
    }
    std::size_t cut = self.rfind('/');
    std::string dir = cut == std::string::npos ? std::string("./") : self.substr(0, cut + 1);
    return dir + "libcomp_mgr.so";
}

bool SetEnvironment(const std::string& name, const std::string& value) {
    return setenv(name.c_str(), value.c_str(), 1) == 0;
}

std::string TakeLibraryReport() {
    const char* text = getenv("COMP_MGR_REPORT");
    std::string report = text ? text : "";
    unsetenv("COMP_MGR_REPORT");
    return report;
}

#endif

}  // namespace comp_mgr_tool
