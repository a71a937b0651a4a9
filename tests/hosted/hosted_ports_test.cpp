// The hosted machine's smaller ports: UI modes and logs, the clock, the
// process facts and the loader.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_clock.h"
#include "platform/hosted/hosted_loader.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/hosted_process.h"
#include "platform/hosted/hosted_ui.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;

TEST(HostedUi, EveryMessageBoxIsLoggedEscaped) {
    TestRoot root;
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedUi ui(machine, "none");
    ui.MessageBox("comp_mgr", "C:\\db\\vnt_Compdb.ini\r\ncannot be opened");
    ui.MessageBox("comp_mgr", "second|line\n");
    EXPECT_EQ(
        "comp_mgr|C:\\\\db\\\\vnt_Compdb.ini\\r\\ncannot be opened\n"
        "comp_mgr|second|line\\n\n",
        root.Read("log/messages.log"));
}

std::string ReadAllOf(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, n);
    return text;
}

// A machine root is trusted (it runs its plug-ins' code), but a log is never
// appended to through a symbolic link, nor written into a FIFO: such a log is
// not written, and that is told once per log.
TEST(HostedUi, ALinkedOrSpecialLogIsNotWrittenAndToldOnce) {
    struct Case {
        const char* what;
        void (*make)(const TestRoot& root, const std::string& outside);
        const char* log;
    };
    const Case cases[] = {
        {"a linked file",
         [](const TestRoot& root, const std::string& outside) {
             root.MakeDir("log");
             std::filesystem::create_symlink(outside + "/target.log", root.Host("log/messages.log"));
         },
         "messages.log"},
        {"a linked folder",
         [](const TestRoot& root, const std::string& outside) {
             std::filesystem::create_symlink(outside, root.Host("log"));
         },
         "messages.log"},
        {"a FIFO",
         [](const TestRoot& root, const std::string&) {
             root.MakeDir("log");
             ASSERT_EQ(0, ::mkfifo(root.Host("log/messages.log").c_str(), 0666));
         },
         "messages.log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestRoot root;
        TestRoot outside;
        outside.Write("target.log", "outside\n");
        c.make(root, outside.path());
        HostedMachine machine(root.path(), "C:\\x.exe", "");
        std::FILE* out = std::tmpfile();
        ASSERT_NE(nullptr, out);
        {
            HostedUi ui(machine, "none", nullptr, out);
            ::alarm(30);
            ui.MessageBox("comp_mgr", "one");
            ui.MessageBox("comp_mgr", "two");
            ::alarm(0);
            ui.LogDialog("dialog");  // another log, told about on its own
        }
        EXPECT_EQ("outside\n", outside.Read("target.log"));
        EXPECT_FALSE(outside.Has("messages.log"));
        EXPECT_FALSE(outside.Has("ui.log"));
        const std::string told = ReadAllOf(out);
        std::fclose(out);
        const std::string line = root.Host(std::string("log/") + c.log) + " is a symbolic link";
        const std::size_t first = told.find(line);
        EXPECT_NE(std::string::npos, first) << told;
        EXPECT_EQ(std::string::npos, told.find(line, first + 1)) << told;
    }
}

TEST(HostedUi, TtyShowsTheMessageAndWaitsForEnter) {
    TestRoot root;
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    char input[] = "\nleft over\n";
    FILE* in = fmemopen(input, std::strlen(input), "r");
    char* shown = nullptr;
    size_t shownSize = 0;
    FILE* out = open_memstream(&shown, &shownSize);
    {
        HostedUi ui(machine, "tty", in, out);
        ui.MessageBox("comp_mgr", "Hello");
        EXPECT_EQ(HostedUi::Mode::kTty, ui.mode());
    }
    char rest[32] = {};
    ASSERT_NE(nullptr, fgets(rest, sizeof(rest), in));
    EXPECT_STREQ("left over\n", rest);  // exactly one line consumed
    fclose(out);
    EXPECT_NE(std::string::npos, std::string(shown, shownSize).find("Hello"));
    free(shown);
    fclose(in);
    EXPECT_EQ("comp_mgr|Hello\n", root.Read("log/messages.log"));
}

TEST(HostedUi, ScriptLinesGoToDialogsNotToMessageBoxes) {
    TestRoot root;
    root.Write("answers.txt", "newcomponents deselectall check=PlugIn_2 ok\r\nreminder disable yes\n");
    HostedMachine machine(root.path(), "C:\\x.exe", "");
    HostedUi ui(machine, "script:" + root.Host("answers.txt"));
    EXPECT_EQ(HostedUi::Mode::kScript, ui.mode());
    ui.MessageBox("comp_mgr", "takes no line");
    std::string line;
    ASSERT_TRUE(ui.NextScriptLine(&line));
    EXPECT_EQ("newcomponents deselectall check=PlugIn_2 ok", line);
    ASSERT_TRUE(ui.NextScriptLine(&line));
    EXPECT_EQ("reminder disable yes", line);
    EXPECT_FALSE(ui.NextScriptLine(&line));  // used up: dialogs answer as "none"
    ui.LogDialog("reminder|disable=1|yes");
    EXPECT_EQ("reminder|disable=1|yes\n", root.Read("log/ui.log"));

    HostedUi none(machine, "none");
    EXPECT_FALSE(none.NextScriptLine(&line));
    HostedUi bad(machine, "bogus");
    EXPECT_FALSE(bad.settingValid());
    EXPECT_EQ(HostedUi::Mode::kNone, bad.mode());
    HostedUi missing(machine, "script:" + root.Host("none.txt"), stdin, nullptr);
    EXPECT_FALSE(missing.NextScriptLine(&line));
}

TEST(HostedClock, FixedTimeIsLocalAndNormalised) {
    std::tm t{};
    ASSERT_TRUE(HostedClock::Parse("2006-12-04 15:04:33", &t));
    EXPECT_EQ(106, t.tm_year);
    EXPECT_EQ(11, t.tm_mon);
    EXPECT_EQ(4, t.tm_mday);
    EXPECT_EQ(15, t.tm_hour);
    EXPECT_EQ(4, t.tm_min);
    EXPECT_EQ(33, t.tm_sec);
    EXPECT_EQ(1, t.tm_wday);  // a Monday
    EXPECT_EQ(337, t.tm_yday);

    for (const char* bad : {"2006-02-30 00:00:00", "2006-12-04", "2006-12-04T15:04:33", "2006-13-01 00:00:00",
                            "2006-12-04 24:00:00", "x006-12-04 15:04:33", ""}) {
        EXPECT_FALSE(HostedClock::Parse(bad, &t)) << bad;
    }
    HostedClock fixed("2024-02-29 23:59:59");
    EXPECT_TRUE(fixed.valid());
    EXPECT_EQ(59, fixed.Now().tm_sec);
    EXPECT_EQ(1, fixed.Now().tm_mon);

    HostedClock broken("tomorrow");
    EXPECT_FALSE(broken.valid());
    std::time_t real = std::time(nullptr);
    std::tm now = broken.Now();
    EXPECT_LE(std::abs(std::difftime(std::mktime(&now), real)), 5.0);
}

TEST(HostedProcess, ModuleFileNameIsCutToTheBufferAndEnvironmentIsReal) {
    TestRoot root;
    HostedMachine machine(root.path(), "C:\\Vantrel\\bin\\vn_app.exe", "");
    HostedProcess process(machine);
    char buffer[64];
    ASSERT_EQ(25u, process.ModuleFileName(buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\Vantrel\\bin\\vn_app.exe", buffer);
    ASSERT_EQ(9u, process.ModuleFileName(buffer, 10));
    EXPECT_STREQ("C:\\Vantre", buffer);
    EXPECT_EQ(0u, process.ModuleFileName(buffer, 0));

    setenv("COMP_MGR_HOSTED_TEST_VAR", "value", 1);
    std::string v;
    ASSERT_TRUE(process.GetEnv("COMP_MGR_HOSTED_TEST_VAR", &v));
    EXPECT_EQ("value", v);
    ASSERT_TRUE(process.GetEnv("comp_mgr_hosted_test_var", &v));  // Windows names ignore case
    unsetenv("COMP_MGR_HOSTED_TEST_VAR");
    EXPECT_FALSE(process.GetEnv("COMP_MGR_HOSTED_TEST_VAR", &v));
}

TEST(HostedLoader, LoadsSharedObjectsByPathOrBareNameAndRefusesOtherFiles) {
    TestRoot root;
    std::filesystem::create_directories(root.Host("drive_c/Vantrel/bin"));
    std::filesystem::create_directories(root.Host("drive_c/Windows/System32"));
    std::filesystem::create_directories(root.Host("drive_c/Plug"));
    std::filesystem::copy_file(VNT_FIXTURE_PLUGIN, root.Host("drive_c/Plug/Server.dll"));
    std::filesystem::copy_file(VNT_FIXTURE_PLUGIN, root.Host("drive_c/Windows/System32/Engine.dll"));
    root.Write("drive_c/Plug/Text.dll", "this is not a library\n");
    root.Write("drive_c/Plug/Empty.ocx", "");
    HostedMachine machine(root.path(), "C:\\Vantrel\\bin\\vn_app.exe", "");
    HostedLoader loader(machine, false);

    LibraryHandle server = loader.Load("c:\\plug\\SERVER.DLL");
    ASSERT_NE(nullptr, server);
    EXPECT_NE(nullptr, loader.Symbol(server, "DllRegisterServer"));
    EXPECT_EQ(nullptr, loader.Symbol(server, "NoSuchExport"));
    EXPECT_EQ(nullptr, loader.Symbol(server, nullptr));
    loader.Free(server);

    EXPECT_EQ(nullptr, loader.Load("C:\\Plug\\Text.dll"));
    EXPECT_EQ(nullptr, loader.Load("C:\\Plug\\Empty.ocx"));
    EXPECT_EQ(nullptr, loader.Load("C:\\Plug\\Missing.dll"));
    EXPECT_EQ(nullptr, loader.Load("C:\\Plug"));
    EXPECT_EQ(nullptr, loader.Load(""));

    // A bare name: the host's folder first, then System32; ".dll" is implied.
    LibraryHandle engine = loader.Load("ENGINE");
    ASSERT_NE(nullptr, engine);
    loader.Free(engine);
    EXPECT_EQ(nullptr, loader.Load("Server.dll"));  // not on the search path
    loader.Free(nullptr);
}

}  // namespace
}  // namespace comp_mgr
