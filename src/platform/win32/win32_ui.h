// The user-interface port on Windows: message boxes and the real dialogs.
// Who answers and where the logs go come from the settings (VNT_UI,
// VNT_LOG_DIR; win32_settings.h).
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_UI_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_UI_H

#include <memory>
#include <string>

#include "platform/ui.h"
#include "platform/win32/win32_ui_script.h"
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

    // ---- update advisor (win32_reminder_dialog.cpp) --------------------------
    // The modal dialog of template 2000. "none": not shown, answered No with
    // the box unticked; "script:<file>": shown, and the script's line
    // "reminder [disable] yes|no" is played on it as mouse clicks. Logged to
    // ui.log in the log folder as "reminder|disable=<0 or 1>|<yes or no>".
    ReminderAnswer UpdateReminder() override;

private:
    enum class Mode { kUser, kScript, kNone };

    Mode mode_ = Mode::kUser;
    std::string logDir_;
    std::unique_ptr<Win32UiScript> script_;  // null unless VNT_UI is script:<file>
};

}  // namespace comp_mgr

#endif
