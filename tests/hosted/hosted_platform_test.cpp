// The hosted platform as the library builds it from the environment.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_platform.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames) unsetenv(name);
    }
    void TearDown() override {
        for (const char* name : kNames) unsetenv(name);
    }
    static constexpr const char* kNames[] = {"VNT_ROOT", "VNT_HOST_EXE", "VNT_CWD", "VNT_UI", "VNT_NOW"};
};

TEST_F(EnvironmentTest, DefaultsAndSettingsComeFromTheEnvironment) {
    HostedSettings defaults = HostedSettings::FromEnvironment();
    EXPECT_EQ("./vnt-machine", defaults.root);
    EXPECT_EQ("C:\\Vantrel\\bin\\vn_app.exe", defaults.hostExe);
    EXPECT_EQ("", defaults.currentDirectory);

    TestRoot root;
    root.MakeDir("drive_d/Tools/Bin");
    setenv("VNT_ROOT", root.path().c_str(), 1);
    setenv("VNT_HOST_EXE", "D:\\Tools\\Bin\\COMP_MGR.EXE", 1);
    setenv("VNT_UI", "none", 1);
    setenv("VNT_NOW", "2010-01-02 03:04:05", 1);
    HostedPlatform hosted(HostedSettings::FromEnvironment());
    const Platform& p = hosted.platform();

    std::string cwd;
    ASSERT_TRUE(p.files.GetCurrentDirectory(&cwd));
    EXPECT_EQ("D:\\Tools\\Bin", cwd);  // the folder of the host executable
    char exe[64];
    ASSERT_GT(p.process.ModuleFileName(exe, sizeof(exe)), 0u);
    EXPECT_STREQ("D:\\Tools\\Bin\\COMP_MGR.EXE", exe);
    EXPECT_EQ(2010 - 1900, p.clock.Now().tm_year);
    EXPECT_EQ(HostedUi::Mode::kNone, hosted.ui().mode());
    EXPECT_EQ(root.path(), hosted.machine().root());

    // The registry file is only written once something changed.
    p.registry.Flush();
    EXPECT_FALSE(root.Has("registry.reg"));
    RegHandle key = 0;
    ASSERT_EQ(kErrorSuccess, p.registry.CreateKey(kHkeyCurrentUser, "Software\\Test", kKeyAllAccess, &key));
    p.registry.CloseKey(key);
    p.registry.Flush();
    EXPECT_NE(std::string::npos, root.Read("registry.reg").find("[HKEY_CURRENT_USER\\Software\\Test]\r\n"));

    setenv("VNT_CWD", "..\\", 1);
    HostedPlatform relative(HostedSettings::FromEnvironment());
    ASSERT_TRUE(relative.platform().files.GetCurrentDirectory(&cwd));
    EXPECT_EQ("D:\\Tools", cwd);  // relative to the host folder
}

}  // namespace
}  // namespace comp_mgr
