// The Update Advisor Reminder: the modal dialog of template 2000.
#include <sstream>
#include <vector>

#include "platform/win32/win32_log_file.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32/windows_api.h"
#include "resource_ids.h"

namespace comp_mgr {
namespace {

constexpr UINT_PTR kScriptTimer = 1;
constexpr UINT kScriptTickMs = 150;
// A scripted click that has not closed the dialog after this many ticks is
// sent to the button directly, so that a run without working input cannot
// hang.
constexpr int kScriptPatienceTicks = 40;

struct ReminderState {
    int disableReminder = 0;  // flipped by every click on the check box
    bool scripted = false;
    ReminderAnswer planned;  // what the script asks for
    int tick = 0;
};

// "reminder [disable] yes|no"; false for any other line.
bool ParseReminderLine(const std::string& line, ReminderAnswer* answer) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() < 2 || w.size() > 3 || w[0] != "reminder") return false;
    if (w.size() == 3 && w[1] != "disable") return false;
    if (w.back() != "yes" && w.back() != "no") return false;
    answer->disableReminder = w.size() == 3 ? 1 : 0;
    answer->result = w.back() == "yes" ? 1 : 2;
    return true;
}

// A real left click in the middle of a control, as the user's mouse makes it.
void ClickControl(HWND dialog, int id) {
    RECT r;
    if (!GetWindowRect(GetDlgItem(dialog, id), &r)) return;
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT input[2] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

INT_PTR CALLBACK ReminderProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ReminderState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            state = reinterpret_cast<ReminderState*>(lParam);
            CheckDlgButton(dialog, IDC_DISABLE_REMINDER, state->disableReminder ? BST_CHECKED : BST_UNCHECKED);
            SetForegroundWindow(dialog);
            if (state->scripted) SetTimer(dialog, kScriptTimer, kScriptTickMs, nullptr);
            return TRUE;
        case WM_TIMER:
            if (!state || wParam != kScriptTimer) break;
            ++state->tick;
            if (state->tick == 1 && state->planned.disableReminder) {
                ClickControl(dialog, IDC_DISABLE_REMINDER);
            } else if (state->tick == 3) {
                ClickControl(dialog, state->planned.result == 1 ? IDOK : IDCANCEL);
            } else if (state->tick == 3 + kScriptPatienceTicks) {
                KillTimer(dialog, kScriptTimer);
                SendDlgItemMessageA(dialog, state->planned.result == 1 ? IDOK : IDCANCEL, BM_CLICK, 0, 0);
            }
            return TRUE;
        case WM_COMMAND:
            if (!state) break;
            if (LOWORD(wParam) == IDC_DISABLE_REMINDER && HIWORD(wParam) == BN_CLICKED) {
                state->disableReminder = state->disableReminder ? 0 : 1;
                return TRUE;
            }
            if (LOWORD(wParam) == IDOK) {
                // Saving the dialog's data: the member takes the box's state.
                state->disableReminder = IsDlgButtonChecked(dialog, IDC_DISABLE_REMINDER) == BST_CHECKED ? 1 : 0;
                KillTimer(dialog, kScriptTimer);
                EndDialog(dialog, 1);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {  // "No", Escape and the close box
                KillTimer(dialog, kScriptTimer);
                EndDialog(dialog, 2);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

ReminderAnswer Win32Ui::UpdateReminder() {
    ReminderAnswer answer;
    ReminderState state;
    bool show = mode_ == Mode::kUser;
    if (script_) {
        std::string line;
        state.scripted = script_->Next(&line) && ParseReminderLine(line, &state.planned);
        show = state.scripted;  // no line left: answered as by no one
    }
    if (show) {
        HMODULE module = reinterpret_cast<HMODULE>(win32::LibraryModule());
        if (!module) module = GetModuleHandleA(nullptr);
        INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_UPDATE_REMINDER), nullptr, ReminderProc,
                                         reinterpret_cast<LPARAM>(&state));
        // A dialog that could not be made (no desktop) is a "No".
        answer.result = result == 1 ? 1 : 2;
        answer.disableReminder = result == -1 ? 0 : state.disableReminder;
    }
    AppendToLogFile(logDir_, "ui.log",
                    std::string("reminder|disable=") + (answer.disableReminder ? "1" : "0") + "|" +
                        (answer.result == 1 ? "yes" : "no"));
    return answer;
}

}  // namespace comp_mgr
