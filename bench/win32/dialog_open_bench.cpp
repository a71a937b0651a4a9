// How long the real New Components dialog takes to open with 5,000
// candidates (Windows; run under Wine with an X server, see
// bench/win32/dialog_open.sh): from the call that shows it until it is
// visible and answers messages, its tree filled. It then closes with OK and
// prints the time, the tree's item count and the lists' sizes.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/win32_ui.h"
#include "platform/win32/windows_api.h"
#include "services/detection/new_components_dialog.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

// After <windows.h>.
#include <commctrl.h>

using namespace comp_mgr;
using testing_support::TestCatalog;
using testing_support::TestMachine;

int main() {
    const int kCandidates = 5000;
    TestMachine machine;
    machine.UseStandardLayout();
    machine.files.Put(TestMachine::kDbPath, "");  // a catalog file, so that no message box waits at start
    Win32Ui ui("", "");
    Platform platform{machine.registry, machine.files,        machine.process, machine.loader, ui,
                      machine.clock,    machine.fileVersions, machine.com,     machine.shell,  machine.events};
    TestCatalog db(platform);
    StringList names;
    for (int i = 0; i < kCandidates; ++i) {
        const std::string section = "PlugIn_" + std::to_string(i + 1);
        db.SetProperty(section, "DisplayName", "Plug-in " + std::to_string(kCandidates - i));
        db.SetProperty(section, "ProgLocation", "C:\\Vantrel\\plugins\\p" + std::to_string(i) + ".dll");
        names.push_back(section);
    }
    NewComponentsDialog dialog(platform, [] { return std::unique_ptr<CandidateEngine>(); });
    dialog.SetDatabase(db);
    dialog.SetPendingList(names);

    using Clock = std::chrono::steady_clock;
    Clock::time_point opened;
    LRESULT treeItems = -1;
    const Clock::time_point start = Clock::now();
    std::thread watcher([&] {
        HWND window = nullptr;
        while (!(window = FindWindowA(nullptr, "New Components Detected")) || !IsWindowVisible(window)) Sleep(1);
        SendMessageA(window, WM_NULL, 0, 0);
        opened = Clock::now();
        treeItems = SendMessageA(GetDlgItem(window, 2005), TVM_GETCOUNT, 0, 0);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    dialog.DoModal();
    watcher.join();
    StringList checked, unchecked;
    dialog.GetCheckedList(checked);
    dialog.GetUncheckedList(unchecked);
    std::printf("New Components dialog, %d candidates: open in %.0f ms; tree items %ld, checked %zu, unchecked %zu\n",
                kCandidates, std::chrono::duration<double, std::milli>(opened - start).count(),
                static_cast<long>(treeItems), checked.size(), unchecked.size());
    return treeItems == kCandidates && checked.size() == static_cast<std::size_t>(kCandidates) ? 0 : 1;
}
