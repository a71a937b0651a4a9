// The hosted adapter's settings: read from the environment once, when the
// library makes its process platform (HostedSettings::FromEnvironment), and
// handed to HostedPlatform; tests fill them in directly. This comment is the
// one place that lists them. A variable that is unset or empty takes its
// default; nothing is read again later.
//
//   VNT_ROOT      The machine root, a host folder (relative to the process's
//                 working directory) holding registry.reg, drive_<x>/ and log/.
//                 Default ./vnt-machine. A root that does not exist is a machine
//                 without drives and with an empty registry; its folder is made
//                 when the registry or a log is first written.
//   VNT_HOST_EXE  The Windows path of the process's main executable, as
//                 GetModuleFileNameA reports it; loading by bare name looks in
//                 its folder first. Default C:\Vantrel\bin\vn_app.exe. It need
//                 not exist. Its folder is taken against C:\; when that cannot
//                 be made absolute, C:\ stands in for it.
//   VNT_CWD       The machine's initial current directory, a Windows path
//                 (a relative one against the folder of VNT_HOST_EXE). Default
//                 that folder. It is not checked for existence; a path that
//                 cannot be made absolute gives that folder.
//   VNT_UI        Who answers message boxes and dialogs: "tty", "script:<host
//                 path of a file>" or "none" (hosted_ui.h). Default "tty" when
//                 standard input is a terminal, else "none". Any other text: a
//                 warning on standard error, and "none".
//   VNT_OPEN      A program run to open an address or file (for example
//                 xdg-open), found on PATH, with the target as its one
//                 argument (hosted_shell.h). Default none: opening is only
//                 logged, and succeeds.
//   VNT_NOW       A fixed local time "YYYY-MM-DD HH:MM:SS" for the clock.
//                 Default the real time. Text that is not a possible date and
//                 time in that form: a warning on standard error, and the real
//                 time.
//   VNT_EVENTS_ECHO  Exactly "1": each event of ROOT/log/events.log is also
//                 written to standard error (in UTF-8) as it happens. Default:
//                 the log only.
//   VNT_DRY_RUN   Exactly "1": the machine is a scratch copy for a dry run.
//                 Servers are loaded and their entry points looked up, but
//                 DllRegisterServer and DllUnregisterServer are not called (a
//                 stand-in answers S_OK), and VNT_OPEN is not run: their code
//                 could reach beyond the copy. Default: a real run.
//
// Any other variable is no setting: the Process port reads it, when asked, as
// a variable of the process's Windows environment.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_SETTINGS_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_SETTINGS_H

#include <string>

namespace comp_mgr {

struct HostedSettings {
    std::string root = "./vnt-machine";                    // VNT_ROOT
    std::string hostExe = "C:\\Vantrel\\bin\\vn_app.exe";  // VNT_HOST_EXE
    std::string currentDirectory;                          // VNT_CWD; empty: the folder of hostExe
    std::string ui;                                        // VNT_UI; empty: "tty" on a terminal, else "none"
    std::string now;                                       // VNT_NOW; empty: the real time
    std::string openCommand;                               // VNT_OPEN; empty: opening is only logged
    bool eventsEcho = false;                               // VNT_EVENTS_ECHO is "1"
    bool dryRun = false;                                   // VNT_DRY_RUN is "1"

    // The settings named by the environment, defaults for the rest.
    static HostedSettings FromEnvironment();
};

}  // namespace comp_mgr

#endif
