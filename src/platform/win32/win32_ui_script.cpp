#include "platform/win32/win32_ui_script.h"

#include "platform/win32/windows_api.h"

namespace comp_mgr {

bool Win32UiScript::Next(std::string* line) {
    if (!loaded_) {
        loaded_ = true;
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::string content;
        if (file != INVALID_HANDLE_VALUE) {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
            CloseHandle(file);
        }
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find('\n', start);
            if (end == std::string::npos) end = content.size();
            std::string one = content.substr(start, end - start);
            if (!one.empty() && one.back() == '\r') one.pop_back();
            lines_.push_back(std::move(one));
            start = end + 1;
        }
    }
    if (lines_.empty()) return false;
    *line = std::move(lines_.front());
    lines_.pop_front();
    return true;
}

}  // namespace comp_mgr
