#include "platform/win32/win32_ui.h"

#include <utility>

#include "platform/win32/windows_api.h"

namespace comp_mgr {
namespace {

void AppendLine(const std::string& folder, const std::string& line) {
    CreateDirectoryA(folder.c_str(), nullptr);  // it may exist already
    std::string path = folder;
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    path += "messages.log";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // a log that cannot be written does not stop the message
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

Win32Ui::Win32Ui(const std::string& setting, std::string logDir)
    : showBoxes_(setting != "none"), logDir_(std::move(logDir)) {}

void Win32Ui::MessageBox(const std::string& caption, const std::string& text) {
    if (!logDir_.empty()) AppendLine(logDir_, MessageLogLine(caption, text) + "\n");
    if (!showBoxes_) return;
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace comp_mgr
