// Shows the Update Advisor Reminder through the Windows UI port and prints,
// once the dialog is up, where its controls are on the screen (for a test
// that clicks them with the real mouse), then how the dialog was left:
//   controls dialog=L,T,R,B box=X,Y yes=X,Y no=X,Y
//   result=<1 or 2> disable=<0 or 1>
// Usage: reminder_probe [UI setting [log folder]]
#include <cstdio>
#include <string>
#include <thread>

#include "platform/win32/win32_ui.h"
#include "platform/win32/windows_api.h"
#include "resource_ids.h"

namespace {

POINT Centre(HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ReportControls() {
    for (int i = 0; i < 400; ++i) {
        HWND dialog = FindWindowA(nullptr, "Update Advisor Reminder");
        if (dialog && IsWindowVisible(dialog)) {
            Sleep(200);  // let it paint before anyone looks
            RECT d = {};
            GetWindowRect(dialog, &d);
            const POINT box = Centre(GetDlgItem(dialog, IDC_DISABLE_REMINDER));
            const POINT yes = Centre(GetDlgItem(dialog, IDOK));
            const POINT no = Centre(GetDlgItem(dialog, IDCANCEL));
            std::printf("controls dialog=%ld,%ld,%ld,%ld box=%ld,%ld yes=%ld,%ld no=%ld,%ld\n", d.left, d.top, d.right,
                        d.bottom, box.x, box.y, yes.x, yes.y, no.x, no.y);
            std::fflush(stdout);
            return;
        }
        Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string setting = argc > 1 ? argv[1] : "";
    const std::string logDir = argc > 2 ? argv[2] : "";
    std::thread reporter(ReportControls);
    comp_mgr::Win32Ui ui(setting, logDir);
    const comp_mgr::ReminderAnswer answer = ui.UpdateReminder();
    reporter.join();
    std::printf("result=%d disable=%d\n", answer.result, answer.disableReminder);
    return 0;
}
