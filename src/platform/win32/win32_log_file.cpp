#include "platform/win32/win32_log_file.h"

#include "platform/win32/windows_api.h"

namespace comp_mgr {

void AppendToLogFile(const std::string& folder, const std::string& name, const std::string& line) {
    if (folder.empty()) return;
    CreateDirectoryA(folder.c_str(), nullptr);  // it may exist already
    std::string path = folder;
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace comp_mgr
