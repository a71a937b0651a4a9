// The user-interface port on Windows message boxes. Whether a box shows and
// where messages are logged come from the settings (VNT_UI, VNT_LOG_DIR;
// win32_settings.h).
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_UI_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_UI_H

#include <string>

#include "platform/ui.h"
#include "support/log_text.h"

namespace comp_mgr {

class Win32Ui : public Ui {
public:
    // `setting` is the UI setting's text ("none": no box); `logDir` the folder
    // of messages.log, empty for no log.
    Win32Ui(const std::string& setting, std::string logDir);

    void MessageBox(const std::string& caption, const std::string& text) override;

private:
    bool showBoxes_;
    std::string logDir_;
};

}  // namespace comp_mgr

#endif
