#include "platform/win32/file_replace.h"

#include <atomic>
#include <cstdint>

#include "platform/win32/windows_api.h"
#include "support/path_parts.h"
#include "support/temp_names.h"
#include "support/text.h"

namespace comp_mgr {
namespace win32 {
namespace {

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of `path` ready to take a file name, and the name in it.
std::string JoinableFolder(const std::string& path) {
    std::string folder = WindowsFolderForJoin(path);
    return folder == "." ? ".\\" : folder;
}

std::string BaseName(const std::string& path) {
    std::string folder = WindowsFolderForJoin(path);
    return folder == "." ? path : path.substr(folder.size());
}

// A new empty file in the folder of `beside`, named for this process (support/temp_names.h);
// empty on failure.
std::string NewTempFile(const std::string& beside) {
    static std::atomic<std::uint32_t> counter{0};
    const std::string prefix = JoinableFolder(beside) + TemporaryNamePrefix(BaseName(beside), GetCurrentProcessId());
    for (int attempt = 0; attempt < 64; ++attempt) {
        // Unique within the process; the process id in the prefix does the rest.
        std::uint32_t n = (GetTickCount() << 8) ^ counter.fetch_add(1);
        std::string unique;
        for (int i = 0; i < 6; ++i, n /= 36) unique.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[n % 36]);
        std::string name = prefix + unique;
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return name;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::string();
}

bool ProcessIsAlive(DWORD id) {
    if (id == GetCurrentProcessId()) return true;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    // A process of another user may be there without letting us look.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// Seconds since a file time, from the 100-nanosecond ticks of both.
std::int64_t AgeInSeconds(const FILETIME& then) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(now) - ticks(then)) / 10000000;
}

// Removes what saves killed half-way left in the folder of `beside`.
void RemoveStaleTemporaries(const std::string& beside) {
    const std::string folder = JoinableFolder(beside);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::uint32_t id = 0;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ParseTemporaryName(data.cFileName, &id)) continue;
        if (!ProcessIsAlive(id) || AgeInSeconds(data.ftLastWriteTime) > kStaleTemporarySeconds) {
            DeleteFileA((folder + data.cFileName).c_str());
        }
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

// Writes each piece straight to an open file; after a failed write the rest
// is dropped and the failure remembered.
class HandleSink : public ContentSink {
public:
    explicit HandleSink(HANDLE file) : file_(file) {}
    void Write(std::string_view piece) override {
        std::string_view::size_type done = 0;
        while (ok_ && done < piece.size()) {
            std::string_view::size_type left = piece.size() - done;
            DWORD chunk = left > 0x100000 ? 0x100000 : static_cast<DWORD>(left);
            DWORD written = 0;
            ok_ = WriteFile(file_, piece.data() + done, chunk, &written, nullptr) && written == chunk;
            done += written;
        }
    }
    bool ok() const { return ok_; }

private:
    HANDLE file_;
    bool ok_ = true;
};

bool WriteAndFlush(const std::string& path, const ContentWriter& produce) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    HandleSink sink(file);
    try {
        produce(sink);
    } catch (...) {
        CloseHandle(file);
        DeleteFileA(path.c_str());
        throw;
    }
    bool ok = sink.ok() && FlushFileBuffers(file) != 0;
    if (!CloseHandle(file)) ok = false;
    return ok;
}

// ReplaceFileA may fail after it moved the old file to the backup name: the
// old file then goes back.
bool SwapIn(const std::string& path, const std::string& temp, const std::string& backup) {
    // ReplaceFileA carries the old file's attributes and security over on
    // Windows; Wine's drops the attributes, so they are set beforehand too.
    const DWORD kCarried =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD old = GetFileAttributesA(path.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & kCarried)) SetFileAttributesA(temp.c_str(), old & kCarried);
    if (ReplaceFileA(path.c_str(), temp.c_str(), backup.c_str(), 0, nullptr, nullptr)) return true;
    if (!IsFile(path) && IsFile(backup)) MoveFileExA(backup.c_str(), path.c_str(), 0);
    return false;
}

// Replaces the existing `path` by `temp`, the old file going to `backup`.
bool SwapInWithBackup(const std::string& path, const std::string& temp, const std::string& backup) {
    std::string aside;
    if (GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES) {
        aside = NewTempFile(backup);
        if (aside.empty()) return false;
        if (!MoveFileExA(backup.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            DeleteFileA(aside.c_str());
            return false;
        }
    }
    bool ok = SwapIn(path, temp, backup);
    if (!aside.empty()) {
        if (ok) {
            DeleteFileA(aside.c_str());
        } else {
            MoveFileExA(aside.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    return ok;
}

// Replaces the existing `path` by `temp`, dropping the old file. Wine's
// ReplaceFileA without a backup name leaves a temporary file of its own behind
// when it fails, so the old file goes to a backup of ours.
bool SwapInWithoutBackup(const std::string& path, const std::string& temp) {
    std::string scratch = NewTempFile(path);
    if (scratch.empty()) return false;
    bool ok = SwapIn(path, temp, scratch);
    // Unless the old file could not be put back, the scratch file is ours.
    if (IsFile(path)) DeleteFileA(scratch.c_str());
    return ok;
}

}  // namespace

bool ReplaceFileContent(const std::string& path, const ContentWriter& produce, const std::string& backupPath) {
    if (path.empty()) return false;
    RemoveStaleTemporaries(path);
    if (!backupPath.empty() && CompareNoCase(JoinableFolder(backupPath), JoinableFolder(path)) != 0) {
        RemoveStaleTemporaries(backupPath);
    }
    std::string temp = NewTempFile(path);
    if (temp.empty()) return false;
    bool ok = WriteAndFlush(temp, produce);
    if (ok) {
        if (!IsFile(path)) {
            ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        } else if (backupPath.empty()) {
            ok = SwapInWithoutBackup(path, temp);
        } else {
            ok = SwapInWithBackup(path, temp, backupPath);
        }
    }
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

}  // namespace win32
}  // namespace comp_mgr
