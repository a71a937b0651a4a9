// Helpers of the Windows adapter tests: a scratch folder and a scratch
// registry key per test, both removed afterwards.
#ifndef COMP_MGR_TESTS_WIN32_WIN32_FIXTURE_H
#define COMP_MGR_TESTS_WIN32_WIN32_FIXTURE_H

#include <string>

#include "platform/win32/windows_api.h"

namespace comp_mgr {
namespace win32_test {

// A new empty folder under %TEMP%, deleted with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    // path() + "\" + name
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Writes a file with plain Win32 calls (not through the adapter).
void WriteFileBytes(const std::string& path, const std::string& content);
// Reads a file with plain Win32 calls; "<missing>" when it cannot be opened.
std::string ReadFileBytes(const std::string& path);
// Names in a folder (excluding "." and ".."), in the order the system lists them.
int CountEntries(const std::string& folder);

// Sets or removes (null value) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

// True under Wine (ntdll exports wine_get_version there).
bool RunningOnWine();

// Deletes a registry key with everything below it.
void DeleteTree(HKEY root, const std::string& subKey);

// GetProcAddress as a typed pointer (through void(*)(), the generic function type).
template <class F>
F Export(HMODULE library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace win32_test
}  // namespace comp_mgr

#endif
