#include "platform/win32/win32_ui.h"

#include <utility>

#include "platform/win32/win32_log_file.h"
#include "platform/win32/windows_api.h"

namespace comp_mgr {

Win32Ui::Win32Ui(const std::string& setting, std::string logDir)
    : showBoxes_(setting != "none"), logDir_(std::move(logDir)) {
    if (setting.compare(0, 7, "script:") == 0 && setting.size() > 7)
        script_ = std::make_unique<Win32UiScript>(setting.substr(7));
}

void Win32Ui::MessageBox(const std::string& caption, const std::string& text) {
    AppendToLogFile(logDir_, "messages.log", MessageLogLine(caption, text));
    if (!showBoxes_) return;
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace comp_mgr
