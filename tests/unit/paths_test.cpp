#include "catalog/host_paths.h"

#include <gtest/gtest.h>

#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::TestMachine;

TEST(HostPaths, DeriveFromTheMainExecutableInItsLongForm) {
    TestMachine m;
    m.files.Put("C:\\Program Files\\Vantrel IDE\\Bin\\COMP_MGR.EXE", "MZ");
    m.process.modulePath = "c:\\program files\\vantrel ide\\bin\\comp_mgr.exe";
    EXPECT_EQ(HostExecutablePath(m.platform), "C:\\Program Files\\Vantrel IDE\\Bin\\COMP_MGR.EXE");
    EXPECT_EQ(HostDirectory(m.platform), "C:\\Program Files\\Vantrel IDE\\Bin\\");
    EXPECT_EQ(HostProgramPath(m.platform), "C:\\Program Files\\Vantrel IDE\\Bin\\vn_app.exe");
    EXPECT_EQ(InstallEntryPath(m.platform), "C:\\Program Files\\Vantrel IDE\\Bin\\VNTInstallEntry.ini");
    // The module path as the process reports it is not converted.
    EXPECT_EQ(ModulePath(m.platform, 1024), "c:\\program files\\vantrel ide\\bin\\comp_mgr.exe");
}

TEST(HostPaths, MissingExecutableKeepsThePathAsReported) {
    TestMachine m;
    m.process.modulePath = "C:\\Gone\\vn_app.exe";
    EXPECT_EQ(HostExecutablePath(m.platform), "C:\\Gone\\vn_app.exe");
    m.process.modulePath.clear();
    EXPECT_EQ(HostExecutablePath(m.platform), "");
    EXPECT_EQ(HostDirectory(m.platform), "");
}

TEST(HostPaths, ModulePathIsCutToItsBuffer) {
    TestMachine m;
    m.process.modulePath = "C:\\" + std::string(300, 'a') + "\\vn_app.exe";
    EXPECT_EQ(ModulePath(m.platform, 260).size(), 259u);
    EXPECT_EQ(ModulePath(m.platform, 1024), m.process.modulePath);
}

TEST(HostPaths, InstallerProcessIsRecognisedInAnyCase) {
    TestMachine m;
    m.process.modulePath = "C:\\Temp\\VntInstall_Plugin_Setup.exe";
    EXPECT_TRUE(IsInstallerProcess(m.platform));
    m.process.modulePath = "C:\\Temp\\setup.exe";
    EXPECT_FALSE(IsInstallerProcess(m.platform));
}

}  // namespace
}  // namespace comp_mgr
