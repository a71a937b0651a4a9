#include "platform/win32/new_components_view.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"
#include "resource_ids.h"

// After <windows.h>.
#include <commctrl.h>

namespace comp_mgr {
namespace {

// The state images of the tree's check boxes (bitmap IDB_CHECK_STATES).
const int kUncheckedImage = 1;
const int kCheckedImage = 2;
// How long the script player waits for the dialog to take one input, and
// how often it makes an input again that did not arrive: the window system
// may map a new window a moment after it says it is visible, and a click
// before that lands on nothing.
const DWORD kStepTimeoutMs = 5000;
const DWORD kInputRetryMs = 1500;
const int kInputAttempts = 3;
// Once the dialog is visible, before its first input.
const DWORD kSettleMs = 300;

struct DialogState {
    DialogState(NewComponentsChoice& c, const NewComponentsScript* s) : choice(c), script(s) {}
    NewComponentsChoice& choice;
    const NewComponentsScript* script;
    HWND dialog = nullptr;
    std::vector<HTREEITEM> items;  // in display order, as the choice's items
    HIMAGELIST itemImages = nullptr;
    HIMAGELIST stateImages = nullptr;
    HANDLE player = nullptr;
};

HINSTANCE ResourceModule() {
    void* library = win32::LibraryModule();
    return library ? static_cast<HINSTANCE>(library) : GetModuleHandleA(nullptr);
}

void SetMark(HWND tree, HTREEITEM item, bool checked) {
    TVITEMA tv{};
    tv.mask = TVIF_STATE;
    tv.hItem = item;
    tv.state = INDEXTOSTATEIMAGEMASK(checked ? kCheckedImage : kUncheckedImage);
    tv.stateMask = TVIS_STATEIMAGEMASK;
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

bool MarkOf(HWND tree, HTREEITEM item) {
    const LRESULT state = SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return ((static_cast<UINT>(state) & TVIS_STATEIMAGEMASK) >> 12) == kCheckedImage;
}

void LoadImages(DialogState& s, HWND tree) {
    const HINSTANCE module = ResourceModule();
    s.itemImages = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1);
    for (int id : {IDI_PLUGIN_FOLDER, IDI_PLUGIN_ITEM}) {
        HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
        ImageList_AddIcon(s.itemImages, icon);
        if (icon) DestroyIcon(icon);
    }
    s.stateImages = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
    HBITMAP states = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_CHECK_STATES));
    ImageList_AddMasked(s.stateImages, states, RGB(255, 0, 0));
    if (states) DeleteObject(states);
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(s.itemImages));
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(s.stateImages));
}

// The items go in in the choice's order, which is already sorted, so the
// tree shows them in the same order on every adapter.
void FillTree(DialogState& s, HWND tree) {
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    s.items.reserve(s.choice.ItemCount());
    for (std::size_t i = 0; i < s.choice.ItemCount(); ++i) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(s.choice.ItemText(i).c_str());
        insert.item.iImage = 1;
        insert.item.iSelectedImage = 1;
        insert.item.state = INDEXTOSTATEIMAGEMASK(s.choice.IsChecked(i) ? kCheckedImage : kUncheckedImage);
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
        insert.item.lParam = static_cast<LPARAM>(i);
        s.items.push_back(
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
    }
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
}

void ShowMarks(DialogState& s, HWND tree) {
    for (std::size_t i = 0; i < s.items.size(); ++i) SetMark(tree, s.items[i], s.choice.IsChecked(i));
}

// Only a click on an item's check box counts.
void OnTreeClick(DialogState& s, HWND tree) {
    const DWORD position = GetMessagePos();
    TVHITTESTINFO hit{};
    hit.pt.x = static_cast<short>(LOWORD(position));
    hit.pt.y = static_cast<short>(HIWORD(position));
    ScreenToClient(tree, &hit.pt);
    SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!hit.hItem || !(hit.flags & TVHT_ONITEMSTATEICON)) return;
    TVITEMA tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = hit.hItem;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return;
    const std::size_t index = static_cast<std::size_t>(tv.lParam);
    if (index >= s.items.size()) return;
    SetMark(tree, hit.hItem, s.choice.ClickCheckBox(index));
}

// ---- the script player: real input from a second thread -----------------------

class Player {
public:
    explicit Player(DialogState& s) : s_(s), tree_(GetDlgItem(s.dialog, IDC_PLUGIN_TREE)) {}

    void Run() {
        if (!WaitUntil([this] { return IsWindowVisible(s_.dialog) != FALSE; }, kStepTimeoutMs)) return;
        Sleep(kSettleMs);
        for (const NewComponentsStep& step : s_.script->steps) {
            bool done = true;
            if (step.kind == NewComponentsStep::kSelectAll || step.kind == NewComponentsStep::kDeselectAll) {
                const bool mark = step.kind == NewComponentsStep::kSelectAll;
                HWND button = GetDlgItem(s_.dialog, mark ? IDC_SELECT_ALL : IDC_DESELECT_ALL);
                done = Attempt([this, button] { ClickControl(button); }, [this, mark] { return AllMarksAre(mark); });
            } else {
                const bool mark = step.kind == NewComponentsStep::kCheck;
                for (std::size_t i = 0; i < s_.items.size() && done; ++i) {
                    if (s_.choice.ItemSection(i) != step.section || MarkOf(tree_, s_.items[i]) == mark) continue;
                    done = Attempt([this, i] { ClickCheckBox(s_.items[i]); },
                                   [this, i, mark] { return MarkOf(tree_, s_.items[i]) == mark; });
                }
            }
            if (!done) break;  // the answer below still closes the dialog
        }
        const bool ok = s_.script->ok;
        auto closed = [this] { return IsWindow(s_.dialog) == FALSE; };
        if (ok) {
            Attempt([this] { ClickControl(GetDlgItem(s_.dialog, IDOK)); }, closed);
        } else {
            // Escape reaches the dialog that has the focus: a click on its
            // prompt (which ignores clicks) gives it the focus first.
            Attempt(
                [this] {
                    ClickControl(GetDlgItem(s_.dialog, IDC_NEW_COMPONENTS_PROMPT));
                    PressEscape();
                },
                closed);
        }
        // Input that never arrived must not leave the dialog open for good.
        if (!closed()) PostMessageA(s_.dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
    }

private:
    // Makes the input until its effect shows, a few times at most.
    template <typename Input, typename Effect>
    bool Attempt(Input input, Effect effect) {
        for (int attempt = 0; attempt < kInputAttempts; ++attempt) {
            input();
            if (WaitUntil(effect, kInputRetryMs)) return true;
            if (!IsWindow(s_.dialog)) return false;
        }
        return false;
    }

    // False after the timeout, or at once when the dialog is gone.
    template <typename Condition>
    bool WaitUntil(Condition condition, DWORD timeoutMs) const {
        const DWORD start = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - start > timeoutMs || !IsWindow(s_.dialog)) return false;
            Sleep(5);
        }
        return true;
    }

    bool AllMarksAre(bool mark) const {
        for (HTREEITEM item : s_.items)
            if (MarkOf(tree_, item) != mark) return false;
        return true;
    }

    void ClickCheckBox(HTREEITEM item) {
        SendMessageA(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        // TVM_GETITEMRECT takes the item in the rectangle's place.
        RECT text{};
        std::memcpy(&text, &item, sizeof(item));
        if (!SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text))) return;
        // The check box lies left of the item's image and text: find its span.
        const LONG y = (text.top + text.bottom) / 2;
        LONG left = -1, right = -1;
        for (LONG x = text.left; x >= 0; --x) {
            TVHITTESTINFO hit{};
            hit.pt = POINT{x, y};
            SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.hItem == item && (hit.flags & TVHT_ONITEMSTATEICON)) {
                if (right < 0) right = x;
                left = x;
            } else if (right >= 0) {
                break;
            }
        }
        if (right < 0) return;
        POINT at{(left + right) / 2, y};
        ClientToScreen(tree_, &at);
        Click(at);
    }

    void ClickControl(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }

    // Two clicks at one place within the double-click time would be one
    // double click, which is no click on the tree.
    void Click(POINT at) {
        const DWORD wait = GetDoubleClickTime() + 50;
        const DWORD since = GetTickCount() - lastClickTime_;
        if (lastClickTime_ && since < wait && std::abs(at.x - lastClick_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
            std::abs(at.y - lastClick_.y) <= GetSystemMetrics(SM_CYDOUBLECLK))
            Sleep(wait - since);
        SetCursorPos(at.x, at.y);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
        lastClick_ = at;
        lastClickTime_ = GetTickCount();
        if (!lastClickTime_) lastClickTime_ = 1;
    }

    static void PressEscape() {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = VK_ESCAPE;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }

    DialogState& s_;
    HWND tree_;
    POINT lastClick_{};
    DWORD lastClickTime_ = 0;
};

DWORD WINAPI PlayScript(void* state) {
    Player(*static_cast<DialogState*>(state)).Run();
    return 0;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            s = reinterpret_cast<DialogState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            s->dialog = dialog;
            HWND tree = GetDlgItem(dialog, IDC_PLUGIN_TREE);
            LoadImages(*s, tree);
            FillTree(*s, tree);
            if (s->script) s->player = CreateThread(nullptr, 0, PlayScript, s, 0, nullptr);
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (s && header->idFrom == IDC_PLUGIN_TREE && header->code == static_cast<UINT>(NM_CLICK)) {
                OnTreeClick(*s, header->hwndFrom);
                SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (!s) return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_SELECT_ALL:
                case IDC_DESELECT_ALL:
                    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
                    if (LOWORD(wParam) == IDC_SELECT_ALL) {
                        s->choice.SelectAll();
                    } else {
                        s->choice.DeselectAll();
                    }
                    ShowMarks(*s, GetDlgItem(dialog, IDC_PLUGIN_TREE));
                    return TRUE;
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

DialogOutcome ShowNewComponentsDialog(NewComponentsChoice& choice, const NewComponentsScript* script) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    DialogState state(choice, script);
    const INT_PTR result = DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_NEW_COMPONENTS), nullptr, DialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (state.player) {
        // Every wait of the player ends once the dialog is gone.
        WaitForSingleObject(state.player, INFINITE);
        CloseHandle(state.player);
    }
    if (state.itemImages) ImageList_Destroy(state.itemImages);
    if (state.stateImages) ImageList_Destroy(state.stateImages);
    if (result == -1 || result == 0) return DialogOutcome::kNotShown;
    return result == IDOK ? DialogOutcome::kOk : DialogOutcome::kCancel;
}

}  // namespace comp_mgr
