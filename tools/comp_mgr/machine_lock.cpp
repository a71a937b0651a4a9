#include "machine_lock.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace comp_mgr_tool {
namespace {

const int kDefaultWaitMilliseconds = 5000;
const int kPollMilliseconds = 20;

std::string HolderText(const std::string& program) {
    std::time_t now = std::time(nullptr);
    char since[32] = "?";
    if (const std::tm* local = std::localtime(&now)) std::strftime(since, sizeof since, "%Y-%m-%d %H:%M:%S", local);
#ifdef _WIN32
    const unsigned long pid = GetCurrentProcessId();
#else
    const unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
    return "pid " + std::to_string(pid) + ", " + program + ", since " + since;
}

// What a holder wrote, on one line; a holder that has not written yet says nothing.
std::string Tidy(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.empty() ? std::string("a run that has not said who it is") : text;
}

}  // namespace

int LockWaitMilliseconds() {
    const char* text = std::getenv("COMP_MGR_LOCK_WAIT");
    if (!text || !*text) return kDefaultWaitMilliseconds;
    char* end = nullptr;
    double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds >= 0) || seconds > 86400) return kDefaultWaitMilliseconds;
    return static_cast<int>(seconds * 1000);
}

#ifdef _WIN32

std::string MachineLockPath(const Options&) {
    char folder[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("ProgramData", folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) n = GetEnvironmentVariableA("ALLUSERSPROFILE", folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string path = std::string(folder, n) + "\\Vantrel";
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\comp_mgr.lock";
}

MachineLock::Outcome MachineLock::Acquire(const std::string& path, int waitMilliseconds, const std::string& program,
                                          std::string* holder) {
    Release();
    if (path.empty()) return Outcome::kUnavailable;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        // Readers may look at who holds it; nobody else may write it.
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = file;
            const std::string text = HolderText(program) + "\r\n";
            DWORD written = 0;
            SetFilePointer(file, 0, nullptr, FILE_BEGIN);
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            SetEndOfFile(file);
            FlushFileBuffers(file);
            return Outcome::kHeld;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) return Outcome::kUnavailable;
        if (std::chrono::steady_clock::now() >= deadline) break;
        Sleep(kPollMilliseconds);
    }
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[512];
        DWORD got = 0;
        if (ReadFile(file, buffer, sizeof buffer, &got, nullptr)) text.assign(buffer, got);
        CloseHandle(file);
    }
    if (holder) *holder = Tidy(text);
    return Outcome::kBusy;
}

void MachineLock::Release() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

#else

std::string MachineLockPath(const Options& options) {
    std::string root = options.hasRoot ? options.root : std::string();
    if (root.empty()) {
        const char* env = std::getenv("VNT_ROOT");
        root = env && *env ? env : "./vnt-machine";
    }
    struct stat st;
    if (::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::string();
    return root + "/comp_mgr.lock";
}

MachineLock::Outcome MachineLock::Acquire(const std::string& path, int waitMilliseconds, const std::string& program,
                                          std::string* holder) {
    Release();
    if (path.empty()) return Outcome::kUnavailable;
    // Not through a link, not waiting on a FIFO put in its place.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return Outcome::kUnavailable;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Outcome::kUnavailable;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            const std::string text = HolderText(program) + "\n";
            if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) < 0) {
                // Who holds it is only told to waiters; the lock holds all the same.
            }
            return Outcome::kHeld;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return Outcome::kUnavailable;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
    }
    char buffer[512];
    ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
    ::close(fd);
    if (holder) *holder = Tidy(got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string());
    return Outcome::kBusy;
}

void MachineLock::Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

#endif

}  // namespace comp_mgr_tool
