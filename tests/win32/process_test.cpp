// The process, loader, clock and message-box adapters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_loader.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_settings.h"
#include "platform/win32/win32_ui.h"
#include "win32/win32_fixture.h"

namespace comp_mgr {
namespace {

using win32_test::ReadFileBytes;
using win32_test::ScopedEnv;
using win32_test::ScratchFolder;
using win32_test::WriteFileBytes;

TEST(Win32ProcessTest, ModuleFileNameIsTheMainExecutableCutToTheBuffer) {
    Win32Process process;
    char buffer[300] = {};
    std::uint32_t n = process.ModuleFileName(buffer, sizeof buffer);
    ASSERT_GT(n, 12u);
    ASSERT_EQ(n, std::strlen(buffer));
    EXPECT_EQ(0, _stricmp("win32_tests.exe", buffer + n - 15)) << buffer;
    char small[8];
    std::memset(small, '#', sizeof small);
    std::uint32_t cut = process.ModuleFileName(small, sizeof small);
    EXPECT_LE(cut, sizeof small);
    EXPECT_EQ(0, std::strncmp(buffer, small, 7));
    EXPECT_EQ(0u, process.ModuleFileName(nullptr, 10));
}

TEST(Win32ProcessTest, EnvironmentTellsUnsetFromEmptyAndReadsLongValues) {
    Win32Process process;
    std::string value = "before";
    {
        ScopedEnv unset("CM_TEST_VAR", nullptr);
        EXPECT_FALSE(process.GetEnv("CM_TEST_VAR", &value));
        EXPECT_EQ("before", value);
    }
    {
        ScopedEnv empty("CM_TEST_VAR", "");
        EXPECT_TRUE(process.GetEnv("CM_TEST_VAR", &value));
        EXPECT_EQ("", value);
    }
    const std::string longValue(5000, 'p');
    ScopedEnv big("CM_TEST_VAR", longValue.c_str());
    EXPECT_TRUE(process.GetEnv("cm_test_var", &value));  // names are case-insensitive
    EXPECT_EQ(longValue, value);
    EXPECT_FALSE(process.GetEnv("", &value));
}

TEST(Win32LoaderTest, LoadsLibrariesFindsExportsAndFailsQuietlyOnBadFiles) {
    Win32Loader loader;
    LibraryHandle kernel = loader.Load("kernel32.dll");
    ASSERT_NE(nullptr, kernel);
    EXPECT_NE(nullptr, loader.Symbol(kernel, "GetTickCount"));
    EXPECT_EQ(nullptr, loader.Symbol(kernel, "NoSuchExport"));
    EXPECT_EQ(nullptr, loader.Symbol(kernel, nullptr));
    loader.Free(kernel);

    ScratchFolder dir;
    // A damaged plug-in neither loads nor stops the process with a dialog.
    WriteFileBytes(dir / "broken.dll", "MZ this is not a library");
    EXPECT_EQ(nullptr, loader.Load(dir / "broken.dll"));
    EXPECT_EQ(nullptr, loader.Load(dir / "broken.dll", true));
    EXPECT_EQ(nullptr, loader.Load(dir / "missing.dll", true));
    EXPECT_EQ(nullptr, loader.Load(""));
    EXPECT_EQ(nullptr, loader.Symbol(nullptr, "x"));
    loader.Free(nullptr);
    // The error mode of the thread is as it was.
    EXPECT_EQ(0u, GetThreadErrorMode() & SEM_NOOPENFILEERRORBOX);
}

TEST(Win32ClockTest, FixedTimeTakesOnlyWellFormedPossibleDates) {
    std::tm t{};
    ASSERT_TRUE(ParseFixedTime("2006-12-04 15:04:33", &t));
    EXPECT_EQ(106, t.tm_year);
    EXPECT_EQ(11, t.tm_mon);
    EXPECT_EQ(4, t.tm_mday);
    EXPECT_EQ(15, t.tm_hour);
    EXPECT_EQ(4, t.tm_min);
    EXPECT_EQ(33, t.tm_sec);
    EXPECT_EQ(1, t.tm_wday);  // a Monday
    EXPECT_EQ(337, t.tm_yday);

    ASSERT_TRUE(ParseFixedTime("2024-02-29 00:00:00", &t));
    EXPECT_EQ(4, t.tm_wday);  // a Thursday
    ASSERT_TRUE(ParseFixedTime("2000-12-31 23:59:59", &t));
    EXPECT_EQ(365, t.tm_yday);

    for (const char* bad : {"2023-02-29 00:00:00", "2006-13-01 00:00:00", "2006-12-04 24:00:00", "2006-12-04T15:04:33",
                            "2006-12-04 15:04", "2006-12-04 15:04:3x", "", "2006-12-04 15:04:33 "}) {
        EXPECT_FALSE(ParseFixedTime(bad, &t)) << bad;
    }
    EXPECT_FALSE(ParseFixedTime("2006-12-04 15:04:33", nullptr));
}

TEST(Win32SettingsTest, VariablesAreReadOnceAndEmptyOnesTakeTheDefault) {
    {
        ScopedEnv ui("VNT_UI", nullptr);
        ScopedEnv log("VNT_LOG_DIR", "");
        ScopedEnv now("VNT_NOW", nullptr);
        Win32Settings defaults = Win32Settings::FromEnvironment();
        EXPECT_EQ("", defaults.ui);
        EXPECT_EQ("", defaults.logDir);
        EXPECT_EQ("", defaults.now);
    }
    ScopedEnv ui("VNT_UI", "none");
    ScopedEnv log("VNT_LOG_DIR", "C:\\logs");
    ScopedEnv now("VNT_NOW", "2006-12-04 15:04:33");
    Win32Settings set = Win32Settings::FromEnvironment();
    EXPECT_EQ("none", set.ui);
    EXPECT_EQ("C:\\logs", set.logDir);
    EXPECT_EQ("2006-12-04 15:04:33", set.now);
}

// The clock reads VNT_NOW when it is made (the platform reads its settings
// once), so each variant sets the variable first and makes a clock after.
TEST(Win32ClockTest, NowFollowsVntNowWhenItIsValid) {
    {
        ScopedEnv now("VNT_NOW", "2006-12-04 15:04:33");
        Win32Clock clock(Win32Settings::FromEnvironment().now);
        std::tm t = clock.Now();
        EXPECT_EQ(106, t.tm_year);
        EXPECT_EQ(33, t.tm_sec);
        // A later change of the variable does not reach a clock already made.
        ScopedEnv later("VNT_NOW", "2010-01-02 03:04:05");
        EXPECT_EQ(106, clock.Now().tm_year);
    }
    ScopedEnv garbage("VNT_NOW", "yesterday");
    Win32Clock clock(Win32Settings::FromEnvironment().now);
    std::tm real = clock.Now();
    SYSTEMTIME st;
    GetLocalTime(&st);
    EXPECT_EQ(st.wYear - 1900, real.tm_year);
    EXPECT_EQ(st.wDayOfWeek, real.tm_wday);
}

TEST(Win32UiTest, MessagesAreLoggedEscapedAndNoBoxShowsWithoutAUser) {
    ScratchFolder dir;
    const std::string logDir = dir / "log";  // made on the first message
    ScopedEnv ui("VNT_UI", "none");
    ScopedEnv log("VNT_LOG_DIR", logDir.c_str());
    const Win32Settings settings = Win32Settings::FromEnvironment();
    Win32Ui box(settings.ui, settings.logDir);
    box.MessageBox("comp_mgr", "Cannot open C:\\db\\vnt_Compdb.ini\r\nsecond line\n");
    box.MessageBox("comp_mgr", "plain | text");
    EXPECT_EQ(
        "comp_mgr|Cannot open C:\\\\db\\\\vnt_Compdb.ini\\r\\nsecond line\\n\n"
        "comp_mgr|plain | text\n",
        ReadFileBytes(logDir + "\\messages.log"));
    EXPECT_EQ("a\\\\b\\rc\\n", EscapeLogText("a\\b\rc\n"));
}

// The one-answer child: the version-printing stand-in (fixture_vers.cpp) run
// through a real pipe and terminated.
TEST(Win32ProcessTest, ChildAnswersOnceThroughThePipeAndIsTerminated) {
    ScratchFolder folder;
    ASSERT_TRUE(CopyFileA(VNT_FIXTURE_VERS, (folder / "vers.exe").c_str(), FALSE));
    std::string flood;
    while (flood.size() < 260) flood += "cuda*";
    struct Case {
        const char* versTxt;
        std::string expected;
    };
    const Case cases[] = {
        {"print\n***cuda Lumakern 5.2***\r\n", "***cuda Lumakern 5.2***\r\n"},
        {"print\n", ""},
        {"sleep\n", ""},
        {"flood\n", flood.substr(0, 260)},
    };
    Win32Process process;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.versTxt);
        WriteFileBytes(folder / "vers.txt", c.versTxt);
        std::string output = "before";
        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(process.RunForOutput(folder / "vers.exe" + " " + (folder / "luma.a64"), 260, 500, &output));
        EXPECT_LT(GetTickCount64() - start, 4000u);
        EXPECT_EQ(c.expected, output);
    }
    Sleep(1500);
    EXPECT_EQ("<missing>", ReadFileBytes(folder / "vers.survived"));

    WriteFileBytes(folder / "text.exe", "not a program");
    for (const std::string& line : {folder / "text.exe" + " x", folder / "missing.exe" + " x", std::string()}) {
        SCOPED_TRACE(line);
        std::string output = "before";
        EXPECT_FALSE(process.RunForOutput(line, 260, 500, &output));
        EXPECT_EQ("", output);
    }
}

}  // namespace
}  // namespace comp_mgr
