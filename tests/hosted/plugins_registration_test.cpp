// Registering real plug-in servers on the hosted machine: the fixture
// libraries, copied under .dll and .ocx names into a machine root, log each
// export call (with their own path and the process's current directory) to
// VNT_PLUGIN_LOG.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_platform.h"
#include "support/test_catalog.h"

namespace comp_mgr {
namespace {

using hosted_test::TestRoot;
using testing_support::TestCatalog;
using Lines = std::vector<std::string>;

class HostedRegistrationTest : public ::testing::Test {
protected:
    HostedRegistrationTest() {
        root.Write("registry.reg",
                   "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
                   "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
        root.Write("drive_c/Vantrel/db/vnt_Compdb.ini", "");
        root.Write("drive_c/Vantrel/bin/vn_app.exe", "MZ");
        root.MakeDir("drive_c/Work");
        setenv("VNT_PLUGIN_LOG", root.Host("plugin.log").c_str(), 1);
        char cwd[4096] = {};
        if (getcwd(cwd, sizeof cwd)) processDirectory = cwd;

        HostedSettings settings;
        settings.root = root.path();
        settings.hostExe = "C:\\Vantrel\\bin\\vn_app.exe";
        settings.currentDirectory = "C:\\Work";
        settings.ui = "none";
        hosted = std::make_unique<HostedPlatform>(settings);
        db = std::make_unique<TestCatalog>(hosted->platform());
    }
    ~HostedRegistrationTest() override { unsetenv("VNT_PLUGIN_LOG"); }

    // Copies a fixture library to a path under drive C: ("Ide/plugins/a.dll").
    void Copy(const char* fixture, const std::string& relative) {
        std::filesystem::path target(root.Host("drive_c/" + relative));
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(fixture, target, std::filesystem::copy_options::overwrite_existing);
    }
    // The line the fixture logs for a server under drive C:.
    std::string Line(const std::string& verb, const std::string& relative) const {
        return verb + " " + root.Host("drive_c/" + relative) + " cwd=" + processDirectory;
    }
    Lines Logged() const {
        Lines lines;
        std::istringstream in(root.Read("plugin.log"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::string MachineDirectory() {
        std::string cwd;
        hosted->platform().files.GetCurrentDirectory(&cwd, 1024);
        return cwd;
    }

    TestRoot root;
    std::string processDirectory;
    std::unique_ptr<HostedPlatform> hosted;
    std::unique_ptr<TestCatalog> db;
};

TEST_F(HostedRegistrationTest, TheServersOwnExportRunsAndItsFolderBecomesTheMachinesDirectory) {
    Copy(VNT_FIXTURE_PLUGIN, "Ide/plugins/a.dll");
    Copy(VNT_FIXTURE_PLUGIN, "Ide/plugins/b.ocx");
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\a.dll", ServerAction::kRegister);
    EXPECT_EQ(MachineDirectory(), "C:\\Ide\\plugins");
    // A relative path now resolves in the server's folder.
    db->services.registration.RegisterServer(".\\b.ocx", ServerAction::kUnregister);
    EXPECT_EQ(Logged(), (Lines{Line("register", "Ide/plugins/a.dll"), Line("unregister", "Ide/plugins/b.ocx")}));
    // The process's own directory is never touched.
    char cwd[4096] = {};
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), processDirectory);
}

TEST_F(HostedRegistrationTest, LibrariesWithoutExportsOrThatDoNotLoadArePassedOver) {
    Copy(VNT_FIXTURE_NO_EXPORT, "Ide/plugins/none.dll");
    root.Write("drive_c/Ide/plugins/broken.dll", "not a shared object");
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\none.dll", ServerAction::kRegister);
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\broken.dll", ServerAction::kRegister);
    db->services.registration.RegisterServer("C:\\Ide\\plugins\\missing.dll", ServerAction::kUnregister);
    EXPECT_TRUE(Logged().empty());
}

TEST_F(HostedRegistrationTest, PreparingRegistersInOrderSweepsTheObsoleteFolderAndRestoresTheDirectory) {
    Copy(VNT_FIXTURE_PLUGIN, "Plug/old.dll");
    Copy(VNT_FIXTURE_PLUGIN, "Plug/new.ocx");
    Copy(VNT_FIXTURE_PLUGIN, "Vantrel/plugins/obsolete/b.dll");
    Copy(VNT_FIXTURE_PLUGIN, "Vantrel/plugins/obsolete/a.ocx");
    Copy(VNT_FIXTURE_NO_EXPORT, "Vantrel/plugins/obsolete/c.dll");
    root.Write("drive_c/Vantrel/plugins/obsolete/broken.ocx", "junk");
    root.MakeDir("drive_c/Vantrel/plugins/obsolete/folder.dll");
    root.Write("drive_c/Vantrel/Ide1/bin/vn_app.exe", "MZ");

    db->SetProperty("VntInstallation_1", "ProgLocation", "C:\\Vantrel\\Ide1\\bin\\vn_app.exe");
    db->SetProperty("VntInstallation_1", "PlugInLst_GrpName", "PlugIn_2");
    db->SetProperty("PlugIn_1", "ProgLocation", "C:\\Plug\\old.dll");
    db->SetProperty("PlugIn_1", "DisplayName", "Old");
    db->SetProperty("PlugIn_2", "ProgLocation", "C:\\Plug\\new.ocx");
    db->SetProperty("PlugIn_2", "DisplayName", "New");
    db->Entry("PlugIn_1")->Status = kStatusFoundOrCurrent;

    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_1"), 1);
    EXPECT_EQ(Logged(), (Lines{Line("unregister", "Plug/old.dll"), Line("register", "Plug/new.ocx"),
                               Line("unregister", "Vantrel/plugins/obsolete/a.ocx"),
                               Line("unregister", "Vantrel/plugins/obsolete/b.dll")}));
    EXPECT_EQ(MachineDirectory(), "C:\\Work");
    EXPECT_TRUE(db->Entry("VntInstallation_1")->Status & kStatusFoundOrCurrent);
}

}  // namespace
}  // namespace comp_mgr
