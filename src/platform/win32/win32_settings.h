// The Windows adapter's settings: read from the process's environment once,
// when the library makes its process platform (on the first export call, not
// in DllMain), by Win32Settings::FromEnvironment, and handed to Win32Platform;
// tests fill them in directly. This comment is the one place that lists them.
// A variable that is unset or empty takes its default; changing one later
// does not reach a platform already made.
//
//   VNT_UI       Exactly "none": no message box and no dialog is shown
//                (nobody is there to answer one); messages are still logged
//                (VNT_LOG_DIR) and the New Components dialog answers OK with
//                everything checked. "script:<file>" (a Windows path): no
//                message box; each dialog takes the file's next line, as on
//                the hosted machine, and is shown with its steps played as
//                mouse and keyboard input; a dialog with no line left answers
//                as "none" does. Default: boxes and dialogs are shown to the
//                user. Any other text acts as the default, without a warning.
//   VNT_LOG_DIR  A folder (Windows path): every message box is also appended
//                to its messages.log as "<caption>|<text>", and every dialog
//                shown to its ui.log, escaped as the hosted machine writes
//                ROOT/log/, so that tests can read what the user would have
//                seen. The folder itself is
//   VNT_UI       Exactly "none": no message box or dialog is shown (nobody is
//                there to answer one; the reminder answers No with its box
//                unticked); the message is still logged (VNT_LOG_DIR).
//                "script:<Windows path of a file>": dialogs are shown and the
//                file's lines ("reminder [disable] yes|no", one per dialog, in
//                order) are played on them as mouse clicks; a dialog with no
//                line left is not shown and answers as for "none". Default:
//                message boxes and dialogs are shown. Any other text acts as
//                the default, without a warning.
//   VNT_LOG_DIR  A folder (Windows path): every message box is also appended
//                to its messages.log as "<caption>|<text>", escaped as the
//                hosted machine writes ROOT/log/messages.log, so that tests
//                can read what the user would have seen; likewise each page
//                or file the shell was asked to open goes to open.log as
//                "<verb>|<target>|<ok or failed>" and each dialog to ui.log
//                ("reminder|disable=<0 or 1>|<yes or no>"). The folder itself is
//                made on the first message (not its parents). Default: no
//                log. A folder or log that cannot be made or written: the
//                message is not logged and is shown as VNT_UI says, without a
//                warning.
//   VNT_NOW      A fixed local time "YYYY-MM-DD HH:MM:SS" for the clock, read
//                as on the hosted machine (support/fixed_time.h), so that
//                tests see the same "now" on both. Default: the real local
//                time. Text that is not a possible date and time in that form:
//                the real time, without a warning.
//   VNT_EVENTS_LOG  A file (Windows path) to which the library appends one
//                line per decision (support/event_line.h), bounded: past
//                1 MiB it becomes <file>.1 and a new one begins. Default: no
//                log, and no file is touched.
//   VNT_EVENTS_ECHO  Exactly "1": each event also goes to the process's
//                standard error, in UTF-8, as it happens. Default: not.
//
// Any other variable is no setting: the Process port reads it, when asked,
// from the process's environment.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_SETTINGS_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_SETTINGS_H

#include <string>

namespace comp_mgr {

struct Win32Settings {
    std::string ui;           // VNT_UI; "none", "script:<file>" or the user
    std::string logDir;       // VNT_LOG_DIR; empty: no log
    std::string now;          // VNT_NOW; empty: the real time
    std::string eventsLog;    // VNT_EVENTS_LOG; empty: no log
    bool eventsEcho = false;  // VNT_EVENTS_ECHO is "1"

    // The settings named by the environment, defaults for the rest.
    static Win32Settings FromEnvironment();
};

}  // namespace comp_mgr

#endif
