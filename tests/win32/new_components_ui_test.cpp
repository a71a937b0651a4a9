// The New Components dialog on Windows when no one is there to see it: with
// VNT_UI=none, or a UI script that has no line left (or cannot be read), the
// dialog is not shown and answers OK with everything checked, and ui.log
// gets the same line the hosted machine writes. (The shown dialog is driven
// by real input in tests/e2e/dialog_clicks.sh and parity_dialog.sh.)
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/win32_ui.h"
#include "services/detection/new_components_dialog.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"
#include "win32_fixture.h"

namespace comp_mgr {
namespace {

using testing_support::TestCatalog;
using testing_support::TestMachine;
using win32_test::ReadFileBytes;
using win32_test::ScratchFolder;

std::string Answer(const std::string& setting, const std::string& logDir) {
    TestMachine machine;
    machine.UseStandardLayout();
    machine.files.Put(TestMachine::kDbPath, "");
    Win32Ui ui(setting, logDir);
    Platform platform{machine.registry, machine.files,        machine.process, machine.loader, ui,
                      machine.clock,    machine.fileVersions, machine.com,     machine.shell,  machine.events};
    TestCatalog db(platform);
    db.SetProperty("PlugIn_1", "DisplayName", "Zeta");
    db.SetProperty("PlugIn_1", "ProgLocation", "C:\\P\\z.dll");
    db.SetProperty("PlugIn_2", "DisplayName", "Alpha");
    db.SetProperty("PlugIn_2", "ProgLocation", "C:\\P\\a.dll");
    NewComponentsDialog dialog(platform, [] { return std::unique_ptr<CandidateEngine>(); });
    dialog.SetDatabase(db);
    dialog.SetPendingList(StringList{"PlugIn_1", "PlugIn_2"});
    dialog.DoModal();
    StringList checked;
    dialog.GetCheckedList(checked);
    return std::to_string(checked.size()) + "|" + ReadFileBytes(logDir + "\\ui.log");
}

TEST(Win32NewComponentsUi, NoOneThereAnswersOkWithEverythingChecked) {
    const std::string line =
        "2|newcomponents|Alpha - C:\\\\P\\\\a.dll;Zeta - C:\\\\P\\\\z.dll|checked=PlugIn_1,PlugIn_2|unchecked=|ok\n";
    ScratchFolder dir;
    EXPECT_EQ(Answer("none", dir / "none"), line);
    win32_test::WriteFileBytes(dir / "empty.txt", "");
    EXPECT_EQ(Answer("script:" + (dir / "empty.txt"), dir / "empty"), line);
    EXPECT_EQ(Answer("script:" + (dir / "missing.txt"), dir / "missing"), line);
}

}  // namespace
}  // namespace comp_mgr
