// The New Components dialog on the hosted machine: a UI script's lines, the
// terminal and no one, and the line each leaves in ROOT/log/ui.log.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/hosted_ui.h"
#include "services/detection/new_components_dialog.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::TestCatalog;
using testing_support::TestMachine;

// Three candidates; display order: PlugIn_3 (A), PlugIn_1 (B), PlugIn_2 (C).
class HostedNewComponents : public ::testing::Test {
protected:
    HostedNewComponents() : machine_(root_.path(), TestMachine::kHostExe, "") {}

    // Shows the dialog with `setting`; terminal I/O through `in`, messages to a
    // temporary file whose text `messages` receives.
    std::string Show(const std::string& setting, const std::string& in = "", std::string* messages = nullptr) {
        std::FILE* input = std::tmpfile();
        std::fputs(in.c_str(), input);
        std::rewind(input);
        std::FILE* output = std::tmpfile();
        {
            HostedUi ui(machine_, setting, input, output);
            Platform platform{memory_.registry, memory_.files,        memory_.process, memory_.loader, ui,
                              memory_.clock,    memory_.fileVersions, memory_.com,     memory_.shell,  memory_.events};
            TestCatalog db(platform);
            for (const char* name : {"B", "C", "A"}) {
                const std::string section = "PlugIn_" + std::to_string(1 + (name[0] - 'A' + 2) % 3);
                db.SetProperty(section, "DisplayName", name);
                db.SetProperty(section, "ProgLocation", "C:\\Ide\\" + std::string(name) + ".dll");
            }
            NewComponentsDialog dialog(platform, [] { return std::unique_ptr<CandidateEngine>(); });
            dialog.SetDatabase(db);
            dialog.SetPendingList(StringList{"PlugIn_1", "PlugIn_2", "PlugIn_3"});
            dialog.DoModal();
            // Shown twice in one run: each dialog takes its own script line.
            if (setting.compare(0, 7, "script:") == 0) {
                NewComponentsDialog again(platform, [] { return std::unique_ptr<CandidateEngine>(); });
                again.SetDatabase(db);
                again.SetPendingList(StringList{"PlugIn_2"});
                again.DoModal();
            }
        }
        std::rewind(output);
        std::string text;
        for (int c; (c = std::fgetc(output)) != EOF;) text += static_cast<char>(c);
        std::fclose(input);
        std::fclose(output);
        if (messages) *messages = text;
        return root_.Read("log/ui.log");
    }

    hosted_test::TestRoot root_;
    HostedMachine machine_;
    TestMachine memory_;
};

const char kItems[] = "newcomponents|A - C:\\\\Ide\\\\A.dll;B - C:\\\\Ide\\\\B.dll;C - C:\\\\Ide\\\\C.dll|";
const char kSecond[] = "newcomponents|C - C:\\\\Ide\\\\C.dll|";

TEST_F(HostedNewComponents, ScriptLinesActAsTheUser) {
    struct Case {
        const char* script;
        const char* first;   // after kItems
        const char* second;  // after kSecond
        const char* told;    // part of what standard error is told, or ""
    } cases[] = {
        {"newcomponents uncheck=PlugIn_2,PlugIn_3 ok\nnewcomponents cancel\n",
         "checked=PlugIn_1|unchecked=PlugIn_2,PlugIn_3|ok", "checked=PlugIn_2|unchecked=|cancel", ""},
        {"newcomponents deselectall check=PlugIn_2 cancel\nnewcomponents deselectall ok",
         "checked=PlugIn_2|unchecked=PlugIn_3,PlugIn_1|cancel", "checked=|unchecked=PlugIn_2|ok", ""},
        {"newcomponents uncheck=PlugIn_1 uncheck=PlugIn_1 check=PlugIn_1 ok\n",
         "checked=PlugIn_2,PlugIn_3,PlugIn_1|unchecked=|ok", "checked=PlugIn_2|unchecked=|ok", ""},
        {"newcomponents deselectall selectall\r\n\n", "checked=PlugIn_3,PlugIn_1,PlugIn_2|unchecked=|ok",
         "checked=PlugIn_2|unchecked=|ok", "no ok or cancel at the end"},
        {"reminder yes\nnewcomponents uncheck=PlugIn_9,PlugIn_1 bogus ok selectall\n",
         "checked=PlugIn_1,PlugIn_2,PlugIn_3|unchecked=|ok", "checked=PlugIn_2|unchecked=|ok",
         "PlugIn_9 is not in the dialog"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::filesystem::remove(root_.Host("log/ui.log"));
        root_.Write("ui.txt", c.script);
        std::string told;
        EXPECT_EQ(Show("script:" + root_.Host("ui.txt"), "", &told),
                  std::string(kItems) + c.first + "\n" + kSecond + c.second + "\n");
        EXPECT_NE(told.find(c.told), std::string::npos) << told;
    }
}

TEST_F(HostedNewComponents, NoOneThereAcceptsEverything) {
    EXPECT_EQ(Show("none"), std::string(kItems) + "checked=PlugIn_1,PlugIn_2,PlugIn_3|unchecked=|ok\n");
}

TEST_F(HostedNewComponents, TheTerminalTogglesByNumber) {
    struct Case {
        const char* typed;
        const char* logged;  // after kItems
    } cases[] = {
        {"1\n", "checked=PlugIn_1,PlugIn_2|unchecked=PlugIn_3|cancel"},
        {"1 2\n3\nd\n2\nok\n", "checked=PlugIn_1|unchecked=PlugIn_3,PlugIn_2|ok"},
        {"d\na\nc\n", "checked=PlugIn_3,PlugIn_1,PlugIn_2|unchecked=|cancel"},
        {"9 x\n2", "checked=PlugIn_2,PlugIn_3|unchecked=PlugIn_1|cancel"},  // the input ends: as Escape
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        std::filesystem::remove(root_.Host("log/ui.log"));
        std::string shown;
        // The first Enter answers the message box of the catalog that has no file.
        EXPECT_EQ(Show("tty", std::string("\n") + c.typed, &shown), std::string(kItems) + c.logged + "\n");
        EXPECT_NE(shown.find("   1 [x] A - C:\\Ide\\A.dll"), std::string::npos) << shown;
    }
}

}  // namespace
}  // namespace comp_mgr
