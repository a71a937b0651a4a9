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

namespace {

// Closes a handle on every path out of a scope.
class ScopedHandle {
public:
    ScopedHandle() = default;
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }
    HANDLE* out() { return &handle_; }
    HANDLE get() const { return handle_; }
    void reset() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// Anonymous pipes have no overlapped reads: the wait for the child's first
// output polls the pipe, and ends early when the child ends.
constexpr DWORD kPollMs = 5;

}  // namespace

bool Win32Process::RunForOutput(const std::string& commandLine, std::uint32_t maxBytes, std::uint32_t waitMs,
                                std::string* output) {
    if (!output) return false;
    output->clear();
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof inherit;
    inherit.bInheritHandle = TRUE;
    ScopedHandle readEnd;
    ScopedHandle writeEnd;
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &inherit, 0)) return false;
    // The child needs only the write end; holding the read end too would
    // keep the pipe open for writing in grandchildren for nothing.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = nullptr;
    PROCESS_INFORMATION child{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');  // CreateProcessA may write into the command line
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                        &child)) {
        return false;
    }
    ScopedHandle process;
    *process.out() = child.hProcess;
    CloseHandle(child.hThread);
    writeEnd.reset();

    std::vector<char> buffer(maxBytes, '\0');
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr)) break;  // ended, no output
        if (available > 0) {
            DWORD got = 0;
            if (ReadFile(readEnd.get(), buffer.data(), maxBytes, &got, nullptr) || got > 0)
                output->assign(buffer.data(), got);
            break;
        }
        if (GetTickCount64() >= deadline) break;
        WaitForSingleObject(process.get(), kPollMs);
    }
    TerminateProcess(process.get(), 0);
    return true;
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
