// The user-interface port on Windows: message boxes and the real dialogs.
// Who answers and where the logs go come from the settings (VNT_UI,
// VNT_LOG_DIR; win32_settings.h).
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_UI_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_UI_H

#include <deque>
#include <string>

#include "platform/ui.h"
#include "support/log_text.h"

namespace comp_mgr {

class Win32Ui : public Ui {
public:
    // `setting` is the UI setting's text: "none" (no one: no box, no dialog),
    // "script:<file>" (dialogs played from the file, no boxes) or anything
    // else (the user); `logDir` the folder of messages.log and ui.log, empty
    // for no logs.
    Win32Ui(const std::string& setting, std::string logDir);

    void MessageBox(const std::string& caption, const std::string& text) override;
    void ShowNewComponents(NewComponentsChoice& choice) override;

private:
    enum class Mode { kUser, kScript, kNone };
    // The next script line for a dialog; false when there is none left.
    bool NextScriptLine(std::string* line);

    Mode mode_ = Mode::kUser;
    std::string scriptPath_;
    bool scriptLoaded_ = false;
    std::deque<std::string> script_;
    std::string logDir_;
};

}  // namespace comp_mgr

#endif
