#include "platform/win32/win32_files.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/win32/file_replace.h"
#include "platform/win32/windows_api.h"
#include "support/text.h"

// After windows.h: the shell header uses its types.
#include <shellapi.h>

namespace comp_mgr {
namespace {

// Readers share the file with writers and with deleters, so that the library
// never stands in the way of an installer replacing the file.
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool Win32Files::ReadPieces(const std::string& path, ContentSink& sink) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<char> chunk(64 * 1024);
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        sink.Write(std::string_view(chunk.data(), got));
    }
    CloseHandle(file);
    return ok;
}

bool Win32Files::ReadAll(const std::string& path, std::string* content) {
    if (!content) return false;
    struct Collect : ContentSink {
        std::string data;
        void Write(std::string_view piece) override { data.append(piece); }
    } collect;
    if (!ReadPieces(path, collect)) return false;
    content->swap(collect.data);
    return true;
}

bool Win32Files::CanOpen(const std::string& path) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool Win32Files::Exists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Files::ReplaceWith(const std::string& path, const ContentWriter& produce, const std::string& backupPath) {
    lastFailure_.clear();
    if (win32::ReplaceFileContent(path, produce, backupPath, &lastFailure_)) return true;
    if (lastFailure_.empty()) lastFailure_ = "cannot write " + path;
    return false;
}

bool Win32Files::Remove(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

namespace {

class Win32FileLock : public FileLock {
public:
    explicit Win32FileLock(HANDLE file) : file_(file) {}
    ~Win32FileLock() override { CloseHandle(file_); }
    Win32FileLock(const Win32FileLock&) = delete;
    Win32FileLock& operator=(const Win32FileLock&) = delete;

private:
    HANDLE file_;
};

}  // namespace

std::unique_ptr<FileLock> Win32Files::Lock(const std::string& path, int waitMilliseconds) {
    for (int waited = 0;; waited += 10) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return std::make_unique<Win32FileLock>(file);
        if (GetLastError() != ERROR_SHARING_VIOLATION || waited >= waitMilliseconds) return nullptr;
        Sleep(10);
    }
}

std::vector<FoundFile> Win32Files::Find(const std::string& pattern) {
    std::vector<FoundFile> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        found.push_back(FoundFile{name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search, &data));
    FindClose(search);
    // NTFS lists in case-insensitive order, Wine on a Unix folder in whatever
    // order the folder has: sort so every system lists alike.
    std::stable_sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
        int c = CompareNoCase(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return found;
}

bool Win32Files::FullPath(const std::string& path, std::string* result, std::uint32_t capacity) {
    if (!result || capacity == 0) return false;
    std::vector<char> buffer(capacity, '\0');
    if (!_fullpath(buffer.data(), path.c_str(), capacity)) return false;
    result->assign(buffer.data());
    return true;
}

std::uint32_t Win32Files::LongPathName(const std::string& path, char* buffer, std::uint32_t size) {
    if (!buffer && size != 0) return 0;
    return GetLongPathNameA(path.c_str(), buffer, size);
}

std::uint32_t Win32Files::ShortPathName(const std::string& path, char* buffer, std::uint32_t size) {
    if (!buffer && size != 0) return 0;
    return GetShortPathNameA(path.c_str(), buffer, size);
}

bool Win32Files::DisplayName(const std::string& path, std::string* name) {
    if (!name) return false;
    // The shell makes up display names for paths that do not exist.
    if (!Exists(path)) return false;
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) return false;
    if (info.szDisplayName[0] == '\0') return false;
    name->assign(info.szDisplayName);
    return true;
}

bool Win32Files::GetCurrentDirectory(std::string* path, std::uint32_t capacity) {
    if (!path || capacity == 0) return false;
    std::vector<char> buffer(capacity, '\0');
    DWORD n = GetCurrentDirectoryA(capacity, buffer.data());
    if (n == 0 || n >= capacity) return false;
    path->assign(buffer.data(), n);
    return true;
}

bool Win32Files::SetCurrentDirectory(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

}  // namespace comp_mgr
