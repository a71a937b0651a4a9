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

int g_failAt = 0;  // the call that fails, counted from g_calls = 0
int g_calls = 0;   // forward calls of replacements since the last arming

// True when this forward call is the one a test asked to fail.
bool Injected() {
    ++g_calls;
    if (g_failAt == 0 || g_calls != g_failAt) return false;
    SetLastError(ERROR_WRITE_FAULT);
    return true;
}

// "cannot STEP PATH: what Windows says", from the last error.
std::string Reason(const char* step, const std::string& path) {
    const DWORD error = GetLastError();
    char text[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.')) --n;
    std::string said = n > 0 ? std::string(text, n) : "error " + std::to_string(error);
    return std::string("cannot ") + step + " " + path + ": " + said;
}

void SetFailure(std::string* failure, std::string text) {
    if (failure && failure->empty()) *failure = std::move(text);
}

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
        if (Injected()) break;
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
// Those of earlier builds' naming (GetTempFileNameA's "cmgXXXX.tmp") carry no
// process id and go when they are old.
void RemoveStaleTemporaries(const std::string& beside) {
    const std::string folder = JoinableFolder(beside);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::uint32_t id = 0;
        const bool ours = ParseTemporaryName(data.cFileName, &id);
        if (!ours && !IsOlderWindowsTemporaryName(data.cFileName)) continue;
        const bool old = AgeInSeconds(data.ftLastWriteTime) > kStaleTemporarySeconds;
        if (old || (ours && !ProcessIsAlive(id))) DeleteFileA((folder + data.cFileName).c_str());
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
            ok_ = !Injected() && WriteFile(file_, piece.data() + done, chunk, &written, nullptr) && written == chunk;
            if (!ok_) error_ = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
            done += written;
        }
    }
    bool ok() const { return ok_; }
    DWORD error() const { return error_; }

private:
    HANDLE file_;
    bool ok_ = true;
    DWORD error_ = 0;
};

bool WriteAndFlush(const std::string& path, const ContentWriter& produce, std::string* failure) {
    HANDLE file = Injected() ? INVALID_HANDLE_VALUE
                             : CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SetFailure(failure, Reason("open", path));
        return false;
    }
    HandleSink sink(file);
    try {
        produce(sink);
    } catch (...) {
        CloseHandle(file);
        DeleteFileA(path.c_str());
        throw;
    }
    bool ok = sink.ok();
    if (!ok) {
        SetLastError(sink.error());
        SetFailure(failure, Reason("write", path));
    }
    if (ok && (Injected() || !FlushFileBuffers(file))) {
        ok = false;
        SetFailure(failure, Reason("flush", path));
    }
    const bool injectedClose = ok && Injected();
    if (!CloseHandle(file) || injectedClose) {
        if (injectedClose) SetLastError(ERROR_WRITE_FAULT);
        if (ok) SetFailure(failure, Reason("close", path));
        ok = false;
    }
    return ok;
}

// ReplaceFileA may fail after it moved the old file to the backup name: the
// old file then goes back.
bool SwapIn(const std::string& path, const std::string& temp, const std::string& backup, std::string* failure) {
    // ReplaceFileA carries the old file's attributes and security over on
    // Windows; Wine's drops the attributes, so they are set beforehand too.
    const DWORD kCarried =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD old = GetFileAttributesA(path.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & kCarried)) SetFileAttributesA(temp.c_str(), old & kCarried);
    if (!Injected() && ReplaceFileA(path.c_str(), temp.c_str(), backup.c_str(), 0, nullptr, nullptr)) return true;
    SetFailure(failure, Reason("replace", path));
    if (!IsFile(path) && IsFile(backup)) MoveFileExA(backup.c_str(), path.c_str(), 0);
    return false;
}

// Replaces the existing `path` by `temp`, the old file going to `backup`.
bool SwapInWithBackup(const std::string& path, const std::string& temp, const std::string& backup,
                      std::string* failure) {
    std::string aside;
    if (GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES) {
        aside = NewTempFile(backup);
        if (aside.empty()) {
            SetFailure(failure, Reason("create a temporary file beside", backup));
            return false;
        }
        if (Injected() || !MoveFileExA(backup.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            SetFailure(failure, Reason("move aside", backup));
            DeleteFileA(aside.c_str());
            return false;
        }
    }
    bool ok = SwapIn(path, temp, backup, failure);
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
bool SwapInWithoutBackup(const std::string& path, const std::string& temp, std::string* failure) {
    std::string scratch = NewTempFile(path);
    if (scratch.empty()) {
        SetFailure(failure, Reason("create a temporary file beside", path));
        return false;
    }
    bool ok = SwapIn(path, temp, scratch, failure);
    // Unless the old file could not be put back, the scratch file is ours.
    if (IsFile(path)) DeleteFileA(scratch.c_str());
    return ok;
}

}  // namespace

int FailNthSystemCall(int n) {
    const int made = g_calls;
    g_failAt = n < 0 ? 0 : n;
    g_calls = 0;
    return made;
}

bool ReplaceFileContent(const std::string& path, const ContentWriter& produce, const std::string& backupPath,
                        std::string* failure) {
    if (path.empty()) return false;
    const DWORD target = GetFileAttributesA(path.c_str());
    if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFailure(failure, "cannot write " + path + ": a folder has that name");
        return false;
    }
    RemoveStaleTemporaries(path);
    if (!backupPath.empty() && CompareNoCase(JoinableFolder(backupPath), JoinableFolder(path)) != 0) {
        RemoveStaleTemporaries(backupPath);
    }
    std::string temp = NewTempFile(path);
    if (temp.empty()) {
        SetFailure(failure, Reason("create a temporary file beside", path));
        return false;
    }
    bool ok = WriteAndFlush(temp, produce, failure);
    if (ok) {
        // A folder in the backup's place is not ours to move or remove.
        const DWORD backup = backupPath.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(backupPath.c_str());
        const bool backupFree =
            !backupPath.empty() && (backup == INVALID_FILE_ATTRIBUTES || !(backup & FILE_ATTRIBUTE_DIRECTORY));
        if (!IsFile(path)) {
            ok = !Injected() && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
            if (!ok) SetFailure(failure, Reason("move into place", path));
        } else if (!backupFree) {
            ok = SwapInWithoutBackup(path, temp, failure);
        } else {
            ok = SwapInWithBackup(path, temp, backupPath, failure);
        }
    }
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

}  // namespace win32
}  // namespace comp_mgr
