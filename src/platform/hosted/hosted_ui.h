// The Ui port on the hosted machine. Every message box is appended to
// ROOT/log/messages.log and every dialog to ROOT/log/ui.log; the UI setting (VNT_UI, hosted_settings.h) picks who
// answers: "tty" (the terminal), "script:<host file>" (answers read from a
// file, one line per dialog; message boxes take none) or "none" (no one:
// message boxes are only logged). A log that is a symbolic link (or whose
// folder is one), or no regular file, is not written; that is told once per
// log on `out`.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_UI_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_UI_H

#include <cstdio>
#include <deque>
#include <set>
#include <string>

#include "platform/hosted/hosted_machine.h"
#include "platform/ui.h"

namespace comp_mgr {

class HostedUi : public Ui {
public:
    enum class Mode { kTty, kScript, kNone };

    // `setting` is the UI setting's text. Terminal I/O goes through `in` and `out`.
    HostedUi(const HostedMachine& machine, const std::string& setting, std::FILE* in = stdin, std::FILE* out = stderr);

    void MessageBox(const std::string& caption, const std::string& text) override;
    // tty: the items listed with their marks, toggled by number; script: one
    // "newcomponents STEP... ok|cancel" line; none: OK, nothing changed.
    void ShowNewComponents(NewComponentsChoice& choice) override;

    // ---- update advisor (hosted_reminder.cpp) --------------------------------
    // tty: asks for the check box, then Yes or No; script: a line
    // "reminder [disable] yes|no"; none: No with the box unticked. Logged to
    // ui.log as "reminder|disable=<0 or 1>|<yes or no>".
    ReminderAnswer UpdateReminder() override;

    Mode mode() const { return mode_; }
    // False when the setting was not understood (the UI then acts as "none").
    bool settingValid() const { return settingValid_; }

    // The next script line for a dialog; false in other modes and when the
    // script is used up (the dialog then answers as "none" does).
    bool NextScriptLine(std::string* line);
    // Appends one line to ROOT/log/ui.log (the caller escapes the texts).
    void LogDialog(const std::string& line);

private:
    // Both answer true for OK.
    bool RunNewComponentsScript(NewComponentsChoice& choice, const std::string& line);
    bool AskNewComponentsOnTerminal(NewComponentsChoice& choice);
    ReminderAnswer AskReminderOnTerminal();
    void LoadScript();
    void AppendToLog(const std::string& name, const std::string& line);

    const HostedMachine& machine_;
    Mode mode_ = Mode::kNone;
    bool settingValid_ = true;
    std::string scriptPath_;
    bool scriptLoaded_ = false;
    std::deque<std::string> script_;
    std::set<std::string> refusedLogs_;
    std::FILE* in_;
    std::FILE* out_;
};

}  // namespace comp_mgr

#endif
