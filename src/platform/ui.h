// The user-interface port.
#ifndef COMP_MGR_PLATFORM_UI_H
#define COMP_MGR_PLATFORM_UI_H

#include <string>

namespace comp_mgr {

// How the user left the Update Advisor Reminder dialog.
struct ReminderAnswer {
    int result = 2;           // 1 "Yes"; 2 "No", the close box or Escape
    int disableReminder = 0;  // 1 when the check box was ticked as it closed
};

class Ui {
public:
    virtual ~Ui() = default;

    // A modal message box with an OK button.
    virtual void MessageBox(const std::string& caption, const std::string& text) = 0;

    // ---- update advisor ------------------------------------------------------
    // The modal Update Advisor Reminder dialog (template 2000): "Yes", "No"
    // and the "Disable timed reminder" check box.
    virtual ReminderAnswer UpdateReminder() = 0;
};

}  // namespace comp_mgr

#endif
