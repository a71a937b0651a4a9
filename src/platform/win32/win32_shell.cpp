#include "platform/win32/win32_shell.h"

#include "platform/win32/win32_log_file.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>
#include "support/log_text.h"

namespace comp_mgr {

bool Win32Shell::Open(const std::string& verb, const std::string& target) {
    // Everything but the verb and the file stays zero: no mask, no window,
    // no parameters, no folder, show command 0.
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.lpVerb = verb.c_str();
    info.lpFile = target.c_str();
    const bool ok = ShellExecuteExA(&info) != FALSE;
    AppendToLogFile(logDir_, "open.log",
                    EscapeLogText(verb) + "|" + EscapeLogText(target) + "|" + (ok ? "ok" : "failed"));
    return ok;
}

}  // namespace comp_mgr
